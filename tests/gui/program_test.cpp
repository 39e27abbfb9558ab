// The program from start to end: the windows in their order, the event loop
// until the main window closes, and an error during start-up.
#include <QTimer>

#include "gui/gui_fixture.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

class ProgramTest : public GuiTest {};

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
