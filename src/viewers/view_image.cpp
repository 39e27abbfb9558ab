#include "viewers/view_image.h"

#include <algorithm>

namespace kararisu {

namespace {

// The palette as a colour table of exactly n entries, missing ones black.
QList<QRgb> colorTable(const Palette& palette, int n) {
    QList<QRgb> table(n);
    for (int i = 0; i < n; ++i) table[i] = 0xff000000u | palette.at(std::size_t(i)).value();
    return table;
}

QImage shared(const Bitmap& b, QImage::Format format) {
    return QImage(b.row(0), b.width(), b.height(), qsizetype(b.stride()), format);
}

}  // namespace

QImage viewImage(const Bitmap& b) {
    if (b.isEmpty()) return QImage();
    switch (b.format()) {
        case PixelFormat::Bpp24:
            return shared(b, QImage::Format_BGR888);
        case PixelFormat::Bpp8: {
            QImage image = shared(b, QImage::Format_Indexed8);
            image.setColorTable(colorTable(b.palette(), 256));
            return image;
        }
        case PixelFormat::Bpp1: {
            QImage image = shared(b, QImage::Format_Mono);
            image.setColorTable(colorTable(b.palette(), 2));
            return image;
        }
        case PixelFormat::Bpp4: {
            // Two pixels a byte, the high nibble first: spread to a byte each.
            QImage image(b.width(), b.height(), QImage::Format_Indexed8);
            if (image.isNull()) return image;
            image.setColorTable(colorTable(b.palette(), 256));
            for (int y = 0; y < b.height(); ++y) {
                const std::uint8_t* in = b.row(y);
                uchar* out = image.scanLine(y);
                for (int x = 0; x < b.width(); ++x)
                    out[x] = (x & 1) ? in[x >> 1] & 0x0f : in[x >> 1] >> 4;
            }
            return image;
        }
        default: {
            // 32 bits carry an undefined top byte, and 15/16 bits expand by
            // the bitmap's own rounding: one opaque 32-bit copy.
            QImage image(b.width(), b.height(), QImage::Format_RGB32);
            if (image.isNull()) return image;
            for (int y = 0; y < b.height(); ++y) {
                auto* out = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
                b.readColorValues(y, out);
                for (int x = 0; x < b.width(); ++x) out[x] |= 0xff000000u;
            }
            return image;
        }
    }
}

}  // namespace kararisu
