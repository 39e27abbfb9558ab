#pragma once
// The rules of loading that need no window: which dropped or named files are
// taken, how a path is written, and the message about the rejected ones.

#include <string>
#include <string_view>
#include <vector>

#include "worklists/bmp/bmp.h"
#include "worklists/work_list.h"

namespace kararisu {

// True when the last three characters are "BMP" in any case.
bool hasBmpSuffix(std::string_view path);

// An argument as an absolute, clean path: relative ones are taken against the
// current folder; "." and ".." and doubled "/" are resolved by text, so the
// path names what the user typed even through symbolic links.
std::string longFormOf(const std::string& path);

// The folder of a path, without a trailing "/" (the root stays "/").
std::string folderOf(const std::string& path);

// "name\n" for each rejected file, then the closing sentence; empty when none.
std::string rejectedMessage(const std::vector<std::string>& names);

inline constexpr const char* kRejectedCaption = "警告：読み込めません！！";
inline constexpr const char* kRejectedSentence = "は有効なビットマップデータではありません。";
inline constexpr const char* kOpenErrorCaption = "オープンエラー";

// Reads a BMP file chosen, dropped or named by the user. Only regular files
// are read, so a folder or a pipe with a BMP name is refused instead of
// blocking the program, and a file far larger than any bitmap the program
// can hold is refused before it is read. A missing or unreadable file is
// CannotOpen; everything else that fails is a reason the data is not a
// valid bitmap.
BmpReadResult readSourceBmp(const std::string& path);
// The same, throwing CannotOpenError or InvalidBitmapError with the path and
// the reason.
Bitmap loadSourceBmp(const std::string& path);

// Appends an image entry that takes over the bitmap: the first entry of an
// empty list at the head, every later one at the tail; the counter follows.
ImageEntry* appendImage(ImageList& list, int& count, const std::string& path, Bitmap bitmap);

}  // namespace kararisu
