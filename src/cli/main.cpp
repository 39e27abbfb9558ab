// kararisu-cli: the batch tool. Each command lives in its own file and is
// listed in commands.h.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "support/version.h"

namespace {

void printOverview() {
    std::fputs(
        "usage: kararisu-cli COMMAND [OPTIONS] ARGS...\n"
        "\n"
        "Reduces the colours of BMP and PNG images and works with their palettes.\n"
        "\n"
        "commands:\n",
        stdout);
    for (const auto& c : kararisu::cli::commands()) std::printf("  %-10s %s\n", c.name, c.summary);
    std::fputs(
        "\n"
        "`kararisu-cli COMMAND --help` documents a command; `kararisu-cli --version`\n"
        "prints the version.\n"
        "Exit status: 0 all went well, 1 a file was rejected or could not be\n"
        "written (the others are still processed), 2 usage error.\n",
        stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printOverview();
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printOverview();
        return 0;
    }
    if (name == "--version") {
        std::printf("kararisu-cli %s\n", kararisu::kVersion);
        return 0;
    }
    for (const auto& c : kararisu::cli::commands()) {
        if (name == c.name) {
            try {
                return c.run(std::vector<std::string>(argv + 2, argv + argc));
            } catch (const std::bad_alloc&) {
                // The commands report memory they are refused per file; this
                // is the last word for anything they did not foresee.
                std::fprintf(stderr, "kararisu-cli %s: not enough memory\n", c.name);
                return 1;
            }
        }
    }
    std::fprintf(stderr, "kararisu-cli: unknown command '%s' (see kararisu-cli --help)\n",
                 name.c_str());
    return 2;
}
