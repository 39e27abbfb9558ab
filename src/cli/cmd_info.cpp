#include <cstdio>

#include "cli/commands.h"
#include "worklists/bmp.h"

namespace kararisu::cli {

namespace {

const char* kInfoHelp =
    "usage: kararisu-cli info FILE...\n"
    "\n"
    "Prints one line per BMP file: its name, width x height, the bits per pixel\n"
    "stored in the file, the pixel format and DepthCode it is held in, and the\n"
    "compression. A file that is rejected is named on standard error with the\n"
    "reason, and the others are still described.\n"
    "\n"
    "example:\n"
    "  kararisu-cli info photo.bmp icons/*.bmp\n";

const char* compressionText(std::uint32_t c) {
    switch (c) {
        case 0:
            return "none";
        case 1:
            return "RLE8";
        case 2:
            return "RLE4";
        case 3:
            return "bit fields";
        case 6:
            return "alpha bit fields";
        default:
            return "other";
    }
}

}  // namespace

int runInfo(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::fputs(kInfoHelp, stderr);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kInfoHelp, stdout);
        return 0;
    }
    int status = 0;
    for (const auto& path : args) {
        const BmpReadResult r = readBmpFile(path);
        if (!r.ok()) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), r.reason.c_str());
            status = 1;
            continue;
        }
        std::printf("%s\t%d x %d\t%d bpp in file\tformat %s\tDepthCode %d\tcompression %s\n",
                    path.c_str(), r.bitmap.width(), r.bitmap.height(), r.info.fileBitCount,
                    formatName(r.bitmap.format()), depthCode(r.bitmap.format()),
                    compressionText(r.info.compression));
    }
    return status;
}

}  // namespace kararisu::cli
