#include "app/bitmap_image.h"

namespace kararisu {

QImage toQImage(const Bitmap& bitmap) {
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_RGB32);
    if (image.isNull()) return image;
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (bitmap.format() == PixelFormat::Bpp32) {
            const std::uint32_t* in = bitmap.row32(y);
            for (int x = 0; x < bitmap.width(); ++x) out[x] = 0xff000000u | (in[x] & 0xffffffu);
        } else {
            for (int x = 0; x < bitmap.width(); ++x) out[x] = 0xff000000u | bitmap.pixelValue(x, y);
        }
    }
    return image;
}

}  // namespace kararisu
