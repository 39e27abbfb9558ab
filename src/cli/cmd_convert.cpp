#include "cli/cli_support.h"
#include "cli/commands.h"
#include "support/printable.h"
#include "worklists/bmp/bmp.h"
#include "worklists/loading.h"

namespace kararisu::cli {

namespace {

const CommandHelp kConvertHelp{
    "usage: kararisu-cli convert [--depth 32] [--force] IN OUT\n"
    "\n"
    "Reads the BMP file IN and writes it to OUT as an uncompressed, bottom-up\n"
    "BMP in the same pixel format (1, 4 and 8 bits with their colour table),\n"
    "or in 32 bits per pixel with --depth 32. IN of - is standard input, OUT of\n"
    "- standard output.\n"
    "\n"
    "  --depth 32   write 32 bits per pixel\n"
    "  --force      replace OUT when it exists (never done otherwise); OUT is\n"
    "               replaced only when it has been written completely\n"
    "\n"
    "examples:\n"
    "  kararisu-cli convert scan-rle.bmp scan.bmp --depth 32\n"
    "  cat scan.bmp | kararisu-cli convert - - | ssh host 'cat > scan.bmp'\n"};

const OptionSpec kDepth{"depth", 0, true};
const OptionSpec kForce{"force"};
const OptionSpec* const kOptions[] = {&kDepth, &kForce};

}  // namespace

int runConvert(Console& console, const std::vector<std::string>& args) {
    Arguments parsed;
    if (auto done = startCommand(console, args, kOptions, kConvertHelp, parsed)) return *done;
    std::vector<std::string> files;
    bool to32 = false, force = false;
    for (const Argument& a : parsed.items) {
        if (a.isOperand()) files.push_back(a.value);
        if (a.is(kForce)) force = true;
        if (a.is(kDepth)) {
            if (a.value != "32") return usageError(console, kConvertHelp, "--depth takes 32");
            to32 = true;
        }
    }
    if (files.size() != 2) return usageError(console, kConvertHelp, "give IN and OUT");
    const std::string &in = files[0], &out = files[1];
    if (out == kStandardStream && !mayWriteFileTo(console)) return 2;
    std::unique_ptr<Bitmap> bitmap = loadImage(console, in);
    if (!bitmap) return 1;
    try {
        if (to32) bitmap->setFormat(PixelFormat::Bpp32);
    } catch (const std::bad_alloc&) {
        console.error(messageText(loadFailureMessage(printable(in), Problem::outOfMemory())));
        return 1;
    }
    return writeImageOut(console, out, *bitmap, force ? Replace::Yes : Replace::No) ? 0 : 1;
}

}  // namespace kararisu::cli
