// カラリス: the desktop program. Every argument names an image to open;
// --help and --version are answered on the terminal, before Qt starts, so
// they need no display.
#include <cstdio>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/program.h"
#include "app/qt_platform.h"
#include "support/version.h"

int main(int argc, char** argv) {
    using kararisu::CommandLine;
    const CommandLine line = kararisu::parseCommandLine({argv + 1, argv + argc});
    switch (line.action) {
        case CommandLine::Action::Help:
            std::fputs(kararisu::kHelpText, stdout);
            return 0;
        case CommandLine::Action::Version:
            std::printf("kararisu %s\n", kararisu::kVersion);
            return 0;
        case CommandLine::Action::Refuse:
            std::fprintf(stderr, "kararisu: unknown option '%s' (see kararisu --help)\n%s",
                         line.refused.c_str(), kararisu::kUsageLine);
            return 2;
        case CommandLine::Action::Run:
            break;
    }
    // Qt sees only the program's name, so no file name is taken for one of
    // its options.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    kararisu::Application app(qtArgc, qtArgv);
    kararisu::QtPlatform platform;
    app.setErrorPlatform(&platform);
    return kararisu::runProgram(platform, line.files, [&](kararisu::Program& program) {
        platform.setOwner(&program.main());
    });
}
