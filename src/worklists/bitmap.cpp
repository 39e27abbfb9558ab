#include "worklists/bitmap.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "worklists/color_match.h"

namespace kararisu {

int storageBits(PixelFormat f) {
    return f == PixelFormat::Bpp15 ? 16 : static_cast<int>(f);
}

bool isPaletted(PixelFormat f) {
    return f == PixelFormat::Bpp1 || f == PixelFormat::Bpp4 || f == PixelFormat::Bpp8;
}

int depthCode(PixelFormat f) {
    switch (f) {
        case PixelFormat::Bpp1:
            return 0;
        case PixelFormat::Bpp4:
            return 1;
        case PixelFormat::Bpp8:
            return 2;
        case PixelFormat::Bpp15:
        case PixelFormat::Bpp16:
            return 3;
        case PixelFormat::Bpp24:
            return 4;
        case PixelFormat::Bpp32:
            return 5;
    }
    return 5;
}

const char* formatName(PixelFormat f) {
    switch (f) {
        case PixelFormat::Bpp1:
            return "1";
        case PixelFormat::Bpp4:
            return "4";
        case PixelFormat::Bpp8:
            return "8";
        case PixelFormat::Bpp15:
            return "15 (5-5-5)";
        case PixelFormat::Bpp16:
            return "16 (5-6-5)";
        case PixelFormat::Bpp24:
            return "24";
        case PixelFormat::Bpp32:
            return "32";
    }
    return "?";
}

bool Bitmap::sizeAllowed(std::int64_t width, std::int64_t height) {
    if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide) return false;
    return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= kMaxPixels;
}

std::size_t Bitmap::strideFor(int width, PixelFormat f) {
    const std::size_t bits = static_cast<std::size_t>(width) * storageBits(f);
    return (bits + 31) / 32 * 4;
}

Bitmap::Bitmap() = default;

Bitmap::Bitmap(int width, int height, PixelFormat format)
    : width_(width), height_(height), format_(format) {
    if (!sizeAllowed(width, height))
        throw std::length_error("bitmap of " + std::to_string(width) + " x " +
                                std::to_string(height) + " pixels is too large to hold");
    stride_ = strideFor(width, format);
    const std::size_t bytes = byteSize();
    // The block comes zero-filled.
    data_ = LargeBlock(bytes);
    if (isPaletted(format)) palette_.resize(std::size_t{1} << storageBits(format));
}

Bitmap::Bitmap(const Bitmap& other)
    : width_(other.width_),
      height_(other.height_),
      format_(other.format_),
      stride_(other.stride_),
      palette_(other.palette_),
      transparentEntries_(other.transparentEntries_) {
    const std::size_t bytes = byteSize();
    data_ = LargeBlock(bytes);
    if (bytes > 0) std::memcpy(data_.get(), other.data_.get(), bytes);
    if (other.mask_.size() > 0) {
        mask_ = LargeBlock(other.mask_.size());
        std::memcpy(mask_.get(), other.mask_.get(), mask_.size());
    }
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
    if (this != &other) {
        Bitmap copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : width_(other.width_),
      height_(other.height_),
      format_(other.format_),
      stride_(other.stride_),
      data_(std::move(other.data_)),
      palette_(std::move(other.palette_)),
      transparentEntries_(other.transparentEntries_),
      mask_(std::move(other.mask_)) {
    other.width_ = other.height_ = 0;
    other.stride_ = 0;
    other.transparentEntries_.reset();
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    width_ = other.width_;
    height_ = other.height_;
    format_ = other.format_;
    stride_ = other.stride_;
    data_ = std::move(other.data_);
    palette_ = std::move(other.palette_);
    transparentEntries_ = other.transparentEntries_;
    mask_ = std::move(other.mask_);
    other.width_ = other.height_ = 0;
    other.stride_ = 0;
    other.transparentEntries_.reset();
    return *this;
}

Bitmap::~Bitmap() = default;

unsigned Bitmap::index(int x, int y) const {
    const std::uint8_t* r = row(y);
    switch (format_) {
        case PixelFormat::Bpp1:
            return (r[x >> 3] >> (7 - (x & 7))) & 1;
        case PixelFormat::Bpp4:
            return (x & 1) ? (r[x >> 1] & 0x0f) : (r[x >> 1] >> 4);
        case PixelFormat::Bpp8:
            return r[x];
        default:
            return 0;
    }
}

void Bitmap::setIndex(int x, int y, unsigned v) {
    std::uint8_t* r = row(y);
    switch (format_) {
        case PixelFormat::Bpp1: {
            const std::uint8_t bit = std::uint8_t(0x80 >> (x & 7));
            r[x >> 3] = (v & 1) ? (r[x >> 3] | bit) : (r[x >> 3] & ~bit);
            break;
        }
        case PixelFormat::Bpp4:
            if (x & 1)
                r[x >> 1] = std::uint8_t((r[x >> 1] & 0xf0) | (v & 0x0f));
            else
                r[x >> 1] = std::uint8_t((r[x >> 1] & 0x0f) | ((v & 0x0f) << 4));
            break;
        case PixelFormat::Bpp8:
            r[x] = std::uint8_t(v);
            break;
        default:
            break;
    }
}

std::uint32_t Bitmap::pixelValue(int x, int y) const {
    const std::uint8_t* r = row(y);
    switch (format_) {
        case PixelFormat::Bpp1:
        case PixelFormat::Bpp4:
        case PixelFormat::Bpp8:
            return palette_.at(index(x, y)).value();
        case PixelFormat::Bpp15: {
            const unsigned v = r[2 * x] | (r[2 * x + 1] << 8);
            return Rgb{expand5((v >> 10) & 31), expand5((v >> 5) & 31), expand5(v & 31)}.value();
        }
        case PixelFormat::Bpp16: {
            const unsigned v = r[2 * x] | (r[2 * x + 1] << 8);
            return Rgb{expand5((v >> 11) & 31), expand6((v >> 5) & 63), expand5(v & 31)}.value();
        }
        case PixelFormat::Bpp24:
            return Rgb{r[3 * x + 2], r[3 * x + 1], r[3 * x]}.value();
        case PixelFormat::Bpp32:
            return row32(y)[x] & 0xffffff;
    }
    return 0;
}

void Bitmap::readColorValues(int y, std::uint32_t* out) const {
    const std::uint8_t* r = row(y);
    const int w = width_;
    switch (format_) {
        case PixelFormat::Bpp32: {
            const std::uint32_t* p = row32(y);
            for (int x = 0; x < w; ++x) out[x] = p[x] & 0xffffff;
            return;
        }
        case PixelFormat::Bpp24:
            for (int x = 0; x < w; ++x, r += 3) {
                out[x] = (std::uint32_t{r[2]} << 16) | (std::uint32_t{r[1]} << 8) | r[0];
            }
            return;
        case PixelFormat::Bpp8: {
            std::uint32_t colors[256];
            for (unsigned i = 0; i < 256; ++i) colors[i] = palette_.at(i).value();
            for (int x = 0; x < w; ++x) out[x] = colors[r[x]];
            return;
        }
        default:
            for (int x = 0; x < w; ++x) out[x] = pixelValue(x, y);
            return;
    }
}

void Bitmap::setPalette(Palette palette) {
    if (!isPaletted(format_)) return;
    const std::size_t limit = std::size_t{1} << storageBits(format_);
    if (palette.size() > limit) palette.resize(limit);
    // Each old index maps to one new index: re-map through a table.
    // At most 256 old entries: the direct search is cheaper than a matcher.
    unsigned table[256];
    for (unsigned i = 0; i < limit; ++i)
        table[i] = nearestBruteForce(palette, palette_.at(i).value());
    palette_ = std::move(palette);
    transparentEntries_.reset();
    for (int y = 0; y < height_; ++y) {
        if (format_ == PixelFormat::Bpp8) {
            std::uint8_t* r = row(y);
            for (int x = 0; x < width_; ++x) r[x] = std::uint8_t(table[r[x]]);
        } else {
            for (int x = 0; x < width_; ++x) setIndex(x, y, table[index(x, y)]);
        }
    }
}

void Bitmap::setPaletteEntries(Palette palette) {
    if (!isPaletted(format_)) return;
    const std::size_t limit = std::size_t{1} << storageBits(format_);
    if (palette.size() > limit) palette.resize(limit);
    palette_ = std::move(palette);
}

namespace {

Palette defaultPalette(PixelFormat f) {
    const auto& sys = systemPalette();
    std::vector<Rgb> e;
    if (f == PixelFormat::Bpp1) {
        e = {Rgb{0, 0, 0}, Rgb{255, 255, 255}};
    } else if (f == PixelFormat::Bpp4) {
        for (int i = 0; i < 8; ++i) e.push_back(sys[i]);
        for (int i = 248; i < 256; ++i) e.push_back(sys[i]);
    } else {
        e.assign(sys.begin(), sys.end());
    }
    return Palette(std::move(e));
}

}  // namespace

void Bitmap::setFormat(PixelFormat format) {
    if (format == format_) return;
    if (format == PixelFormat::Bpp32) {
        Bitmap out(width_, height_, format);
        for (int y = 0; y < height_; ++y) readColorValues(y, out.row32(y));
        if (hasTransparency())
            for (int y = 0; y < height_; ++y) readTransparency(y, out.writableMaskRow(y));
        *this = std::move(out);
        return;
    }
    const bool keepMask = !isPaletted(format) && !isPaletted(format_) && mask_.size() > 0;
    Bitmap out(width_, height_, format);
    if (isPaletted(format)) {
        const std::size_t limit = std::size_t{1} << storageBits(format);
        if (isPaletted(format_) && palette_.size() <= limit) {
            out.palette_ = palette_;
            for (int y = 0; y < height_; ++y)
                for (int x = 0; x < width_; ++x) out.setIndex(x, y, index(x, y));
        } else {
            out.palette_ = defaultPalette(format);
            const ColorMatcher matcher(out.palette_);
            for (int y = 0; y < height_; ++y)
                for (int x = 0; x < width_; ++x)
                    out.setIndex(x, y, matcher.nearest(pixelValue(x, y)));
        }
    } else {
        for (int y = 0; y < height_; ++y) {
            std::uint8_t* o = out.row(y);
            for (int x = 0; x < width_; ++x) {
                const Rgb c = Rgb::fromValue(pixelValue(x, y));
                if (format == PixelFormat::Bpp24) {
                    o[3 * x] = c.b;
                    o[3 * x + 1] = c.g;
                    o[3 * x + 2] = c.r;
                } else {
                    const unsigned v = format == PixelFormat::Bpp15
                                           ? ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3)
                                           : ((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3);
                    o[2 * x] = std::uint8_t(v);
                    o[2 * x + 1] = std::uint8_t(v >> 8);
                }
            }
        }
    }
    if (keepMask) out.mask_ = std::move(mask_);
    *this = std::move(out);
}

void Bitmap::setSize(int width, int height) {
    if (width == width_ && height == height_) return;
    Bitmap out(width, height, format_);
    out.palette_ = palette_;
    out.transparentEntries_ = transparentEntries_;
    const int h = std::min(height, height_);
    const std::size_t bytes = std::min(out.stride_, stride_);
    for (int y = 0; y < h; ++y) std::memcpy(out.row(y), row(y), bytes);
    if (mask_.size() > 0) {
        const std::size_t cols = std::size_t(std::min(width, width_));
        for (int y = 0; y < h; ++y)
            std::memcpy(out.writableMaskRow(y), mask_.get() + std::size_t(width_) * std::size_t(y),
                        cols);
    }
    *this = std::move(out);
}

bool Bitmap::hasTransparency() const {
    return mask_.size() > 0 || (isPaletted(format_) && transparentEntries_.any());
}

bool Bitmap::isTransparent(int x, int y) const {
    if (isPaletted(format_)) return transparentEntries_.test(index(x, y));
    return mask_.size() > 0 && maskRow(y)[x] != 0;
}

void Bitmap::readTransparency(int y, std::uint8_t* out) const {
    const std::size_t w = std::size_t(width_);
    if (isPaletted(format_) && transparentEntries_.any()) {
        for (int x = 0; x < width_; ++x) out[x] = transparentEntries_.test(index(x, y)) ? 1 : 0;
    } else if (const std::uint8_t* m = maskRow(y)) {
        for (std::size_t x = 0; x < w; ++x) out[x] = m[x] ? 1 : 0;
    } else {
        std::memset(out, 0, w);
    }
}

void Bitmap::setTransparentEntry(unsigned index, bool transparent) {
    if (isPaletted(format_) && index < 256) transparentEntries_.set(index, transparent);
}

int Bitmap::firstTransparentEntry() const {
    if (!isPaletted(format_)) return -1;
    for (unsigned i = 0; i < 256; ++i)
        if (transparentEntries_.test(i)) return int(i);
    return -1;
}

const std::uint8_t* Bitmap::maskRow(int y) const {
    if (mask_.size() == 0) return nullptr;
    return mask_.get() + std::size_t(width_) * std::size_t(y);
}

std::uint8_t* Bitmap::writableMaskRow(int y) {
    if (mask_.size() == 0) {
        const std::size_t bytes = std::size_t(width_) * std::size_t(height_);
        if (bytes == 0 || isPaletted(format_)) return nullptr;
        mask_ = LargeBlock(bytes);
    }
    return mask_.get() + std::size_t(width_) * std::size_t(y);
}

void Bitmap::clearTransparency() {
    transparentEntries_.reset();
    mask_ = LargeBlock();
}

bool operator==(const Bitmap& a, const Bitmap& b) {
    if (a.width_ != b.width_ || a.height_ != b.height_ || a.format_ != b.format_ ||
        a.palette_ != b.palette_ || a.transparentEntries_ != b.transparentEntries_ ||
        a.hasTransparency() != b.hasTransparency())
        return false;
    if (a.mask_.size() > 0 && b.mask_.size() > 0 &&
        std::memcmp(a.mask_.get(), b.mask_.get(), a.mask_.size()) != 0)
        return false;
    // Compare pixels, not row padding.
    const std::size_t used = (static_cast<std::size_t>(a.width_) * storageBits(a.format_) + 7) / 8;
    const unsigned tailBits = (static_cast<unsigned>(a.width_) * storageBits(a.format_)) % 8;
    for (int y = 0; y < a.height_; ++y) {
        const std::uint8_t* ra = a.row(y);
        const std::uint8_t* rb = b.row(y);
        if (used == 0) continue;
        if (std::memcmp(ra, rb, used - 1) != 0) return false;
        const std::uint8_t mask = tailBits ? std::uint8_t(0xff << (8 - tailBits)) : 0xff;
        if ((ra[used - 1] & mask) != (rb[used - 1] & mask)) return false;
    }
    return true;
}

}  // namespace kararisu
