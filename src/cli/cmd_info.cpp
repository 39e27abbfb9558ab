#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "support/printable.h"
#include "viewers/image_info.h"
#include "worklists/image_file.h"
#include "worklists/results.h"

namespace kararisu::cli {

namespace {

const CommandHelp kInfoHelp{
    "usage: kararisu-cli info [--text | --json] FILE...\n"
    "\n"
    "Prints one line per BMP or PNG file: its name, width x height, the bits per\n"
    "pixel stored in the file, the pixel format and DepthCode it is held in, the\n"
    "compression (for PNG: deflate, and whether interlaced), the file format\n"
    "(BMP or PNG) and, where pixels are transparent, how many. A FILE of - is\n"
    "standard input. A file that is rejected is named on standard error with the\n"
    "reason, and the others are still described.\n"
    "\n"
    "  --text   print instead the image viewers' information text, four lines\n"
    "           per file: heading, BMP name, width×height, bit depth\n"
    "  --json   one JSON object a line instead, with the fields of the line:\n"
    "           file, width, height, bitsInFile, format, depthCode, compression,\n"
    "           fileFormat, transparent\n"
    "\n"
    "examples:\n"
    "  kararisu-cli info photo.bmp icons/*.png\n"
    "  kararisu-cli info --text photo.bmp\n"};

const OptionSpec kText{"text"};
const OptionSpec kJson{"json"};
const OptionSpec* const kOptions[] = {&kText, &kJson};

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

int runInfo(Console& console, const std::vector<std::string>& args) {
    Arguments parsed;
    if (auto done = startCommand(console, args, kOptions, kInfoHelp, parsed)) return *done;
    bool text = false, json = false;
    std::vector<std::string> files;
    for (const Argument& a : parsed.items) {
        if (a.isOperand()) files.push_back(a.value);
        if (a.is(kText)) text = true;
        if (a.is(kJson)) json = true;
    }
    if (files.empty()) return usageError(console, kInfoHelp, "no FILE given");
    if (text && json) return usageError(console, kInfoHelp, "give one of --text and --json");
    int status = 0;
    for (const auto& path : files) {
        const Outcome<ImageFile> r = readImageArgument(path);
        if (!r) {
            console.error(describe(printable(path), r.problem()));
            status = 1;
            continue;
        }
        const Bitmap& b = r->bitmap;
        const bool png = r->format == ImageFormat::Png;
        const int bitsInFile = png ? pngBitsPerPixel(r->png) : r->bmp.fileBitCount;
        const char* compression = png ? (r->png.interlaced ? "deflate, interlaced" : "deflate")
                                      : bmpCompressionDescription(r->bmp.compression);
        const std::uint64_t clear = transparentPixels(b);
        if (text) {
            console.result(
                imageInformationText(printable(fileNameOf(path)), b, depthCode(b.format())));
        } else if (json) {
            console.result(JsonObject()
                               .add("file", path)
                               .addNumber("width", b.width())
                               .addNumber("height", b.height())
                               .addNumber("bitsInFile", bitsInFile)
                               .add("format", formatName(b.format()))
                               .addNumber("depthCode", depthCode(b.format()))
                               .add("compression", compression)
                               .add("fileFormat", imageFormatName(r->format))
                               .addNumber("transparent", std::int64_t(clear))
                               .str());
        } else {
            console.result(printable(path) + "\t" + std::to_string(b.width()) + " x " +
                           std::to_string(b.height()) + "\t" + std::to_string(bitsInFile) +
                           " bpp in file\tformat " + formatName(b.format()) + "\tDepthCode " +
                           std::to_string(depthCode(b.format())) + "\tcompression " + compression +
                           "\t" + imageFormatName(r->format) +
                           (clear ? "\t" + std::to_string(clear) + " transparent" : ""));
        }
    }
    return status;
}

}  // namespace kararisu::cli
