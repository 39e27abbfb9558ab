// Prints the size of a paletted picture written as PNG with each of the
// encoder's filter, level and strategy choices, for bench/png_size.sh: the
// program's own choice first, then the others it was chosen against.
#include <zlib.h>

#include <spng.h>
#include <cstdio>

#include "worklists/bmp/bmp.h"
#include "worklists/png/png.h"

namespace {

struct Variant {
    const char* name;
    kararisu::PngCompression how;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: png_size RESULT.bmp\n", stderr);
        return 2;
    }
    using kararisu::PngCompression;
    const Variant variants[] = {
        {"own choice (none, level 9, default strategy)", PngCompression{}},
        {"none, level 6", PngCompression{SPNG_FILTER_CHOICE_NONE, 6, Z_DEFAULT_STRATEGY}},
        {"none, level 9, filtered strategy",
         PngCompression{SPNG_FILTER_CHOICE_NONE, 9, Z_FILTERED}},
        {"sub, level 9", PngCompression{SPNG_FILTER_CHOICE_SUB, 9, Z_DEFAULT_STRATEGY}},
        {"up, level 9", PngCompression{SPNG_FILTER_CHOICE_UP, 9, Z_DEFAULT_STRATEGY}},
        {"paeth, level 9", PngCompression{SPNG_FILTER_CHOICE_PAETH, 9, Z_DEFAULT_STRATEGY}},
        {"all (per row), level 9", PngCompression{SPNG_FILTER_CHOICE_ALL, 9, Z_FILTERED}},
    };
    try {
        const kararisu::Bitmap picture = kararisu::loadBmp(argv[1]).take(argv[1]);
        for (const Variant& v : variants) {
            const auto bytes = kararisu::encodePng(picture, v.how).take(argv[1]);
            std::printf("%10zu  %s\n", bytes.size(), v.name);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
