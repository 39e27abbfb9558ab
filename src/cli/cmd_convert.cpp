#include <cstdio>

#include "cli/commands.h"
#include "worklists/bmp/bmp.h"

namespace kararisu::cli {

namespace {

const char* kConvertHelp =
    "usage: kararisu-cli convert IN OUT [--depth 32]\n"
    "\n"
    "Reads the BMP file IN and writes it to OUT as an uncompressed, bottom-up\n"
    "BMP in the same pixel format (1, 4 and 8 bits with their colour table),\n"
    "or in 32 bits per pixel with --depth 32. OUT is replaced only when it has\n"
    "been written completely.\n"
    "\n"
    "example:\n"
    "  kararisu-cli convert scan-rle.bmp scan.bmp --depth 32\n";

}  // namespace

int runConvert(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    bool to32 = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::fputs(kConvertHelp, stdout);
            return 0;
        }
        if (args[i] == "--depth") {
            if (i + 1 >= args.size() || args[i + 1] != "32") {
                std::fputs("kararisu-cli convert: --depth takes 32\n", stderr);
                return 2;
            }
            to32 = true;
            ++i;
        } else if (!args[i].empty() && args[i][0] == '-') {
            std::fprintf(stderr, "kararisu-cli convert: unknown option '%s'\n", args[i].c_str());
            return 2;
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) {
        std::fputs(kConvertHelp, stderr);
        return 2;
    }
    try {
        Bitmap bitmap = loadBmp(files[0]);
        if (to32) bitmap.setFormat(PixelFormat::Bpp32);
        saveBmp(bitmap, files[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

}  // namespace kararisu::cli
