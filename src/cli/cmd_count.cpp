// kararisu-cli count: the distinct colours of BMP and PNG files.

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "reduce/survey.h"
#include "support/printable.h"

namespace kararisu::cli {

namespace {

const CommandHelp kCountHelp{
    "usage: kararisu-cli count [--json] FILE...\n"
    "\n"
    "Prints one line per BMP or PNG file: its name, a tab and the number of\n"
    "distinct colours its pixels show (palette entries no pixel uses do not\n"
    "count, and equal entries count once; transparent pixels count by the\n"
    "colour they hold). A FILE of - is standard input. Rejected files are named\n"
    "on standard error; the exit status is then 1.\n"
    "\n"
    "  --json   one JSON object a line instead: {\"file\": NAME, \"colors\": N}\n"
    "\n"
    "examples:\n"
    "  kararisu-cli count photo.bmp\n"
    "  kararisu-cli count --json icons/*.png\n"};

const OptionSpec kJson{"json"};
const OptionSpec* const kOptions[] = {&kJson};

}  // namespace

int runCount(Console& console, const std::vector<std::string>& args) {
    Arguments parsed;
    if (auto done = startCommand(console, args, kOptions, kCountHelp, parsed)) return *done;
    bool json = false;
    std::vector<std::string> files;
    for (const Argument& a : parsed.items) {
        if (a.isOperand()) files.push_back(a.value);
        if (a.is(kJson)) json = true;
    }
    if (files.empty()) return usageError(console, kCountHelp, "no FILE given");
    StderrReporter reporter(console);
    int status = 0;
    for (const std::string& path : files) {
        std::unique_ptr<Bitmap> image = loadImage(console, path);
        if (!image) {
            status = 1;
            continue;
        }
        WorkArea work(&reporter);
        const Outcome<std::uint64_t> n = countDistinctColors(*image, work);
        if (!n) {
            status = 1;
            continue;
        }
        if (json)
            console.result(
                JsonObject().add("file", path).addNumber("colors", std::int64_t(*n)).str());
        else
            console.result(printable(path) + "\t" + std::to_string(*n));
    }
    return status;
}

}  // namespace kararisu::cli
