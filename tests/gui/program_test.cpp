// The program from start to end: its command line, the windows in their
// order, the event loop until the main window closes, and an error during
// start-up.
#include <sys/wait.h>

#include <QTimer>
#include <array>
#include <cstdio>

#include "gui/gui_fixture.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

class ProgramTest : public GuiTest {};

using Action = CommandLine::Action;

TEST(CommandLineTest, ArgumentsAreFilesUntilAnOptionDecides) {
    const CommandLine files = parseCommandLine({"a.bmp", "-", "file:///x%20y.bmp"});
    EXPECT_EQ(files.action, Action::Run);
    EXPECT_EQ(files.files, (std::vector<std::string>{"a.bmp", "-", "file:///x%20y.bmp"}));
    // anywhere on the line, and the first one decides
    EXPECT_EQ(parseCommandLine({"a.bmp", "--version"}).action, Action::Version);
    EXPECT_EQ(parseCommandLine({"-h", "--version"}).action, Action::Help);
    EXPECT_EQ(parseCommandLine({"--help", "-x"}).action, Action::Help);
    const CommandLine refused = parseCommandLine({"a.bmp", "-style", "--help"});
    EXPECT_EQ(refused.action, Action::Refuse);
    EXPECT_EQ(refused.refused, "-style");
    EXPECT_EQ(parseCommandLine({"--helpme"}).refused, "--helpme");
    // after "--" everything is a file, however it looks
    const CommandLine ended = parseCommandLine({"--", "--help", "-x.bmp", "--"});
    EXPECT_EQ(ended.action, Action::Run);
    EXPECT_EQ(ended.files, (std::vector<std::string>{"--help", "-x.bmp", "--"}));
}

struct Terminal {
    int status = -1;
    std::string out;
};

// The program as a person starts it from a terminal, with no display at all.
Terminal runProgramWith(const std::string& arguments) {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                std::string(KARARISU_PROGRAM) + " " + arguments + " 2>&1";
    Terminal r;
    FILE* p = ::popen(command.c_str(), "r");
    if (p == nullptr) return r;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), p))
        r.out.append(buffer.data(), n);
    r.status = WEXITSTATUS(::pclose(p));
    return r;
}

TEST(CommandLineTest, TerminalAnswersNeedNoDisplay) {
    const Terminal help = runProgramWith("some.bmp -h");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, kHelpText);
    const Terminal version = runProgramWith("a.bmp --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("kararisu ", 0), 0u) << version.out;
    const Terminal refused = runProgramWith("a.bmp --zoom 2");
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(
        refused.out,
        std::string("kararisu: unknown option '--zoom' (see kararisu --help)\n") + kUsageLine);
}

TEST_F(ProgramTest, RunsUntilTheMainWindowCloses) {
    bool shownAfterCreation = true;
    int result = runProgram(platform, {bmp("a.bmp")}, [&](Program& p) {
        shownAfterCreation = p.main().isVisible();
        // every secondary window exists before the main window shows
        const SecondaryWindows& w = p.windows();
        EXPECT_TRUE(w.GenSetDlg && w.GenMoniDlg && w.PPreForm && w.MPreForm && w.GPreForm &&
                    w.PalAddDlg);
        EXPECT_EQ(p.main().lists().sources.size(), 1);
        QTimer::singleShot(0, &p.main(), [&p] {
            EXPECT_TRUE(p.main().isVisible());
            p.main().ui().Exit1->trigger();
        });
    });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(shownAfterCreation);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ProgramTest, AnErrorDuringStartUpIsShownAndEndsTheProgram) {
    platform.onMessage = [](const Message& m) {
        if (m.caption == "警告：読み込めません！！") throw std::runtime_error("start-up broke");
    };
    bool created = false;
    int result = runProgram(platform, {junk("bad.bmp")}, [&](Program&) { created = true; });
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(created);
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[1], generalErrorMessage("start-up broke"));
}

}  // namespace
