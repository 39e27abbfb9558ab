// カラリス: the desktop program. Every argument names an image to open;
// --version or --help alone prints the version or the help without opening
// a window.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/program.h"
#include "app/qt_platform.h"
#include "support/version.h"

int main(int argc, char** argv) {
    // Answered before Qt starts, so it works without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("kararisu %s\n", kararisu::kVersion);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(
            "usage: kararisu [FILE...]\n"
            "\n"
            "Opens the window of カラリス, which reduces the colours of BMP images (to one\n"
            "of 27 targets: each image by itself, all on one reference palette, or all on\n"
            "a given palette), shows the results and their palettes, saves paletted BMPs\n"
            "and palette files, and merges palettes. Each FILE is opened at start.\n"
            "The window is in Japanese whatever the locale. kararisu-cli runs the same\n"
            "engines from scripts.\n"
            "\n"
            "  --help     print this help\n"
            "  --version  print the version\n",
            stdout);
        return 0;
    }
    kararisu::Application app(argc, argv);
    kararisu::QtPlatform platform;
    app.setErrorPlatform(&platform);
    // Qt has taken its own options out of argv by now.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return kararisu::runProgram(platform, arguments, [&](kararisu::Program& program) {
        platform.setOwner(&program.main());
    });
}
