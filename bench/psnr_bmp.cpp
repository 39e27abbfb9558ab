// Prints the PSNR in dB of a reduced picture against its source, over every
// pixel and the three channels, for bench/quality.sh. Both are BMP files of
// the same size, of any depth.
#include <cmath>
#include <cstdio>
#include <vector>

#include "worklists/bmp/bmp.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: psnr_bmp SOURCE.bmp RESULT.bmp\n", stderr);
        return 2;
    }
    kararisu::Bitmap a, b;
    try {
        a = kararisu::loadBmp(argv[1]).take(argv[1]);
        b = kararisu::loadBmp(argv[2]).take(argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    const int w = a.width(), h = a.height();
    if (b.width() != w || b.height() != h) {
        std::fputs("psnr_bmp: the pictures differ in size\n", stderr);
        return 1;
    }
    std::vector<std::uint32_t> ra(std::size_t(w), 0), rb(std::size_t(w), 0);
    double sum = 0;
    for (int y = 0; y < h; ++y) {
        a.readColorValues(y, ra.data());
        b.readColorValues(y, rb.data());
        std::uint64_t row = 0;
        for (std::size_t x = 0; x < ra.size(); ++x)
            for (int s = 0; s <= 16; s += 8) {
                const int d = int((ra[x] >> s) & 0xff) - int((rb[x] >> s) & 0xff);
                row += std::uint64_t(d * d);
            }
        sum += double(row);
    }
    const double mse = sum / (3.0 * double(w) * double(h));
    std::printf("%.2f\n", mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse));
    return 0;
}
