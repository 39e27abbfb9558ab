#pragma once
// The zoom of the image viewers: how many screen pixels show one image
// pixel along each side. Natural size is 1; the steps go from 1/8 to 32,
// the fit to a window may fall between them.

#include <string>

namespace kararisu {

inline constexpr double kZoomSteps[] = {1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3, 1.0 / 2, 1,  2, 3,
                                        4,       6,       8,       12,      16,      24, 32};

// The longest side a zoomed picture may have on screen.
inline constexpr int kLongestZoomedSide = 1 << 20;

// The screen length of length image pixels: whole pixels, rounded down, at
// least one where there is an image pixel.
int zoomedLength(int length, double zoom);

// The first step above zoom at which a picture whose longer side is
// longest stays within kLongestZoomedSide, and the first step below it;
// zoom itself where there is none.
double zoomStepIn(double zoom, int longest);
double zoomStepOut(double zoom);

// The largest zoom at which a width x height picture fits a room of
// roomWidth x roomHeight: a whole multiple from 1 up (at most the last
// step), so that every pixel stays the same size; any fraction below.
double fitZoom(int width, int height, int roomWidth, int roomHeight);

// The zoom as the caption shows it: "800%", "50%", "12.5%".
std::string zoomPercent(double zoom);

}  // namespace kararisu
