#include "cli/cli_support.h"
#include "cli/commands.h"
#include "support/printable.h"
#include "worklists/image_file.h"
#include "worklists/loading.h"

namespace kararisu::cli {

namespace {

const CommandHelp kConvertHelp{
    "usage: kararisu-cli convert [--depth 32] [--force] IN OUT\n"
    "\n"
    "Reads the BMP or PNG file IN and writes it to OUT in the format OUT's\n"
    "extension names (.png; .bmp or .dib; any other, and -, keep IN's format):\n"
    "  BMP  uncompressed, bottom-up, in the pixel format IN is held in (1, 4 and\n"
    "       8 bits with their colour table), without transparency;\n"
    "  PNG  1-, 4- and 8-bit pictures as indexed PNG with their whole palette\n"
    "       and transparent entries, the others as 8-bit RGB, or RGBA where\n"
    "       pixels are transparent; partial transparency is lost (alpha below\n"
    "       128 becomes transparent, the rest opaque): a warning says how many\n"
    "       pixels had it.\n"
    "IN of - is standard input, OUT of - standard output.\n"
    "\n"
    "  --depth 32   widen the picture to 32 bits per pixel first\n"
    "  --force      replace OUT when it exists (never done otherwise); OUT is\n"
    "               replaced only when it has been written completely\n"
    "\n"
    "examples:\n"
    "  kararisu-cli convert scan-rle.bmp scan.bmp --depth 32\n"
    "  kararisu-cli convert icon.bmp icon.png\n"
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
    // The input's format, where the output's name says none.
    Outcome<ImageFile> image = readImageArgument(in);
    if (!image) {
        console.error(messageText(loadFailureMessage(printable(in), image.problem())));
        return 1;
    }
    const ImageFormat format = formatOfExtension(out).value_or(image->format);
    // A BMP keeps no transparency at all, so only PNG output loses partial alpha.
    if (format == ImageFormat::Png && image->partialAlpha() > 0)
        console.error(partialAlphaWarning(in, image->partialAlpha()));
    auto bitmap = std::make_unique<Bitmap>(std::move(image->bitmap));
    try {
        if (to32) bitmap->setFormat(PixelFormat::Bpp32);
    } catch (const std::bad_alloc&) {
        console.error(messageText(loadFailureMessage(printable(in), Problem::outOfMemory())));
        return 1;
    }
    return writeImageOut(console, out, *bitmap, force ? Replace::Yes : Replace::No, format) ? 0
                                                                                           : 1;
}

}  // namespace kararisu::cli
