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
    try {
        // Qt has taken its own options out of argv by now.
        std::vector<std::string> arguments(argv + 1, argv + argc);
        kararisu::Program program(platform, arguments);
        platform.setOwner(&program.main());
        QObject::connect(&program.main(), &kararisu::TMain::closed, &app, &QApplication::quit);
        program.main().show();
        return app.exec();
    } catch (const std::exception& e) {
        // An error during start-up is shown and ends the program.
        kararisu::showGeneralError(e);
        return 1;
    }
}
