#pragma once
// The texts of the image viewers' two reports: the image information and
// the colour count.

#include <cstdint>
#include <optional>
#include <string>

#include "reduce/work_area.h"
#include "worklists/bitmap.h"

namespace kararisu {

// "＜画像情報＞\nBMP名:<name>\n<w>×<h>\n<depth line>"; an unknown
// DepthCode leaves the text ending in the line break after the size.
std::string imageInformationText(const std::string& name, const Bitmap& bitmap, int depthCode);

// "この画像の色数は\n<count>"
std::string colorCountText(std::uint64_t count);

// The colour count's text, or none when its work area was refused (the
// memory message has then been shown and no number may be presented).
std::optional<std::string> colorCountReport(const Bitmap& bitmap, WorkArea& work);

}  // namespace kararisu
