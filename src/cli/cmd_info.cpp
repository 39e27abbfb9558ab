#include <cstdio>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "viewers/image_info.h"
#include "worklists/image_file.h"
#include "worklists/results.h"

namespace kararisu::cli {

namespace {

const char* kInfoHelp =
    "usage: kararisu-cli info [--text] FILE...\n"
    "\n"
    "Prints one line per BMP or PNG file: its name, width x height, the bits per\n"
    "pixel stored in the file, the pixel format and DepthCode it is held in, the\n"
    "compression (for PNG: deflate, and whether interlaced), the file format\n"
    "(BMP or PNG) and, where pixels are transparent, how many. A file that is\n"
    "rejected is named on standard error with the reason, and the others are\n"
    "still described.\n"
    "\n"
    "  --text   print instead the image viewers' information text, four lines\n"
    "           per file: heading, BMP name, width×height, bit depth\n"
    "\n"
    "examples:\n"
    "  kararisu-cli info photo.bmp icons/*.png\n"
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

int pngBitsPerPixel(const PngFileInfo& png) {
    const int channels = png.colorType == 2   ? 3
                         : png.colorType == 4 ? 2
                         : png.colorType == 6 ? 4
                                              : 1;
    return channels * png.bitDepth;
}

std::uint64_t transparentPixels(const Bitmap& b) {
    if (!b.hasTransparency()) return 0;
    std::uint64_t n = 0;
    std::vector<std::uint8_t> row(std::size_t(b.width()));
    for (int y = 0; y < b.height(); ++y) {
        b.readTransparency(y, row.data());
        for (const std::uint8_t t : row) n += t;
    }
    return n;
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
        const Outcome<ImageFile> r = readImageFile(path);
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
        const bool png = r->format == ImageFormat::Png;
        const std::uint64_t clear = transparentPixels(r->bitmap);
        std::printf("%s\t%d x %d\t%d bpp in file\tformat %s\tDepthCode %d\tcompression %s\t%s%s\n",
                    path.c_str(), r->bitmap.width(), r->bitmap.height(),
                    png ? pngBitsPerPixel(r->png) : r->bmp.fileBitCount,
                    formatName(r->bitmap.format()), depthCode(r->bitmap.format()),
                    png ? (r->png.interlaced ? "deflate, interlaced" : "deflate")
                        : compressionText(r->bmp.compression),
                    imageFormatName(r->format),
                    clear ? ("\t" + std::to_string(clear) + " transparent").c_str() : "");
    }
    return status;
}

}  // namespace kararisu::cli
