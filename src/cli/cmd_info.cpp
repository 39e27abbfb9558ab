#include <cstdio>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "viewers/image_info.h"
#include "worklists/bmp/bmp.h"
#include "worklists/results.h"

namespace kararisu::cli {

namespace {

const char* kInfoHelp =
    "usage: kararisu-cli info [--text] FILE...\n"
    "\n"
    "Prints one line per BMP file: its name, width x height, the bits per pixel\n"
    "stored in the file, the pixel format and DepthCode it is held in, and the\n"
    "compression. A file that is rejected is named on standard error with the\n"
    "reason, and the others are still described.\n"
    "\n"
    "  --text   print instead the image viewers' information text, four lines\n"
    "           per file: heading, BMP name, width×height, bit depth\n"
    "\n"
    "examples:\n"
    "  kararisu-cli info photo.bmp icons/*.bmp\n"
    "  kararisu-cli info --text photo.bmp\n";

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
    if (auto status = helpRequested(args, kInfoHelp)) return *status;
    bool text = false;
    std::vector<std::string> files;
    for (const auto& a : args) {
        if (a == "--text") {
            text = true;
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "kararisu-cli info: unknown option '%s'\n", a.c_str());
            return 2;
        } else {
            files.push_back(a);
        }
    }
    int status = 0;
    for (const auto& path : files) {
        const Outcome<BmpImage> r = readBmpFile(path);
        if (!r) {
            std::fprintf(stderr, "%s\n", describe(path, r.problem()).c_str());
            status = 1;
            continue;
        }
        if (text) {
            std::printf("%s\n", imageInformationText(fileNameOf(path), r->bitmap,
                                                     depthCode(r->bitmap.format()))
                                    .c_str());
            continue;
        }
        std::printf("%s\t%d x %d\t%d bpp in file\tformat %s\tDepthCode %d\tcompression %s\n",
                    path.c_str(), r->bitmap.width(), r->bitmap.height(), r->info.fileBitCount,
                    formatName(r->bitmap.format()), depthCode(r->bitmap.format()),
                    compressionText(r->info.compression));
    }
    return status;
}

}  // namespace kararisu::cli
