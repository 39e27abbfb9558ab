#pragma once
// Every message box, file dialog, folder chooser and beep of the desktop
// program goes through this one interface, so that tests can answer them
// from a script and record what was asked. Each box and dialog names the
// window it speaks for: it belongs to that window and stands above it.

#include <optional>
#include <string>
#include <vector>

#include "support/messages.h"

namespace kararisu {

// What a file dialog is asked to show. The filter is written as pairs
// "name|pattern|name|pattern", patterns separated by ";".
struct FileDialogRequest {
    std::string title;  // empty: the toolkit's own
    std::string filter;
    std::string folder;         // the folder it opens in
    std::string fileName;       // the name it proposes
    std::string defaultSuffix;  // added to a typed name without one (save)
    bool multiSelect = false;
    bool preview = false;           // a picture of the highlighted BMP file beside the list
    bool confirmOverwrite = false;  // save: the dialog asks before taking an existing file
    friend bool operator==(const FileDialogRequest&, const FileDialogRequest&) = default;
};

// A file chosen in a save dialog and the name of the filter it was chosen
// under (the name part of the request's "name|pattern" pair).
struct SaveChoice {
    std::string path;
    std::string filter;
    friend bool operator==(const SaveChoice&, const SaveChoice&) = default;
};

// A window, named without the toolkit: a form makes one from itself
// (widgets/window_ref.h) and the toolkit's platform turns it back. The
// empty one names no window: the box then stands above the window in front.
class WindowRef {
  public:
    constexpr WindowRef() = default;
    constexpr explicit WindowRef(const void* window) : window_(window) {}
    constexpr const void* get() const { return window_; }
    constexpr explicit operator bool() const { return window_ != nullptr; }
    friend constexpr bool operator==(WindowRef, WindowRef) = default;

  private:
    const void* window_ = nullptr;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // A message box of window; the button chosen.
    virtual Answer show(WindowRef window, const Message& message) = 0;
    virtual void beep(Beep kind) = 0;
    // The chosen existing files, in the dialog's order; empty when cancelled.
    virtual std::vector<std::string> openFiles(WindowRef window,
                                               const FileDialogRequest& request) = 0;
    // The chosen file name; nothing when cancelled.
    virtual std::optional<std::string> saveFile(WindowRef window,
                                                const FileDialogRequest& request) = 0;
    // The same, with the filter the user chose; a platform whose dialog has
    // no choice of filter answers with the first.
    virtual std::optional<SaveChoice> saveFileAs(WindowRef window,
                                                 const FileDialogRequest& request);
    // A folder, which the user may create by typing its name (asked with
    // a question before it is made); nothing when cancelled.
    virtual std::optional<std::string> chooseFolder(WindowRef window, const std::string& caption,
                                                    const std::string& start) = 0;
};

// The platform as the Reporter of the core's work that one window started:
// what the work says stands above that window.
class WindowReporter final : public Reporter {
  public:
    WindowReporter(Platform& platform, WindowRef window) : platform_(platform), window_(window) {}
    Answer show(const Message& message) override { return platform_.show(window_, message); }
    void beep(Beep kind) override { platform_.beep(kind); }

  private:
    Platform& platform_;
    WindowRef window_;
};

// The title of the application, the caption of informational messages and of
// the general error display.
inline constexpr const char* kApplicationTitle = "カラリス";

// The general error display: the error's own text under the application
// title, with a stop icon.
Message generalErrorMessage(const std::string& what);

}  // namespace kararisu
