#pragma once
// The seven windows of the program, created in their fixed order and kept
// until the program ends.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Mainform.h"
#include "palette/Padlg.h"
#include "reduce/Gmdlg.h"
#include "reduce/Gsdlg.h"
#include "viewers/Gpform.h"
#include "viewers/Mpform.h"
#include "viewers/Ppform.h"

namespace kararisu {

class Program {
  public:
    // Creates the main window (which loads the images named by arguments),
    // then the six secondary windows, hidden.
    Program(Platform& platform, const std::vector<std::string>& arguments);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    TMain& main() { return *main_; }
    const SecondaryWindows& windows() const { return main_->windows(); }

  private:
    // Declared in creation order; destroyed the other way round. These
    // pointers own the windows. The settings dialog and the monitor also
    // have the main window as their Qt parent, so that they stay above it,
    // but they are deleted here before it: their mirrors detach from lists
    // the main window holds, which are gone by the time a Qt parent deletes
    // its children.
    std::unique_ptr<TMain> main_;
    std::unique_ptr<TGenSetDlg> genSetDlg_;
    std::unique_ptr<TGenMoniDlg> genMoniDlg_;
    std::unique_ptr<TPPreForm> pPreForm_;
    std::unique_ptr<TMPreForm> mPreForm_;
    std::unique_ptr<TGPreForm> gPreForm_;
    std::unique_ptr<TPalAddDlg> palAddDlg_;
};

// What the command line asks for. Every argument names an image to open,
// but for --help (-h) and --version, answered on the terminal without a
// window; "--" ends the options, and any other argument beginning with "-"
// (but "-" itself) is refused. The first option that is not "--" decides.
struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    std::vector<std::string> files;
    std::string refused;  // the refused argument
};

CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// What --help prints, and the line a refusal ends with.
extern const char* const kHelpText;
extern const char* const kUsageLine;

// The program from start to end: creates the windows, shows the main window
// and runs the event loop until it closes. created is called once the
// windows exist, before the main window is shown. An error during start-up
// is shown by the general error display and ends the program (result 1).
int runProgram(Platform& platform, const std::vector<std::string>& arguments,
               const std::function<void(Program&)>& created = {});

}  // namespace kararisu
