#include "viewers/zoom.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kararisu {

namespace {

// Steps compare with a margin, so a fit that lands a hair off a step does
// not count as a step of its own.
constexpr double kSame = 1e-9;

}  // namespace

int zoomedLength(int length, double zoom) {
    if (length <= 0) return 0;
    const double screen = std::floor(double(length) * zoom + kSame);
    return std::max(1, int(std::min(screen, 1e9)));
}

double zoomStepIn(double zoom, int longest) {
    for (double step : kZoomSteps)
        if (step > zoom * (1 + kSame))
            return zoomedLength(longest, step) <= kLongestZoomedSide ? step : zoom;
    return zoom;
}

double zoomStepOut(double zoom) {
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
        if (*it < zoom * (1 - kSame)) return *it;
    return zoom;
}

double fitZoom(int width, int height, int roomWidth, int roomHeight) {
    if (width <= 0 || height <= 0 || roomWidth <= 0 || roomHeight <= 0) return 1;
    const double fit = std::min(double(roomWidth) / width, double(roomHeight) / height);
    if (fit < 1) return fit;
    return std::min(std::floor(fit), std::rbegin(kZoomSteps)[0]);
}

std::string zoomPercent(double zoom) {
    const double percent = zoom * 100;
    char text[32];
    if (std::fabs(percent - std::round(percent)) < 0.05)
        std::snprintf(text, sizeof text, "%.0f%%", std::round(percent));
    else
        std::snprintf(text, sizeof text, "%.1f%%", percent);
    return text;
}

}  // namespace kararisu
