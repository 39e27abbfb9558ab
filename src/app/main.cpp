// カラリス: the desktop program. Every argument names an image to open.
#include <string>
#include <vector>

#include "app/application.h"
#include "app/program.h"
#include "app/qt_platform.h"

int main(int argc, char** argv) {
    kararisu::Application app(argc, argv);
    kararisu::QtPlatform platform;
    app.setErrorPlatform(&platform);
    // Qt has taken its own options out of argv by now.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return kararisu::runProgram(platform, arguments, [&](kararisu::Program& program) {
        platform.setOwner(&program.main());
    });
}
