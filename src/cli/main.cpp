// kararisu-cli: the batch tool. Each command lives in its own file and is
// listed in commands.h.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "support/printable.h"
#include "support/version.h"

namespace {

using kararisu::cli::Console;

void printOverview(Console& console) {
    std::string text =
        "usage: kararisu-cli COMMAND [OPTIONS] FILE...\n"
        "\n"
        "Reduces the colours of BMP and PNG images and works with their palettes.\n"
        "\n"
        "commands:\n";
    for (const auto& c : kararisu::cli::commands()) {
        char line[128];
        std::snprintf(line, sizeof line, "  %-10s %s\n", c.name, c.summary);
        text += line;
    }
    text +=
        "\n"
        "`kararisu-cli COMMAND --help` documents a command; `kararisu-cli --version`\n"
        "prints the version.\n"
        "\n"
        "Every command takes -h/--help, -q/--quiet (no progress line) and -v/--verbose\n"
        "(also each file as it is read, made or written). Options take their value as\n"
        "--name VALUE or --name=VALUE; short options combine (-qv); -- ends the\n"
        "options, so -- -name.bmp names a file. A FILE of - is standard input, an OUT\n"
        "of - standard output. Results go to standard output, messages and progress\n"
        "to standard error; names in results and messages show control characters and\n"
        "bytes that are not UTF-8 as \\xHH.\n"
        "\n"
        "Exit status: 0 all went well, 1 a file was rejected or could not be\n"
        "written (the others are still processed) or standard output could not be\n"
        "written, 2 usage error.\n";
    console.text(text);
}

}  // namespace

int main(int argc, char** argv) {
    kararisu::cli::guardStandardDescriptors();
    std::vector<std::string> args(argv + 1, argv + argc);
    Console tool("kararisu-cli");
    if (args.empty()) {
        Console onError("kararisu-cli", stderr);
        printOverview(onError);
        return 2;
    }
    std::string name = args[0];
    args.erase(args.begin());
    if (name == "--help" || name == "-h" || name == "help") {
        if (name != "help" || args.empty()) {
            printOverview(tool);
            return tool.finish() ? 0 : 1;
        }
        name = args[0];  // "help COMMAND": that command's help
        args = {"--help"};
    }
    if (name == "--version") {
        tool.text(std::string("kararisu-cli ") + kararisu::kVersion + "\n");
        return tool.finish() ? 0 : 1;
    }
    for (const auto& c : kararisu::cli::commands()) {
        if (name != c.name) continue;
        Console console(std::string("kararisu-cli ") + c.name);
        int status = 0;
        try {
            status = c.run(console, args);
        } catch (const std::bad_alloc&) {
            // The commands report memory they are refused per file; this
            // is the last word for anything they did not foresee.
            console.usageError("not enough memory");
            status = 1;
        }
        if (!console.finish() && status == 0) status = 1;
        return status;
    }
    tool.usageError("unknown command '" + kararisu::printable(name) +
                    "' (see kararisu-cli --help)");
    return 2;
}
