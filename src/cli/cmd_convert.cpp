#include <cstdio>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "worklists/bmp/bmp.h"
#include "worklists/loading.h"

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
    std::unique_ptr<Bitmap> bitmap = loadImage(files[0]);
    if (!bitmap) return 1;
    try {
        if (to32) bitmap->setFormat(PixelFormat::Bpp32);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s\n",
                     messageText(loadFailureMessage(files[0], Problem::outOfMemory())).c_str());
        return 1;
    }
    if (const Outcome<void> saved = saveBmp(*bitmap, files[1]); !saved) {
        std::fprintf(stderr, "%s\n", describe(files[1], saved.problem()).c_str());
        return 1;
    }
    return 0;
}

}  // namespace kararisu::cli
