#pragma once
// A device-independent bitmap held in memory: rows from the top, each row
// padded to 4 bytes as in a BMP file, with a palette for 1, 4 and 8 bits.

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "support/large_buffer.h"
#include "worklists/palette.h"

namespace kararisu {

enum class PixelFormat : int {
    Bpp1 = 1,
    Bpp4 = 4,
    Bpp8 = 8,
    Bpp15 = 15,  // 16 bits per pixel, x-5-5-5
    Bpp16 = 16,  // 16 bits per pixel, 5-6-5
    Bpp24 = 24,  // bytes blue, green, red
    Bpp32 = 32,  // little-endian words 0x??RRGGBB
};

// Bits one pixel takes in memory (15 takes 16).
int storageBits(PixelFormat f);
bool isPaletted(PixelFormat f);
// DepthCode: 0, 1, 2, 3, 4, 5 for 1, 4, 8, 16, 24, 32 bits; 5-5-5 shares 3 with 5-6-5.
int depthCode(PixelFormat f);
const char* formatName(PixelFormat f);  // "1", "4", "8", "15 (5-5-5)", ...

class Bitmap {
  public:
    // A bitmap whose 32-bit copy would exceed this many bytes is refused:
    // 1 GiB is far beyond any photo and still fits a desktop's memory.
    static constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;
    // No side may exceed this, even when the other is 0.
    static constexpr std::int64_t kMaxSide = std::int64_t{1} << 20;
    static bool sizeAllowed(std::int64_t width, std::int64_t height);
    static std::size_t strideFor(int width, PixelFormat f);

    Bitmap();  // 0 x 0, 32 bits per pixel
    // Throws std::length_error when sizeAllowed() is false. A paletted bitmap
    // starts with 2^bpp black entries; every pixel starts at 0.
    Bitmap(int width, int height, PixelFormat format);
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    Bitmap(Bitmap&&) noexcept;
    Bitmap& operator=(Bitmap&&) noexcept;
    ~Bitmap();

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ == 0 || height_ == 0; }
    PixelFormat format() const { return format_; }
    std::size_t stride() const { return stride_; }
    std::size_t byteSize() const { return stride_ * static_cast<std::size_t>(height_); }

    std::uint8_t* row(int y) { return data_.get() + stride_ * static_cast<std::size_t>(y); }
    const std::uint8_t* row(int y) const {
        return data_.get() + stride_ * static_cast<std::size_t>(y);
    }
    // Rows of a 32-bit bitmap: pixel x is a word whose low 24 bits are 0xRRGGBB.
    std::uint32_t* row32(int y) { return reinterpret_cast<std::uint32_t*>(row(y)); }
    const std::uint32_t* row32(int y) const {
        return reinterpret_cast<const std::uint32_t*>(row(y));
    }

    // Palette index of a pixel of a paletted bitmap.
    unsigned index(int x, int y) const;
    void setIndex(int x, int y, unsigned index);
    // Colour of any pixel as 0x00RRGGBB (paletted: through the palette; an
    // index beyond the palette reads as black).
    std::uint32_t pixelValue(int x, int y) const;
    // The colours of row y as 0x00RRGGBB values, width() of them: what
    // pixelValue gives, a whole row at a time.
    void readColorValues(int y, std::uint32_t* out) const;

    const Palette& palette() const { return palette_; }
    // Gives the bitmap a new palette and re-maps every pixel to the entry of
    // the new palette nearest to the colour it had. Only for paletted formats;
    // entries beyond 2^bpp are dropped.
    void setPalette(Palette palette);
    // Replaces the palette without touching the indices (decoders, swatches).
    void setPaletteEntries(Palette palette);

    // Converts keeping the picture. To 32 bits: paletted pixels through the
    // palette, 15/16-bit channels scaled v * 255 / 31 (or / 63) rounded. To a
    // paletted format: a palette that fits is kept, otherwise the system
    // colours are used and pixels matched to them.
    void setFormat(PixelFormat format);
    // Keeps the palette and the overlapping part of the picture; new area is 0.
    void setSize(int width, int height);

    // Transparency, which PNG files and 32-bit BMPs with an alpha channel
    // carry and BMP files written here do not. A pixel is transparent or
    // not: a paletted bitmap marks whole entries, any other a mask of one
    // byte a pixel (made when the first pixel is marked). Copies keep it;
    // setFormat to 32 bits turns marked entries into the mask, setPalette
    // and setFormat to a paletted format drop it.
    bool hasTransparency() const;
    bool isTransparent(int x, int y) const;
    // Row y as 0 (opaque) or 1 (transparent) a pixel, width() of them.
    void readTransparency(int y, std::uint8_t* out) const;
    // Paletted bitmaps.
    bool isTransparentEntry(unsigned index) const { return transparentEntries_.test(index & 255); }
    void setTransparentEntry(unsigned index, bool transparent = true);
    // The lowest transparent entry, or -1.
    int firstTransparentEntry() const;
    // Other bitmaps: the mask's row y (1 = transparent), or null when none
    // was made; the writable row makes the mask (null for a paletted one).
    const std::uint8_t* maskRow(int y) const;
    std::uint8_t* writableMaskRow(int y);
    void clearTransparency();

    friend bool operator==(const Bitmap& a, const Bitmap& b);

  private:
    int width_ = 0;
    int height_ = 0;
    PixelFormat format_ = PixelFormat::Bpp32;
    std::size_t stride_ = 0;
    LargeBlock data_;
    Palette palette_;
    std::bitset<256> transparentEntries_;
    LargeBlock mask_;  // width x height bytes, or none
};

// Expands 5- and 6-bit channels to 8 bits, rounding to nearest.
constexpr std::uint8_t expand5(unsigned v) {
    return std::uint8_t((v * 255 + 15) / 31);
}
constexpr std::uint8_t expand6(unsigned v) {
    return std::uint8_t((v * 255 + 31) / 63);
}

}  // namespace kararisu
