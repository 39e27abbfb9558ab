#include "viewers/view_image.h"

#include <algorithm>

namespace kararisu {

namespace {

// The bitmap's palette as a colour table of exactly n entries, missing ones
// black, transparent ones with alpha 0.
QList<QRgb> colorTable(const Bitmap& b, int n) {
    QList<QRgb> table(n);
    for (int i = 0; i < n; ++i) {
        const QRgb alpha = b.isTransparentEntry(unsigned(i)) ? 0 : 0xff000000u;
        table[i] = alpha | b.palette().at(std::size_t(i)).value();
    }
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
            image.setColorTable(colorTable(b, 256));
            return image;
        }
        case PixelFormat::Bpp1: {
            QImage image = shared(b, QImage::Format_Mono);
            image.setColorTable(colorTable(b, 2));
            return image;
        }
        case PixelFormat::Bpp4: {
            // Two pixels a byte, the high nibble first: spread to a byte each.
            QImage image(b.width(), b.height(), QImage::Format_Indexed8);
            if (image.isNull()) return image;
            image.setColorTable(colorTable(b, 256));
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
            // the bitmap's own rounding: one 32-bit copy, opaque but where a
            // mask marks pixels transparent.
            const bool masked = b.maskRow(0) != nullptr;
            QImage image(b.width(), b.height(),
                         masked ? QImage::Format_ARGB32 : QImage::Format_RGB32);
            if (image.isNull()) return image;
            for (int y = 0; y < b.height(); ++y) {
                auto* out = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
                b.readColorValues(y, out);
                const std::uint8_t* mask = b.maskRow(y);
                for (int x = 0; x < b.width(); ++x) out[x] |= mask && mask[x] ? 0u : 0xff000000u;
            }
            return image;
        }
    }
}

}  // namespace kararisu
