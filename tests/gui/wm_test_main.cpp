// Widget tests under a real window manager: the display and openbox start
// before the program's application object, which then runs on Qt's xcb
// platform (offscreen when there is no display, and the tests skip).
#include <gtest/gtest.h>
#include <stdlib.h>

#include "app/application.h"
#include "gui/x11_session.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Declared first, so the windows and Qt's connection go before the display.
    const std::unique_ptr<kararisu::test::X11Session> session = kararisu::test::X11Session::start();
    ::setenv("QT_QPA_PLATFORM", session ? "xcb" : "offscreen", 1);
    kararisu::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
