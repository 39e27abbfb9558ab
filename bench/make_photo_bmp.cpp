// Writes the benchmarks' photo-like picture as a 24-bit BMP file, for the
// whole-process comparison with other tools (bench/compare.sh).
#include <cstdio>
#include <cstdlib>

#include "photo_image.h"
#include "worklists/bmp/bmp.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: make_photo_bmp WIDTH HEIGHT OUT.bmp\n", stderr);
        return 2;
    }
    kararisu::Bitmap b = kararisu::bench::photoImage(std::atoi(argv[1]), std::atoi(argv[2]));
    b.setFormat(kararisu::PixelFormat::Bpp24);
    kararisu::saveBmp(b, argv[3]).take(argv[3]);
    return 0;
}
