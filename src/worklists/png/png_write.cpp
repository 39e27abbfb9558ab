// The PNG writer: libspng deflates the rows as they are handed to it, from
// the bitmap's own rows where they are already in PNG's packing (1, 4 and 8
// bits) and through one converted row otherwise.
#include <spng.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "worklists/png/png.h"

namespace kararisu {

namespace {

struct CtxFree {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
struct MallocFree {
    void operator()(void* p) const { std::free(p); }
};

Problem encodeProblem(int err) {
    if (err == SPNG_EMEM) return Problem::outOfMemory("not enough memory to build the file");
    return {ProblemKind::PngCannotWrite,
            std::string("cannot encode the PNG: ") + spng_strerror(err)};
}

// The palette written: the bitmap's whole palette, and as many more black
// entries as its indices and transparent entries reach beyond it.
std::size_t paletteLength(const Bitmap& b) {
    const std::size_t slots = std::size_t{1} << storageBits(b.format());
    std::size_t n = std::min(b.palette().size(), slots);
    for (std::size_t i = n; i < slots; ++i)
        if (b.isTransparentEntry(unsigned(i))) n = i + 1;
    for (int y = 0; y < b.height() && n < slots; ++y)
        for (int x = 0; x < b.width(); ++x) n = std::max<std::size_t>(n, b.index(x, y) + 1);
    return std::max<std::size_t>(n, 1);
}

struct Encoded {
    std::unique_ptr<void, MallocFree> bytes;
    std::size_t size = 0;
};

Outcome<Encoded> encode(const Bitmap& b, const PngCompression& how) {
    if (b.isEmpty())
        return Problem{ProblemKind::PngCannotWrite,
                       "a PNG file cannot hold a picture without pixels"};
    std::unique_ptr<spng_ctx, CtxFree> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!ctx) return Problem::outOfMemory("not enough memory to build the file");
    spng_ctx* c = ctx.get();
    const bool paletted = isPaletted(b.format());
    const bool alpha = !paletted && b.maskRow(0) != nullptr;
    spng_ihdr ihdr{};
    ihdr.width = std::uint32_t(b.width());
    ihdr.height = std::uint32_t(b.height());
    ihdr.bit_depth = std::uint8_t(paletted ? storageBits(b.format()) : 8);
    ihdr.color_type = std::uint8_t(paletted ? SPNG_COLOR_TYPE_INDEXED
                                   : alpha  ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA
                                            : SPNG_COLOR_TYPE_TRUECOLOR);
    // Paletted pictures compress best unfiltered; truecolour ones with the
    // filter each row suits best.
    const int filters = how.filters ? how.filters
                        : paletted  ? int(SPNG_FILTER_CHOICE_NONE)
                                    : int(SPNG_FILTER_CHOICE_ALL);
    const int strategy = how.strategy >= 0                    ? how.strategy
                         : filters == SPNG_FILTER_CHOICE_NONE ? Z_DEFAULT_STRATEGY
                                                              : Z_FILTERED;
    int err = spng_set_option(c, SPNG_ENCODE_TO_BUFFER, 1);
    if (!err) err = spng_set_ihdr(c, &ihdr);
    if (!err) err = spng_set_option(c, SPNG_IMG_COMPRESSION_LEVEL, how.level);
    if (!err) err = spng_set_option(c, SPNG_FILTER_CHOICE, filters);
    if (!err) err = spng_set_option(c, SPNG_IMG_COMPRESSION_STRATEGY, strategy);
    if (!err && paletted) {
        spng_plte plte{};
        plte.n_entries = std::uint32_t(paletteLength(b));
        for (std::uint32_t i = 0; i < plte.n_entries; ++i) {
            const Rgb e = b.palette().at(i);
            plte.entries[i] = {e.r, e.g, e.b, 255};
        }
        err = spng_set_plte(c, &plte);
        int last = -1;
        for (int i = int(plte.n_entries) - 1; i >= 0 && last < 0; --i)
            if (b.isTransparentEntry(unsigned(i))) last = i;
        if (!err && last >= 0) {
            spng_trns trns{};
            trns.n_type3_entries = std::uint32_t(last + 1);
            for (int i = 0; i <= last; ++i)
                trns.type3_alpha[i] = b.isTransparentEntry(unsigned(i)) ? 0 : 255;
            err = spng_set_trns(c, &trns);
        }
    }
    if (!err)
        err = spng_encode_image(c, nullptr, 0, SPNG_FMT_PNG,
                                SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
    if (err) return encodeProblem(err);

    const std::size_t channels = paletted ? 0 : alpha ? 4 : 3;
    const std::size_t rowBytes = paletted
                                     ? (std::size_t(b.width()) * storageBits(b.format()) + 7) / 8
                                     : std::size_t(b.width()) * channels;
    std::vector<std::uint8_t> converted(paletted ? 0 : rowBytes);
    std::vector<std::uint32_t> colours(paletted ? 0 : std::size_t(b.width()));
    for (int y = 0; y < b.height(); ++y) {
        const void* row = b.row(y);
        if (!paletted) {
            b.readColorValues(y, colours.data());
            const std::uint8_t* mask = alpha ? b.maskRow(y) : nullptr;
            std::uint8_t* o = converted.data();
            for (int x = 0; x < b.width(); ++x, o += channels) {
                const std::uint32_t v = colours[std::size_t(x)];
                o[0] = std::uint8_t(v >> 16), o[1] = std::uint8_t(v >> 8), o[2] = std::uint8_t(v);
                if (alpha) o[3] = mask[x] ? 0 : 255;
            }
            row = converted.data();
        }
        err = spng_encode_row(c, row, rowBytes);
        if (err && err != SPNG_EOI) return encodeProblem(err);
    }
    Encoded out;
    out.bytes.reset(spng_get_png_buffer(c, &out.size, &err));
    if (!out.bytes) return encodeProblem(err ? err : SPNG_EINTERNAL);
    return out;
}

}  // namespace

Outcome<LargeVector<std::uint8_t>> encodePng(const Bitmap& bitmap, const PngCompression& how) {
    Outcome<Encoded> e = encode(bitmap, how);
    if (!e) return e.problem();
    const auto* p = static_cast<const std::uint8_t*>(e->bytes.get());
    return LargeVector<std::uint8_t>(p, p + e->size);
}

Outcome<void> savePng(const Bitmap& bitmap, const std::string& path, WriteMode mode) {
    try {
        Outcome<Encoded> e = encode(bitmap, {});
        if (!e) return e.problem();
        return writeFileAtomically(path,
                                   std::span<const std::uint8_t>(
                                       static_cast<const std::uint8_t*>(e->bytes.get()), e->size),
                                   mode);
    } catch (const std::bad_alloc&) {
        return Problem::outOfMemory("not enough memory to build the file");
    }
}

}  // namespace kararisu
