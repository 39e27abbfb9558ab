#include <cstdio>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "worklists/image_file.h"
#include "worklists/loading.h"

namespace kararisu::cli {

namespace {

const char* kConvertHelp =
    "usage: kararisu-cli convert IN OUT [--depth 32]\n"
    "\n"
    "Reads the BMP or PNG file IN and writes it to OUT in the format OUT's\n"
    "extension names (.png; .bmp or .dib; any other keeps IN's format):\n"
    "  BMP  uncompressed, bottom-up, in the pixel format IN is held in (1, 4 and\n"
    "       8 bits with their colour table), without transparency;\n"
    "  PNG  1-, 4- and 8-bit pictures as indexed PNG with their whole palette\n"
    "       and transparent entries, the others as 8-bit RGB, or RGBA where\n"
    "       pixels are transparent.\n"
    "With --depth 32 the picture is widened to 32 bits per pixel first. OUT is\n"
    "replaced only when it has been written completely. PNG output loses\n"
    "partial transparency (alpha below 128 becomes transparent, the rest\n"
    "opaque): a warning says how many pixels had it.\n"
    "\n"
    "examples:\n"
    "  kararisu-cli convert scan-rle.bmp scan.bmp --depth 32\n"
    "  kararisu-cli convert icon.bmp icon.png\n";

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
    const Outcome<ImageFormat> inFormat = imageFormatOfFile(files[0]);
    const ImageFormat outFormat =
        formatOfExtension(files[1]).value_or(inFormat ? *inFormat : ImageFormat::Bmp);
    // A BMP keeps no transparency at all, so only PNG output loses partial alpha.
    std::unique_ptr<Bitmap> bitmap = loadImage(files[0], outFormat == ImageFormat::Png);
    if (!bitmap) return 1;
    try {
        if (to32) bitmap->setFormat(PixelFormat::Bpp32);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s\n",
                     messageText(loadFailureMessage(files[0], Problem::outOfMemory())).c_str());
        return 1;
    }
    if (const Outcome<void> saved = saveImage(*bitmap, files[1], outFormat); !saved) {
        std::fprintf(stderr, "%s\n", describe(files[1], saved.problem()).c_str());
        return 1;
    }
    return 0;
}

}  // namespace kararisu::cli
