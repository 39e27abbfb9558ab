#include <cstdio>

#include "cli/commands.h"
#include "worklists/bmp.h"

namespace kararisu::cli {

int runConvert(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fputs("usage: kararisu-cli convert IN OUT\n", stderr);
        return 2;
    }
    try {
        saveBmp(loadBmp(args[0]), args[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

}  // namespace kararisu::cli
