#pragma once
// A private X display with a real window manager, for the widget tests that
// need one: where a window lands once it is framed, which window stands
// above which. Xvfb and openbox are started before Qt and stopped after it;
// a test program built with add_wm_test() does this in its main and runs
// on Qt's xcb platform. Without either program the tests skip (or fail
// under KARARISU_REQUIRE_INPUTS=1, so CI never passes by skipping).
//
// Each test program has a display of its own (Xvfb picks a free number),
// 1280 x 1024 at 24 bits, and openbox with its stock configuration; both
// end with the test program, even when it crashes. The program is given no
// session bus.

#include <sys/types.h>

#include <memory>
#include <string>

#include "support/required_inputs.h"

class QWidget;

namespace kararisu::test {

class X11Session {
  public:
    static constexpr int kScreenWidth = 1280;
    static constexpr int kScreenHeight = 1024;

    // Starts the server and the window manager and sets DISPLAY; null when
    // either cannot be started (noWindowManagerReason() says why).
    static std::unique_ptr<X11Session> start();
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    const std::string& display() const { return display_; }

  private:
    X11Session() = default;

    std::string folder_;  // logs and the window manager's own files
    std::string display_;
    pid_t server_ = -1;
    pid_t manager_ = -1;
};

// The session of this test program (null when none could be started), and
// why there is none.
X11Session* windowManager();
const std::string& noWindowManagerReason();

// Lets events run until the window manager has framed the window and its
// frame has stayed where it is for a moment; false if that takes longer
// than timeoutMs.
bool waitUntilFramed(QWidget& window, int timeoutMs = 5000);

// Lets events run for ms milliseconds.
void runEventsFor(int ms);

}  // namespace kararisu::test

// In a test's SetUp or body: skips the test when there is no window manager.
#define KARARISU_SKIP_WITHOUT_WINDOW_MANAGER()                                      \
    do {                                                                            \
        if (::kararisu::test::windowManager() == nullptr)                           \
            KARARISU_SKIP_WITHOUT_INPUT(::kararisu::test::noWindowManagerReason()); \
    } while (0)
