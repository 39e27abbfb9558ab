#pragma once
// The rules of loading that need no window: which dropped or named files are
// taken, how a path is written, and the message about the rejected ones.

#include <string>
#include <string_view>
#include <vector>

#include "support/files.h"
#include "support/messages.h"
#include "worklists/image_file.h"

namespace kararisu {

// True when the last three characters are "BMP" or "PNG" in any case: the
// files a drop or the command line takes (their content then decides).
bool hasImageSuffix(std::string_view path);

// An argument as an absolute, clean path: relative ones are taken against the
// current folder; "." and ".." and doubled "/" are resolved by text, so the
// path names what the user typed even through symbolic links.
std::string longFormOf(const std::string& path);

// A file named on the command line or dropped: a file:// URI (what file
// managers pass) becomes the path it names, percent-decoded; anything else
// is a path as it stands. A URI naming another machine, or whose decoded
// path would hold a NUL, stays as it is (and is then not found).
std::string pathOfArgument(const std::string& argument);

// "name\n" for each rejected file, then the closing sentence; empty when none.
std::string rejectedMessage(const std::vector<std::string>& names);

inline constexpr const char* kRejectedCaption = "警告：読み込めません！！";
inline constexpr const char* kRejectedSentence = "は有効なビットマップデータではありません。";
inline constexpr const char* kOpenErrorCaption = "オープンエラー";
inline constexpr const char* kNoMemoryCaption = "警告：メモリが足りません！";

// What the program says about an image file it could not load: "オープンエラー"
// with Retry and Cancel for a file that could not be read, the rejection
// text with the reason for a file that is no valid bitmap, the shortage of
// memory as such.
Message loadFailureMessage(const std::string& path, const Problem& problem);

// Reads an image file (BMP or PNG, by its content) chosen, dropped or named
// by the user. Only regular files are read, so a folder or a pipe with an
// image's name is refused instead of blocking the program, and a file far
// larger than any bitmap the program can hold is refused before it is read.
// Problems that cannotRead() are files that could not be read at all; the
// others are reasons the data is not a valid image (a folder or pipe is
// NotRegularFile).
Outcome<ImageFile> readSourceImage(const std::string& path);

}  // namespace kararisu
