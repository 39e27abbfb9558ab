// カラリス: the desktop program. Every argument names an image to open;
// --version alone prints the version without opening a window.
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
    kararisu::Application app(argc, argv);
    kararisu::QtPlatform platform;
    app.setErrorPlatform(&platform);
    // Qt has taken its own options out of argv by now.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return kararisu::runProgram(platform, arguments, [&](kararisu::Program& program) {
        platform.setOwner(&program.main());
    });
}
