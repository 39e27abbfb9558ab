// The BMP reader. The headers are judged first (bmp_headers.cpp), and every
// size against the file before the picture is allocated; then the pixel rows
// are read from the file straight into their places in the picture, so no
// copy of the file is ever held beside it. RLE streams are read whole and
// decoded with every write bounds-checked.
//
// Decoding choices: 2-bit images become 4-bit with the same palette; bit
// fields other than 5-5-5, 5-6-5 and 8-8-8 become 32 bits; a pixel whose
// index lies beyond the colour table keeps its index and reads as black;
// pixels an RLE stream skips (deltas, early end of line or of bitmap) are
// index 0, but a stream cut before its end is refused.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <limits>

#include "support/files.h"
#include "worklists/bmp/bmp.h"
#include "worklists/bmp/bmp_headers.h"

namespace kararisu {

namespace {

// The bytes of a BMP file as the decoder asks for them, in file order and
// never backwards: first from memory (the bytes given to decodeBmp, or the
// head already read from a file), then from the file itself, no further
// than `end` (the bytes the headers say the picture can use).
class BmpSource {
  public:
    explicit BmpSource(std::span<const std::uint8_t> bytes) : memory_(bytes), end_(bytes.size()) {}
    // `head` holds the file's first bytes, which were read from fd; a
    // seekable file is of `end` bytes or more.
    BmpSource(int fd, std::vector<std::uint8_t> head, std::uint64_t end, bool seekable)
        : head_(std::move(head)), memory_(head_), fd_(fd), end_(end), seekable_(seekable) {}

    std::span<const std::uint8_t> head() const { return memory_; }

    // Moves on to `offset`; false when the file ends first.
    Outcome<bool> skipTo(std::uint64_t offset) {
        if (offset <= memory_.size()) {
            pos_ = offset;
            return true;
        }
        if (fd_ < 0 || offset > end_) return false;
        pos_ = std::max<std::uint64_t>(pos_, memory_.size());
        if (seekable_) {
            if (::lseek(fd_, off_t(offset), SEEK_SET) < 0) return Problem::fromErrno(errno);
            pos_ = offset;
            return true;
        }
        std::uint8_t discard[1 << 14];
        while (pos_ < offset) {
            const auto n = std::size_t(std::min<std::uint64_t>(sizeof discard, offset - pos_));
            const Outcome<std::size_t> got = readFully(fd_, std::span<std::uint8_t>(discard, n));
            if (!got) return got.problem();
            pos_ += *got;
            if (*got < n) return false;
        }
        return true;
    }

    // Reads `count` rows of `rowBytes` bytes, stored one after another from
    // here, into the places place(i) gives (all alive until the call ends);
    // returns how many arrived whole.
    template <typename Place>
    Outcome<std::size_t> readRows(std::size_t count, std::size_t rowBytes, Place place) {
        if (rowBytes == 0) return count;
        std::vector<iovec> pieces;
        std::uint64_t delivered = 0, asked = 0;
        auto flush = [&]() -> Outcome<bool> {
            if (pieces.empty()) return true;
            const Outcome<std::size_t> got =
                fd_ < 0 ? Outcome<std::size_t>(0) : readFullyInto(fd_, pieces);
            if (!got) return got.problem();
            delivered += *got;
            pos_ += *got;
            pieces.clear();
            return delivered == asked;
        };
        for (std::size_t i = 0; i < count; ++i) {
            std::uint8_t* row = place(i);
            std::size_t fromMemory = 0;
            if (pos_ < memory_.size()) {
                fromMemory = std::size_t(std::min<std::uint64_t>(rowBytes, memory_.size() - pos_));
                std::memcpy(row, memory_.data() + pos_, fromMemory);
                pos_ += fromMemory;
                delivered += fromMemory;
            }
            asked += rowBytes;
            if (fromMemory < rowBytes) {
                pieces.push_back({row + fromMemory, rowBytes - fromMemory});
                if (pieces.size() == IOV_MAX) {
                    const Outcome<bool> whole = flush();
                    if (!whole) return whole.problem();
                    if (!*whole) break;
                }
            }
        }
        const Outcome<bool> whole = flush();
        if (!whole) return whole.problem();
        return std::size_t(std::min<std::uint64_t>(delivered, asked) / rowBytes);
    }

    // The rest of the bytes the decoder may use (an RLE stream); those not
    // in memory are read into `holder`. A short file gives what it has.
    Outcome<std::span<const std::uint8_t>> rest(LargeBlock& holder) {
        const std::uint64_t stop = fd_ < 0 ? std::min<std::uint64_t>(end_, memory_.size()) : end_;
        if (pos_ >= stop) return std::span<const std::uint8_t>();
        if (stop <= memory_.size())
            return memory_.subspan(std::size_t(pos_), std::size_t(stop - pos_));
        if (stop - pos_ > std::numeric_limits<std::size_t>::max())
            return Problem::outOfMemory("not enough memory to read the file");
        holder = LargeBlock(std::size_t(stop - pos_));
        const std::uint64_t start = pos_;
        const Outcome<std::size_t> got =
            readRows(1, holder.size(), [&](std::size_t) { return holder.get(); });
        if (!got) return got.problem();
        return std::span<const std::uint8_t>(holder.get(), std::size_t(pos_ - start));
    }

    BmpSource(const BmpSource&) = delete;
    BmpSource& operator=(const BmpSource&) = delete;

  private:
    std::vector<std::uint8_t> head_;
    std::span<const std::uint8_t> memory_;
    int fd_ = -1;
    std::uint64_t end_ = 0;
    bool seekable_ = false;
    std::uint64_t pos_ = 0;
};

Problem endsInPixels() {
    return {ProblemKind::BmpTruncated, "file ends inside the pixel data"};
}

// RLE8 and RLE4 of a w x h picture into `out` (rows from the top), or only
// checked when `out` is null. A stream must reach its end-of-bitmap code or
// its last row; one that stops before is a cut file.
Outcome<void> decodeRle(std::span<const std::uint8_t> stream, int bits, int w, int h, Bitmap* out) {
    const std::uint8_t* p = stream.data();
    const std::size_t n = stream.size();
    std::size_t i = 0;
    int x = 0, line = 0;  // line counts from the first row stored
    auto put = [&](unsigned v) {
        if (out && x < w && line < h) out->setIndex(x, h - 1 - line, v);
        ++x;
    };
    while (line < h) {
        if (i + 2 > n) return endsInPixels();
        const unsigned count = p[i], code = p[i + 1];
        i += 2;
        if (count > 0) {
            for (unsigned k = 0; k < count; ++k)
                put(bits == 8 ? code : ((k & 1) ? (code & 0x0f) : (code >> 4)));
        } else if (code == 0) {  // end of line
            x = 0;
            ++line;
        } else if (code == 1) {  // end of bitmap
            return {};
        } else if (code == 2) {  // delta
            if (i + 2 > n) return endsInPixels();
            x += p[i];
            line += p[i + 1];
            i += 2;
        } else {  // literal pixels, padded to a whole word
            const std::size_t bytes = bits == 8 ? code : (code + 1) / 2;
            const std::size_t padded = (bytes + 1) & ~std::size_t{1};
            if (i + bytes > n)
                return Problem{ProblemKind::BmpBadRle,
                               "RLE data ends inside a run of literal pixels"};
            for (unsigned k = 0; k < code; ++k)
                put(bits == 8 ? p[i + k] : ((k & 1) ? (p[i + k / 2] & 0x0f) : (p[i + k / 2] >> 4)));
            i += std::min(padded, n - i);
        }
        if (x > w + 255 * 2) x = w + 1;  // keep the counter bounded on hostile streams
    }
    return {};
}

Outcome<BmpImage> readRlePixels(BmpSource& source, BmpImage r, const BmpLayout& layout) {
    LargeBlock holder;
    const Outcome<std::span<const std::uint8_t>> stream = source.rest(holder);
    if (!stream) return stream.problem();
    const int w = layout.width, h = layout.rows;
    // Runs hold at most 255 pixels in 2 bytes; a stream far too short for
    // the picture it announces is refused before the picture is allocated.
    const std::uint64_t pixels = std::uint64_t(w) * std::uint64_t(h);
    if (pixels > (std::uint64_t{1} << 20) && pixels / 1024 > stream->size())
        return Problem{ProblemKind::BmpBadRle, "RLE data too short for a " + std::to_string(w) +
                                                   " x " + std::to_string(h) + " picture"};
    // The stream is checked before the picture is allocated, so a short
    // file claiming a huge picture costs no memory.
    if (Outcome<void> valid = decodeRle(*stream, int(layout.bits), w, h, nullptr); !valid)
        return valid.problem();
    r.bitmap = Bitmap(w, h, layout.format);
    r.bitmap.setPaletteEntries(Palette(layout.table));
    (void)decodeRle(*stream, int(layout.bits), w, h, &r.bitmap);
    return r;
}

// A 32-bit row in place: the colour channels to 0x00RRGGBB, the alpha
// channel (when declared) to the mask.
void convert32Row(Bitmap& b, int y, const BmpLayout& layout, bool& alphaUsed,
                  std::uint64_t& partialAlpha) {
    const BmpMask mr(layout.masks[0]), mg(layout.masks[1]), mb(layout.masks[2]);
    const BmpMask ma(layout.alphaDeclared() ? layout.masks[3] : 0);
    const bool standard = layout.standardMasks();
    std::uint32_t* o = b.row32(y);
    const std::uint8_t* src = b.row(y);
    for (int x = 0, w = b.width(); x < w; ++x) {
        const std::uint32_t v = le32(src + 4 * x);
        o[x] = standard ? (v & 0xffffff) : Rgb{mr.extract(v), mg.extract(v), mb.extract(v)}.value();
        if (ma.mask == 0) continue;
        const std::uint8_t a = ma.extract(v);
        if (a != 0) alphaUsed = true;
        if (a != 0 && a != 255) ++partialAlpha;
        if (a < 128) b.writableMaskRow(y)[x] = 1;
    }
}

// A stored row that cannot be read into place (2 bits, bit fields of 16
// bits held in 32) into row y.
void convertRow(Bitmap& b, int y, const std::uint8_t* src, const BmpLayout& layout) {
    const int w = b.width();
    if (layout.bits == 2) {
        for (int x = 0; x < w; ++x) b.setIndex(x, y, (src[x >> 2] >> (6 - 2 * (x & 3))) & 3);
        return;
    }
    const BmpMask mr(layout.masks[0]), mg(layout.masks[1]), mb(layout.masks[2]);
    std::uint32_t* o = b.row32(y);
    for (int x = 0; x < w; ++x) {
        const std::uint32_t v = le16(src + 2 * x);
        o[x] = Rgb{mr.extract(v), mg.extract(v), mb.extract(v)}.value();
    }
}

Outcome<BmpImage> readRowPixels(BmpSource& source, BmpImage r, const BmpLayout& layout,
                                std::uint64_t size) {
    const int w = layout.width, hh = layout.rows;
    const std::size_t fileStride = layout.fileStride();
    if (size != kUnknownFileSize && hh > 0 && fileStride &&
        (size - layout.pixelsAt) / fileStride < std::size_t(hh))
        return endsInPixels();
    r.bitmap = Bitmap(w, hh, layout.format);
    Bitmap& b = r.bitmap;
    if (layout.bits <= 8) b.setPaletteEntries(Palette(layout.table));
    if (w == 0 || hh == 0) return r;
    const bool topDown = layout.info.topDown;
    auto rowOf = [&](std::size_t i) { return topDown ? int(i) : hh - 1 - int(i); };
    // Rows stored as they are held go straight into place.
    if (unsigned(storageBits(layout.format)) == layout.bits) {
        const Outcome<std::size_t> got = source.readRows(
            std::size_t(hh), fileStride, [&](std::size_t i) { return b.row(rowOf(i)); });
        if (!got) return got.problem();
        if (*got < std::size_t(hh)) return endsInPixels();
        if (layout.bits == 32) {
            bool alphaUsed = false;
            for (int y = 0; y < hh; ++y) convert32Row(b, y, layout, alphaUsed, r.info.partialAlpha);
            if (layout.alphaDeclared() && !alphaUsed) b.clearTransparency();
        }
        return r;
    }
    std::vector<std::uint8_t> stored(fileStride);
    for (std::size_t i = 0; i < std::size_t(hh); ++i) {
        const Outcome<std::size_t> got =
            source.readRows(1, fileStride, [&](std::size_t) { return stored.data(); });
        if (!got) return got.problem();
        if (*got < 1) return endsInPixels();
        convertRow(b, rowOf(i), stored.data(), layout);
    }
    return r;
}

// `size`: the bytes the decoder may use, or kUnknownFileSize for a stream
// that has not ended within the head.
Outcome<BmpImage> decodeFrom(BmpSource& source, std::uint64_t size) {
    try {
        Outcome<BmpLayout> layout = readBmpLayout(source.head(), size);
        if (!layout) return layout.problem();
        BmpImage r;
        r.info = layout->info;
        const Outcome<bool> reached = source.skipTo(layout->pixelsAt);
        if (!reached) return reached.problem();
        if (!*reached)
            return layout->offBits != 0 ? Problem{ProblemKind::BmpBadPixelOffset,
                                                  "the pixel data lies beyond the end of the file"}
                                        : endsInPixels();
        if (layout->rle) return readRlePixels(source, std::move(r), *layout);
        return readRowPixels(source, std::move(r), *layout, size);
    } catch (const std::bad_alloc&) {
        return Problem::outOfMemory("not enough memory to hold the picture");
    }
}

// Reads at most `fileSize` bytes from fd: the headers first; then only as
// much as they say the picture can use, so padding after the pixels is never
// read, and a stream without end costs no more than the largest picture the
// limits allow. `already` holds the first bytes, read from fd before (at
// most kBmpHeadBytes).
Outcome<BmpImage> readBmpFrom(int fd, std::uint64_t fileSize, bool seekable,
                              std::span<const std::uint8_t> already = {}) {
    std::vector<std::uint8_t> head(kBmpHeadBytes);
    const std::size_t known = std::min(already.size(), kBmpHeadBytes);
    std::copy(already.begin(), already.begin() + std::ptrdiff_t(known), head.begin());
    bool ended = false;
    auto readHead = [&](std::size_t from, std::size_t to) -> Outcome<void> {
        head.resize(to);
        const Outcome<std::size_t> got =
            readFully(fd, std::span<std::uint8_t>(head.data() + from, to - from));
        if (!got) return got.problem();
        if (*got < to - from) ended = true;
        head.resize(from + *got);
        return {};
    };
    if (Outcome<void> ok =
            readHead(known, std::size_t(std::min<std::uint64_t>(kBmpHeadBytes, fileSize)));
        !ok)
        return ok.problem();
    const std::uint64_t wanted = std::min(fileSize, bmpBytesWanted(head));
    if (wanted > std::numeric_limits<std::size_t>::max())
        return Problem::outOfMemory("not enough memory to read the file");
    // The colour table too, when the headers promise one.
    const std::size_t prefix = std::size_t(std::min<std::uint64_t>(wanted, kBmpPrefixBytes));
    if (!ended && prefix > head.size())
        if (Outcome<void> ok = readHead(head.size(), prefix); !ok) return ok.problem();
    const bool sized = seekable || ended;
    const std::uint64_t size = ended ? head.size() : sized ? wanted : kUnknownFileSize;
    BmpSource source(fd, std::move(head), ended ? size : wanted, seekable);
    return decodeFrom(source, size);
}

}  // namespace

Outcome<BmpImage> decodeBmp(std::span<const std::uint8_t> bytes) {
    BmpSource source(bytes);
    return decodeFrom(source, bytes.size());
}

Outcome<BmpImage> readBmpFile(const std::string& path) {
    std::uint64_t fileSize = 0;
    const Outcome<UniqueFd> file = openForReading(path, &fileSize);
    if (!file) return file.problem();
    return readBmpFrom(file->get(), fileSize, true);
}

Outcome<BmpImage> readBmpStream(int fd, std::span<const std::uint8_t> already) {
    return readBmpFrom(fd, std::numeric_limits<std::uint64_t>::max(), false, already);
}

Outcome<Bitmap> loadBmp(const std::string& path) {
    Outcome<BmpImage> r = readBmpFile(path);
    if (!r) return r.problem();
    return std::move(r->bitmap);
}

}  // namespace kararisu
