// Any byte string handed to the PNG reader either decodes into a bitmap whose
// pixels can all be read, or is refused with a reason; whatever decodes
// writes as PNG and reads back to the same picture and transparency.
#include <cstdint>
#include <cstdlib>

#include "fuzz_target.h"
#include "worklists/png/png.h"

std::string fuzzOutcome(const std::uint8_t* data, std::size_t size) {
    const kararisu::Outcome<kararisu::PngImage> decoded = kararisu::decodePng({data, size});
    if (!decoded) {
        if (decoded.problem().reason.empty()) std::abort();
        return outcomeName(decoded);
    }
    const kararisu::Bitmap& b = decoded->bitmap;
    // Large pictures are reached for their sizing and allocation; walking
    // their pixels would only spend the run's time.
    if (std::uint64_t(b.width()) * std::uint64_t(b.height()) > (1u << 20))
        return outcomeName(decoded);
    const kararisu::Outcome<kararisu::LargeVector<std::uint8_t>> bytes = kararisu::encodePng(b);
    if (!bytes) std::abort();
    const kararisu::Outcome<kararisu::PngImage> again = kararisu::decodePng(*bytes);
    if (!again) std::abort();
    const kararisu::Bitmap& c = again->bitmap;
    // A paletted picture comes back as it was; a 32-bit one without a mask
    // is written as RGB and so comes back at 24 bits.
    if (isPaletted(b.format()) && !(c == b)) std::abort();
    if (c.width() != b.width() || c.height() != b.height()) std::abort();
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixelValue(x, y) != c.pixelValue(x, y) ||
                b.isTransparent(x, y) != c.isTransparent(x, y))
                std::abort();
    return outcomeName(decoded);
}
