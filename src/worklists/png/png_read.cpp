// The PNG reader. libspng checks the chunks and inflates the pixels; the
// picture's size is checked against the program's limits before anything is
// allocated, and each scanline is converted straight into its place in the
// bitmap (interlaced passes pixel by pixel), so the only buffers beside the
// bitmap are libspng's and one scanline.
#include <spng.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "support/files.h"
#include "worklists/png/png.h"

namespace kararisu {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

// Ancillary chunks (text, ICC profiles, EXIF) are read but never used: a
// file may not make libspng hold more of them than this.
constexpr std::size_t kChunkLimit = std::size_t{16} << 20;
constexpr std::size_t kChunkCacheLimit = std::size_t{64} << 20;

struct CtxFree {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using Ctx = std::unique_ptr<spng_ctx, CtxFree>;

Problem problemOf(int err) {
    const std::string why = spng_strerror(err);
    switch (err) {
        case SPNG_IO_EOF:
        case SPNG_EOF:
            return {ProblemKind::PngTruncated, "file ends inside a chunk"};
        case SPNG_IO_ERROR:
        case SPNG_EIO:
            return {ProblemKind::IoError, "reading the file failed"};
        case SPNG_EMEM:
            return Problem::outOfMemory("not enough memory to decode the picture");
        case SPNG_ESIGNATURE:
            return {ProblemKind::NotAnImage, "not a PNG file (bad signature)"};
        case SPNG_EUSER_WIDTH:
        case SPNG_EUSER_HEIGHT:
        case SPNG_EOVERFLOW:
            return {ProblemKind::PngTooLarge, "the picture is too large to hold in memory"};
        case SPNG_EWIDTH:
        case SPNG_EHEIGHT:
        case SPNG_EBIT_DEPTH:
        case SPNG_ECOLOR_TYPE:
        case SPNG_ECOMPRESSION_METHOD:
        case SPNG_EFILTER_METHOD:
        case SPNG_EINTERLACE_METHOD:
        case SPNG_EIHDR_SIZE:
        case SPNG_ENOIHDR:
            return {ProblemKind::PngBadHeader, "bad PNG header (IHDR): " + why};
        case SPNG_EIDAT_TOO_SHORT:
        case SPNG_EIDAT_STREAM:
        case SPNG_EZLIB:
        case SPNG_EFILTER:
            return {ProblemKind::PngBadImageData, "bad PNG image data: " + why};
        default:
            return {ProblemKind::PngBadChunk, "bad PNG chunk: " + why};
    }
}

// Adam7: where the pixels of each pass lie. A file that is not interlaced
// has one pass of every pixel.
struct Pass {
    int x0, dx;
};
constexpr Pass kAdam7[7] = {{0, 8}, {4, 8}, {0, 4}, {2, 4}, {0, 2}, {1, 2}, {0, 1}};

int passWidth(int width, const Pass& p) {
    return width > p.x0 ? (width - p.x0 + p.dx - 1) / p.dx : 0;
}

std::uint8_t round16(std::uint16_t v) {
    return std::uint8_t((unsigned{v} + 128) / 257);
}

class Decoder {
  public:
    Decoder(spng_ctx* ctx, PngImage& out) : ctx_(ctx), out_(out) {}

    Outcome<void> run() {
        spng_ihdr ihdr{};
        if (int err = spng_get_ihdr(ctx_, &ihdr)) return problemOf(err);
        if (!Bitmap::sizeAllowed(ihdr.width, ihdr.height))
            return Problem{ProblemKind::PngTooLarge, std::to_string(ihdr.width) + " x " +
                                                         std::to_string(ihdr.height) +
                                                         " pixels is too large to hold in memory"};
        width_ = int(ihdr.width);
        height_ = int(ihdr.height);
        depth_ = ihdr.bit_depth;
        PngFileInfo& info = out_.info;
        info.bitDepth = depth_;
        info.colorType = ihdr.color_type;
        info.interlaced = ihdr.interlace_method != 0;
        spng_plte plte{};
        int err = spng_get_plte(ctx_, &plte);
        if (err && err != SPNG_ECHUNKAVAIL) return problemOf(err);
        const bool hasPlte = err == 0;
        spng_trns trns{};
        err = spng_get_trns(ctx_, &trns);
        if (err && err != SPNG_ECHUNKAVAIL) return problemOf(err);
        info.transparencyChunk = err == 0;

        const int type = ihdr.color_type;
        indexed_ =
            type == SPNG_COLOR_TYPE_INDEXED || (type == SPNG_COLOR_TYPE_GRAYSCALE && depth_ <= 8);
        int fmt = SPNG_FMT_PNG;
        int flags = SPNG_DECODE_PROGRESSIVE;
        if (indexed_) {
            if (type == SPNG_COLOR_TYPE_INDEXED && !hasPlte)
                return Problem{ProblemKind::PngBadChunk,
                               "a palette image without a palette (PLTE)"};
            const PixelFormat f = depth_ == 1   ? PixelFormat::Bpp1
                                  : depth_ == 8 ? PixelFormat::Bpp8
                                                : PixelFormat::Bpp4;
            out_.bitmap = Bitmap(width_, height_, f);
            setPalette(type, plte, trns);
        } else {
            const bool alpha = type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                               type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA || info.transparencyChunk;
            sixteen_ = depth_ == 16;
            rgb8_ = type == SPNG_COLOR_TYPE_TRUECOLOR && !sixteen_ && !alpha;
            fmt = rgb8_ ? SPNG_FMT_RGB8 : sixteen_ ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
            if (info.transparencyChunk) flags |= SPNG_DECODE_TRNS;
            out_.bitmap = Bitmap(width_, height_, alpha ? PixelFormat::Bpp32 : PixelFormat::Bpp24);
        }
        std::size_t imageBytes = 0;
        if ((err = spng_decoded_image_size(ctx_, fmt, &imageBytes))) return problemOf(err);
        scanline_.resize(imageBytes / std::size_t(height_));
        if ((err = spng_decode_image(ctx_, nullptr, 0, fmt, flags))) return problemOf(err);
        for (;;) {
            spng_row_info row{};
            if ((err = spng_get_row_info(ctx_, &row))) return problemOf(err);
            err = spng_decode_scanline(ctx_, scanline_.data(), scanline_.size());
            if (err && err != SPNG_EOI) return problemOf(err);
            const Pass pass = info.interlaced ? kAdam7[row.pass] : Pass{0, 1};
            place(int(row.row_num), pass);
            if (err == SPNG_EOI) break;
        }
        // The chunks after the pixels, to the end chunk: a file whose last
        // checksums are wrong, or that stops short of its end, is corrupt.
        if ((err = spng_decode_chunks(ctx_))) return problemOf(err);
        if (partialEntries_.any()) countPartialEntries();
        return {};
    }

  private:
    void setPalette(int type, const spng_plte& plte, const spng_trns& trns) {
        Bitmap& b = out_.bitmap;
        const std::size_t slots = std::size_t{1} << storageBits(b.format());
        std::vector<Rgb> entries(slots);
        if (type == SPNG_COLOR_TYPE_INDEXED) {
            for (std::size_t i = 0; i < plte.n_entries && i < slots; ++i)
                entries[i] = Rgb{plte.entries[i].red, plte.entries[i].green, plte.entries[i].blue};
        } else {
            const unsigned top = (1u << depth_) - 1;
            for (unsigned v = 0; v <= top; ++v) {
                const auto g = std::uint8_t(v * 255 / top);
                entries[v] = Rgb{g, g, g};
            }
        }
        b.setPaletteEntries(Palette(std::move(entries)));
        if (!out_.info.transparencyChunk) return;
        if (type == SPNG_COLOR_TYPE_INDEXED) {
            for (unsigned i = 0; i < trns.n_type3_entries && i < 256; ++i) {
                const std::uint8_t a = trns.type3_alpha[i];
                if (a < 128) b.setTransparentEntry(i);
                if (a != 0 && a != 255) partialEntries_.set(i);
            }
        } else if (trns.gray < (1u << depth_)) {
            b.setTransparentEntry(trns.gray);
        }
    }

    // Scanline samples of `depth_` bits, the first in the top bits.
    unsigned sample(int k) const {
        if (depth_ == 8) return scanline_[std::size_t(k)];
        const int bit = k * depth_;
        const unsigned mask = (1u << depth_) - 1;
        return (scanline_[std::size_t(bit >> 3)] >> (8 - depth_ - (bit & 7))) & mask;
    }

    void place(int y, const Pass& pass) {
        Bitmap& b = out_.bitmap;
        const int n = passWidth(width_, pass);
        if (indexed_) {
            if (pass.dx == 1 && depth_ == storageBits(b.format())) {
                std::memcpy(b.row(y), scanline_.data(), (std::size_t(width_) * depth_ + 7) / 8);
                return;
            }
            for (int k = 0, x = pass.x0; k < n; ++k, x += pass.dx) b.setIndex(x, y, sample(k));
            return;
        }
        if (b.format() == PixelFormat::Bpp24) {
            std::uint8_t* o = b.row(y);
            for (int k = 0, x = pass.x0; k < n; ++k, x += pass.dx) {
                std::uint8_t* px = o + 3 * std::size_t(x);
                if (rgb8_) {
                    const std::uint8_t* s = &scanline_[3 * std::size_t(k)];
                    px[0] = s[2], px[1] = s[1], px[2] = s[0];
                } else {
                    const std::uint16_t* s = sixteenAt(k);
                    px[0] = round16(s[2]), px[1] = round16(s[1]), px[2] = round16(s[0]);
                }
            }
            return;
        }
        std::uint32_t* o = b.row32(y);
        for (int k = 0, x = pass.x0; k < n; ++k, x += pass.dx) {
            std::uint8_t r, g, bl, a;
            if (sixteen_) {
                const std::uint16_t* s = sixteenAt(k);
                r = round16(s[0]), g = round16(s[1]), bl = round16(s[2]), a = round16(s[3]);
            } else {
                const std::uint8_t* s = &scanline_[4 * std::size_t(k)];
                r = s[0], g = s[1], bl = s[2], a = s[3];
            }
            o[x] = Rgb{r, g, bl}.value();
            if (a != 255) {
                if (a != 0) ++out_.info.partialAlpha;
                if (a < 128) b.writableMaskRow(y)[x] = 1;
            }
        }
    }

    const std::uint16_t* sixteenAt(int k) const {
        return reinterpret_cast<const std::uint16_t*>(scanline_.data()) + 4 * std::size_t(k);
    }

    void countPartialEntries() {
        const Bitmap& b = out_.bitmap;
        for (int y = 0; y < b.height(); ++y)
            for (int x = 0; x < b.width(); ++x)
                if (partialEntries_.test(b.index(x, y))) ++out_.info.partialAlpha;
    }

    spng_ctx* ctx_;
    PngImage& out_;
    int width_ = 0, height_ = 0, depth_ = 0;
    bool indexed_ = false, sixteen_ = false, rgb8_ = false;
    std::bitset<256> partialEntries_;
    // 16-bit samples are read through it as words: operator new aligns it.
    std::vector<std::uint8_t> scanline_;
};

Ctx newDecoder() {
    Ctx ctx(spng_ctx_new(0));
    if (!ctx) return ctx;
    spng_set_image_limits(ctx.get(), std::uint32_t(Bitmap::kMaxSide),
                          std::uint32_t(Bitmap::kMaxSide));
    spng_set_chunk_limits(ctx.get(), kChunkLimit, kChunkCacheLimit);
    return ctx;
}

// Feeds libspng from a file descriptor through a buffer of its own, the
// bytes already read from it first. A stream without end is read no further
// than the largest file the program takes: four bytes for each pixel it may
// hold, and room for the chunks around them.
class FileSource {
  public:
    static constexpr std::uint64_t kLimit = 4 * Bitmap::kMaxPixels + (std::uint64_t{1} << 24);

    FileSource(int fd, std::span<const std::uint8_t> already) : fd_(fd) {
        std::copy(already.begin(), already.end(), buffer_.begin());
        end_ = already.size();
    }
    static int read(spng_ctx*, void* user, void* dest, std::size_t length) {
        return static_cast<FileSource*>(user)->fill(static_cast<std::uint8_t*>(dest), length);
    }
    const std::optional<Problem>& problem() const { return problem_; }

  private:
    int fill(std::uint8_t* dest, std::size_t length) {
        while (length > 0) {
            if (at_ == end_) {
                if (total_ >= kLimit) {
                    problem_ = Problem{ProblemKind::PngTooLarge,
                                       "the stream goes on beyond any picture this program holds"};
                    return SPNG_IO_ERROR;
                }
                const Outcome<std::size_t> got = readFully(fd_, buffer_);
                if (!got) {
                    problem_ = got.problem();
                    return SPNG_IO_ERROR;
                }
                at_ = 0, end_ = *got;
                total_ += *got;
                if (end_ == 0) {
                    problem_ = Problem{ProblemKind::PngTruncated, "file ends inside a chunk"};
                    return SPNG_IO_EOF;
                }
            }
            const std::size_t n = std::min(length, end_ - at_);
            std::memcpy(dest, buffer_.data() + at_, n);
            dest += n, at_ += n, length -= n;
        }
        return 0;
    }

    int fd_;
    std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(std::size_t{1} << 16);
    std::size_t at_ = 0, end_ = 0;
    std::uint64_t total_ = 0;
    std::optional<Problem> problem_;
};

Outcome<PngImage> decodeWith(spng_ctx* ctx, const FileSource* source) {
    try {
        PngImage image;
        Decoder decoder(ctx, image);
        Outcome<void> done = decoder.run();
        if (!done) {
            // A failed read says why better than libspng's end of stream.
            if (source != nullptr && source->problem() &&
                source->problem()->kind != ProblemKind::PngTruncated)
                return *source->problem();
            return done.problem();
        }
        return image;
    } catch (const std::bad_alloc&) {
        return Problem::outOfMemory("not enough memory to hold the picture");
    }
}

}  // namespace

bool hasPngSignature(std::span<const std::uint8_t> head) {
    return head.size() >= sizeof kSignature && std::equal(kSignature, kSignature + 8, head.begin());
}

Outcome<PngImage> decodePng(std::span<const std::uint8_t> bytes) {
    Ctx ctx = newDecoder();
    if (!ctx) return Problem::outOfMemory("not enough memory to decode the picture");
    if (int err = spng_set_png_buffer(ctx.get(), bytes.data(), bytes.size())) return problemOf(err);
    return decodeWith(ctx.get(), nullptr);
}

Outcome<PngImage> readPngFile(const std::string& path) {
    const Outcome<UniqueFd> file = openForReading(path);
    if (!file) return file.problem();
    return readPngStream(file->get());
}

Outcome<PngImage> readPngStream(int fd, std::span<const std::uint8_t> already) {
    Ctx ctx = newDecoder();
    if (!ctx) return Problem::outOfMemory("not enough memory to decode the picture");
    FileSource source(fd, already.first(std::min<std::size_t>(already.size(), 8)));
    if (int err = spng_set_png_stream(ctx.get(), &FileSource::read, &source)) return problemOf(err);
    return decodeWith(ctx.get(), &source);
}

}  // namespace kararisu
