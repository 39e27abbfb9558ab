// kararisu-cli count: the distinct colours of BMP and PNG files.

#include <cstdio>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "reduce/survey.h"

namespace kararisu::cli {

namespace {

const char* kCountHelp =
    "usage: kararisu-cli count FILE...\n"
    "\n"
    "Prints one line per BMP or PNG file: its name, a tab and the number of\n"
    "distinct colours its pixels show (palette entries no pixel uses do not\n"
    "count, and equal entries count once; transparent pixels count by the\n"
    "colour they hold). Rejected files are named on standard error; the exit\n"
    "status is then 1.\n"
    "\n"
    "example:\n"
    "  kararisu-cli count photo.bmp\n";

}  // namespace

int runCount(const std::vector<std::string>& args) {
    if (auto status = helpRequested(args, kCountHelp)) return *status;
    StderrReporter reporter;
    int status = 0;
    for (const std::string& path : args) {
        std::unique_ptr<Bitmap> image = loadImage(path);
        if (!image) {
            status = 1;
            continue;
        }
        WorkArea work(&reporter);
        const std::optional<std::uint64_t> n = countDistinctColors(*image, work);
        if (!n) {
            status = 1;
            continue;
        }
        std::printf("%s\t%llu\n", path.c_str(), static_cast<unsigned long long>(*n));
    }
    return status;
}

}  // namespace kararisu::cli
