#pragma once
// What the dithers share: the bands the rows are cut into, and the tables
// that remember the matcher's answers for the colours asked about.

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "support/large_buffer.h"
#include "worklists/bitmap.h"
#include "worklists/color_match.h"

namespace kararisu::dithering {

inline constexpr int kBandRows = 256;
inline constexpr int kMaxBands = 16;
// The rows above a band over which error diffusion warms up.
inline constexpr int kWarmRows = 8;

inline int bandsFor(int height) {
    return std::clamp(height / kBandRows, 1, kMaxBands);
}

// A channel's bits spread three apart, so that the three channels of a
// colour interleave and near colours land near each other in a table.
inline constexpr std::array<std::uint32_t, 256> kSpread = [] {
    std::array<std::uint32_t, 256> spread{};
    for (unsigned v = 0; v < 256; ++v)
        for (unsigned bit = 0; bit < 8; ++bit) spread[v] |= ((v >> bit) & 1u) << (3 * bit);
    return spread;
}();

// The matcher's answers kept for every colour asked about, shared by the
// threads: dithered colours wander around the picture's own, and the same
// ones are asked for again and again. One byte per colour, one more than
// its entry, laid out with the bits of the three channels interleaved so
// that near colours share cache lines (a 4 × 4 × 4 cube is one line); only
// the pages of colours asked about are ever backed. A byte of 0 is a colour
// not asked about yet or one of entry 255, which a bit of its own tells.
// Each answer is the same whoever finds it: two threads may both search a
// colour, and a bit one sets may be lost to the other's store of its byte
// of bits, which only means searching again (a locked update would stall
// the core at every new colour).
class NearestTable {
  public:
    explicit NearestTable(const ColorMatcher& m) : matcher_(m), table_(kColors + kColors / 8) {}

    unsigned operator()(std::uint32_t rgb) const {
        const std::uint32_t c = indexOf(rgb);
        std::uint8_t* index = table_.get();
        std::atomic_ref<std::uint8_t> slot(index[c]);
        if (const unsigned held = slot.load(std::memory_order_relaxed); held != 0) return held - 1;
        std::atomic_ref<std::uint8_t> last(index[kColors + (c >> 3)]);
        if (last.load(std::memory_order_relaxed) & std::uint8_t(1u << (c & 7))) return kLast;
        const unsigned k = matcher_.nearest(rgb);
        remember(rgb, k);
        return k;
    }

    // Keeps k as the answer for the colour 0x00RRGGBB.
    void remember(std::uint32_t rgb, unsigned k) const {
        const std::uint32_t c = indexOf(rgb);
        std::uint8_t* index = table_.get();
        if (k == kLast) {
            std::atomic_ref<std::uint8_t> last(index[kColors + (c >> 3)]);
            last.store(last.load(std::memory_order_relaxed) | std::uint8_t(1u << (c & 7)),
                       std::memory_order_relaxed);
        } else {
            std::atomic_ref<std::uint8_t>(index[c]).store(std::uint8_t(k + 1),
                                                          std::memory_order_relaxed);
        }
    }

    // The matcher's answers for a cube of 2 x 2 x 2 colours, not remembered.
    void searchCube(int r, int g, int b, unsigned (&nearest)[8]) const {
        matcher_.nearestOfCube(r, g, b, nearest);
    }

    static constexpr unsigned kLast = 255;

  private:
    static constexpr std::size_t kColors = std::size_t{1} << 24;
    static std::uint32_t indexOf(std::uint32_t rgb) {
        return kSpread[(rgb >> 16) & 0xff] << 2 | kSpread[(rgb >> 8) & 0xff] << 1 |
               kSpread[rgb & 0xff];
    }
    const ColorMatcher& matcher_;
    LargeBlock table_;
};

// Floyd–Steinberg's colours, which wander by the error around the
// picture's own, are matched by cells of 2 × 2 × 2 colours: the look-up is
// what the diffusion waits on at every pixel, and this table (4 MiB) mostly
// stays in the processor's cache where one of every colour (16 MiB) does
// not. A cell whose eight colours all have the same nearest entry holds
// that entry; a cell on a boundary between entries holds the place of its
// eight answers in a block of its own (a photo's dithered colours fall into
// such cells a third of the time, a few tens of thousands of them: too
// often to go to the colour table each time). Every answer is the colour's
// own nearest entry. Filled as the colours are asked for and shared by the threads: two
// threads may both fill a cell, with the same answer; a boundary cell's
// answers are written before the cell names them.
class CellTable {
  public:
    explicit CellTable(const NearestTable& colours)
        : colours_(colours), cells_(kCells * sizeof(std::uint16_t)), answers_(8 * kBlocks) {}

    unsigned operator()(int r, int g, int b) const {
        const unsigned held = std::atomic_ref<std::uint16_t>(cells()[cellOf(r, g, b)])
                                  .load(std::memory_order_acquire);
        if (held - 1u < 256u) return held - 1u;
        if (held - kFirstBlock < kBlocks)
            return answers_.get()[8 * (held - kFirstBlock) + cornerOf(r, g, b)];
        return lookUp(r, g, b);
    }

  private:
    static constexpr std::size_t kCells = std::size_t{1} << 21;
    // What a cell holds: 0 not known yet; 1-256 one more than the entry of
    // all its colours; from kFirstBlock the block of its answers; kByColour
    // its colours matched through NearestTable, once the blocks ran out.
    static constexpr unsigned kFirstBlock = 257;
    static constexpr unsigned kByColour = 0xffff;
    static constexpr unsigned kBlocks = kByColour - kFirstBlock;

    // A cell not known yet, or one matched colour by colour (dither.cpp):
    // out of the diffusion's loop, which it would crowd.
    unsigned lookUp(int r, int g, int b) const;
    std::uint16_t* cells() const { return reinterpret_cast<std::uint16_t*>(cells_.get()); }
    static std::uint32_t cellOf(int r, int g, int b) {
        return kSpread[r >> 1] << 2 | kSpread[g >> 1] << 1 | kSpread[b >> 1];
    }
    static unsigned cornerOf(int r, int g, int b) {
        return unsigned(4 * (r & 1) + 2 * (g & 1) + (b & 1));
    }

    const NearestTable& colours_;
    LargeBlock cells_;
    LargeBlock answers_;  // eight entries a block, one per colour of the cell
    mutable std::atomic<unsigned> blocksUsed_ = 0;
};

// Whether a colour is one of the palette's, asked at nearly every pixel
// and nearly always no: a bit for each of 2^16 hashes of a colour, set for
// the entries' colours, answers most at once from the core's nearest cache;
// the few colours whose bit is set are looked for among the entries'
// colours in an open hash.
class PaletteColours {
  public:
    explicit PaletteColours(const std::vector<Rgb>& pal) {
        filter_.fill(0);
        slots_.fill(kEmpty);
        for (const Rgb& p : pal) {
            const std::uint32_t v = p.value();
            filter_[hashOf(v) >> 6] |= std::uint64_t{1} << (hashOf(v) & 63);
            std::size_t i = hashOf(v) & (kSlots - 1);
            while (slots_[i] != kEmpty && slots_[i] != v) i = (i + 1) & (kSlots - 1);
            slots_[i] = v;
        }
    }

    bool holds(std::uint32_t rgb) const {
        const std::uint32_t h = hashOf(rgb);
        if (((filter_[h >> 6] >> (h & 63)) & 1) == 0) return false;
        for (std::size_t i = h & (kSlots - 1);; i = (i + 1) & (kSlots - 1)) {
            if (slots_[i] == rgb) return true;
            if (slots_[i] == kEmpty) return false;
        }
    }

  private:
    // Four slots an entry at the most, so that a search ends soon.
    static constexpr std::size_t kSlots = 1024;
    static constexpr std::uint32_t kEmpty = 0xffffffffu;  // no 0x00RRGGBB value
    static std::uint32_t hashOf(std::uint32_t rgb) { return (rgb * 2654435761u) >> 16; }
    std::array<std::uint64_t, 1024> filter_;
    std::array<std::uint32_t, kSlots> slots_;
};

inline void put(Bitmap& dst, std::uint8_t* out, int x, int y, unsigned index) {
    if (dst.format() == PixelFormat::Bpp8) {
        out[x] = std::uint8_t(index);
    } else {
        dst.setIndex(x, y, index);
    }
}

inline int channelOf(std::uint32_t colour, int shift) {
    return int((colour >> shift) & 0xff);
}

inline std::uint8_t clamp8(int v) {
    return std::uint8_t(std::clamp(v, 0, 255));
}

// Where a diffusion's pixels go. The bands write them into the result;
// the refinement for dithering only sums the error each entry was asked to
// absorb (given: the pixel's colour as diffused less its own colour).
class ResultRows {
  public:
    explicit ResultRows(Bitmap& dst) : dst_(dst), bytes_(dst.format() == PixelFormat::Bpp8) {}
    void row(int y) { out_ = dst_.row(y), y_ = y; }
    void take(int x, unsigned index, bool, const int (&)[3]) {
        if (bytes_) {
            out_[x] = std::uint8_t(index);
        } else {
            dst_.setIndex(x, y_, index);
        }
    }

  private:
    Bitmap& dst_;
    bool bytes_;  // a byte a pixel
    std::uint8_t* out_ = nullptr;
    int y_ = 0;
};

// The error passed to the opaque pixels that took an entry, per channel,
// and how many they were.
struct Demand {
    std::int64_t given[3] = {0, 0, 0};
    std::int64_t pixels = 0;
};

// The pixels' part of SampleSums: each entry's demand, and the errors of
// the blocks of the row of blocks open (three sums a block), which close
// into blockError when the rows move on to the next row of blocks.
class SampleCounter {
  public:
    SampleCounter(const Bitmap& image, const std::vector<Rgb>& pal, std::vector<Demand>& demand,
                  std::vector<std::uint32_t>& source, std::vector<std::int64_t>& open,
                  std::int64_t& blockError)
        : image_(image),
          pal_(pal),
          demand_(demand),
          source_(source),
          open_(open),
          blockError_(blockError) {}

    void row(int y) {
        if (y % 4 == 0) close();
        image_.readColorValues(y, source_.data());
    }
    void take(int x, unsigned index, bool opaque, const int (&given)[3]) {
        if (!opaque) return;
        Demand& d = demand_[index];
        for (int ch = 0; ch < 3; ++ch) d.given[ch] += given[ch];
        ++d.pixels;
        const Rgb p = pal_[index];
        const std::uint32_t c = source_[std::size_t(x)];
        std::int64_t* block = open_.data() + 3 * std::size_t(x / 4);
        block[0] += p.r - channelOf(c, 16);
        block[1] += p.g - channelOf(c, 8);
        block[2] += p.b - channelOf(c, 0);
    }
    void close() {
        for (std::int64_t& sum : open_) blockError_ += sum * sum, sum = 0;
    }

  private:
    const Bitmap& image_;
    const std::vector<Rgb>& pal_;
    std::vector<Demand>& demand_;
    std::vector<std::uint32_t>& source_;  // the row's own colours
    std::vector<std::int64_t>& open_;
    std::int64_t& blockError_;
};

// What a diffusion of sampled rows tells about its palette: the error each
// entry was asked to absorb, and how far the picture as the eye sees it is
// off. The eye sees a dither's mean over a few pixels: blockError sums,
// over blocks of 4 × 4 pixels (from rows and columns of multiples of 4) and
// channels, the square of the error summed over the block.
struct SampleSums {
    std::vector<Demand> demand;
    std::int64_t blockError = 0;
};

// Runs band(counter) with a SampleCounter into sums, and closes its last
// row of blocks.
template <typename Band>
void sampleInto(const Bitmap& image, const std::vector<Rgb>& pal, SampleSums& sums, Band band) {
    std::vector<std::uint32_t> source(std::size_t(image.width()));
    std::vector<std::int64_t> open(3 * std::size_t((image.width() + 3) / 4), 0);
    SampleCounter counter(image, pal, sums.demand, source, open, sums.blockError);
    band(counter);
    counter.close();
}

// Adds to sums what the pixels of rows [first, last) give, first a multiple
// of 4. Floyd–Steinberg's (dither.cpp) or the auto dither's
// (dither_auto.cpp), warmed up as in the bands.
void floydSteinbergSample(const Bitmap& image, const std::vector<Rgb>& pal,
                          const CellTable& nearest, int first, int last, SampleSums& sums);
void adaptiveDiffusionSample(const Bitmap& image, const std::vector<Rgb>& pal,
                             const CellTable& nearest, int first, int last, SampleSums& sums);

// Rows [first, last) of a band by the error diffusion that dithers only
// where it helps, warmed up like Floyd–Steinberg's (dither_auto.cpp).
void adaptiveDiffusionBand(const Bitmap& image, Bitmap& dst, const std::vector<Rgb>& pal,
                           const CellTable& nearest, int first, int last);

}  // namespace kararisu::dithering
