#pragma once
// The application object: its notification is where an error that no
// handler caught ends up, shown by the general error display.

#include <QApplication>
#include <QTranslator>
#include <functional>
#include <string>

#include "support/platform.h"

namespace kararisu {

class Application : public QApplication {
  public:
    Application(int& argc, char** argv);

    // Where the general error display shows errors (may be null: then they
    // are shown by a plain Qt message box).
    void setErrorPlatform(Platform* platform) { errorPlatform_ = platform; }
    Platform* errorPlatform() const { return errorPlatform_; }

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    Platform* errorPlatform_ = nullptr;
    QTranslator qtTexts_;
};

// Shows an error through the running application's general error display.
void showGeneralError(const std::exception& error);
void showGeneralError(const std::string& what);

// Runs one command; an error it raises is shown by the general error display
// and ends only that command.
void runCommand(const std::function<void()>& command);

// Where the open dialog starts until a file is chosen in it: the current
// folder, unless that is the program's own (where a menu or file manager may
// have started it); otherwise the pictures folder, or home without one.
std::string startingOpenFolder();

// Qt's own texts (dialog labels, message-box buttons) in Japanese, whatever
// the locale; false when Qt's Japanese catalogue is not installed.
bool installJapaneseQtTexts(QTranslator& translator);

// Maps the Windows font names of the forms to fonts with the same metrics:
// BIZ UDGothic (and its proportional face), which has a real bold face and
// TrueType hinting that keeps 12-pixel text crisp, drawn without smoothing
// below 16 pixels as the forms' fonts were meant to be; IPA Gothic where it
// is missing.
void installFontSubstitutes();

}  // namespace kararisu
