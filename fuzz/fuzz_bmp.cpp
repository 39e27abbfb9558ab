// Any byte string handed to the BMP reader either decodes into a bitmap whose
// pixels can all be read, or is refused with a reason.
#include <cstdint>
#include <cstdlib>

#include "fuzz_target.h"
#include "worklists/bmp/bmp.h"

std::string fuzzOutcome(const std::uint8_t* data, std::size_t size) {
    const kararisu::Outcome<kararisu::BmpImage> decoded = kararisu::decodeBmp({data, size});
    if (!decoded) {
        if (decoded.problem().reason.empty()) std::abort();
        return outcomeName(decoded);
    }
    const kararisu::BmpImage& r = *decoded;
    // Large pictures are reached for their sizing and allocation; walking
    // their pixels would only spend the run's time.
    if (std::uint64_t(r.bitmap.width()) * std::uint64_t(r.bitmap.height()) > (1u << 22))
        return outcomeName(decoded);
    // Every pixel is read, under the sanitizers; the sum keeps the walk.
    static volatile std::uint32_t sum;
    for (int y = 0; y < r.bitmap.height(); ++y)
        for (int x = 0; x < r.bitmap.width(); ++x) sum = sum + r.bitmap.pixelValue(x, y);
    // Whatever decodes must also write and read back to the same picture
    // (a BMP written here keeps no alpha).
    const auto bytes = kararisu::encodeBmp(r.bitmap);
    const kararisu::Outcome<kararisu::BmpImage> again = kararisu::decodeBmp(bytes);
    kararisu::Bitmap opaque = r.bitmap;
    opaque.clearTransparency();
    if (!again || !(again->bitmap == opaque)) std::abort();
    return outcomeName(decoded);
}
