#pragma once
// The texts of the save commands and the bitmap dialogs.

#include <string>

#include "support/messages.h"

namespace kararisu {

// The one filter of the bitmap open and save dialogs.
inline constexpr const char* kBitmapFilter = "ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp";
inline constexpr const char* kSaveFolderCaption = "保存するフォルダの選択";

// Asked when `name` is already in the chosen folder: Yes replaces it and every
// later file without asking, No replaces it alone, Cancel stops.
Message overwriteQuestion(const std::string& name);

}  // namespace kararisu
