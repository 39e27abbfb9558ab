#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "support/printable.h"
#include "viewers/image_info.h"
#include "worklists/bmp/bmp.h"
#include "worklists/results.h"

namespace kararisu::cli {

namespace {

const CommandHelp kInfoHelp{
    "usage: kararisu-cli info [--text | --json] FILE...\n"
    "\n"
    "Prints one line per BMP file: its name, width x height, the bits per pixel\n"
    "stored in the file, the pixel format and DepthCode it is held in, and the\n"
    "compression. A FILE of - is standard input. A file that is rejected is\n"
    "named on standard error with the reason, and the others are still described.\n"
    "\n"
    "  --text   print instead the image viewers' information text, four lines\n"
    "           per file: heading, BMP name, width×height, bit depth\n"
    "  --json   one JSON object a line instead, with the fields of the line:\n"
    "           file, width, height, bitsInFile, format, depthCode, compression\n"
    "\n"
    "examples:\n"
    "  kararisu-cli info photo.bmp icons/*.bmp\n"
    "  kararisu-cli info --text photo.bmp\n"};

const OptionSpec kText{"text"};
const OptionSpec kJson{"json"};
const OptionSpec* const kOptions[] = {&kText, &kJson};

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
        const Outcome<BmpImage> r =
            path == kStandardStream ? readStandardInput() : readBmpFile(path);
        if (!r) {
            console.error(describe(printable(path), r.problem()));
            status = 1;
            continue;
        }
        const Bitmap& b = r->bitmap;
        if (text) {
            console.result(
                imageInformationText(printable(fileNameOf(path)), b, depthCode(b.format())));
        } else if (json) {
            console.result(JsonObject()
                               .add("file", path)
                               .addNumber("width", b.width())
                               .addNumber("height", b.height())
                               .addNumber("bitsInFile", r->info.fileBitCount)
                               .add("format", formatName(b.format()))
                               .addNumber("depthCode", depthCode(b.format()))
                               .add("compression", compressionText(r->info.compression))
                               .str());
        } else {
            console.result(printable(path) + "\t" + std::to_string(b.width()) + " x " +
                           std::to_string(b.height()) + "\t" +
                           std::to_string(r->info.fileBitCount) + " bpp in file\tformat " +
                           formatName(b.format()) + "\tDepthCode " +
                           std::to_string(depthCode(b.format())) + "\tcompression " +
                           compressionText(r->info.compression));
        }
    }
    return status;
}

}  // namespace kararisu::cli
