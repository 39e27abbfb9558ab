#pragma once
// The texts of the save commands and the bitmap dialogs.

#include <string>

#include "support/messages.h"
#include "worklists/image_format.h"

namespace kararisu {

// The filters of the image dialogs, each format alone.
inline constexpr const char* kBitmapFilter = "ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp";
inline constexpr const char* kPngFilter = "PNG画像 (*.png)|*.png";
// The open dialog: both formats first, then each alone.
inline constexpr const char* kImageOpenFilter =
    "画像ファイル (*.bmp *.png)|*.bmp;*.png|ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp|PNG画像 (*.png)|*.png";
// The save dialog: the result's own format first, so it is the one chosen
// unless the user picks the other.
std::string imageSaveFilter(ImageFormat first);
// The format a save dialog's answer asks for: the chosen name's extension
// when it names one, otherwise the chosen filter's.
ImageFormat chosenImageFormat(const std::string& path, const std::string& filterName);
inline constexpr const char* kSaveFolderCaption = "保存するフォルダの選択";

// Asked when `name` is already in the chosen folder: Yes replaces it and every
// later file without asking, No replaces it alone, Cancel stops.
Message overwriteQuestion(const std::string& name);

}  // namespace kararisu
