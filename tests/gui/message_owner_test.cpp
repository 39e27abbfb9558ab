// Every message box and file dialog a window raises is asked for that
// window, so that it stands above it: the dialogs', the viewers' and the
// main window's; and the Qt platform makes each box a child of its window,
// kept above all others where its window is.
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <fstream>

#include "app/qt_platform.h"
#include "gui/reduce_fixture.h"
#include "palette/Padlg.h"
#include "support/scoped_env.h"
#include "viewers/Gpform.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

class MessageOwnerTest : public ReduceTest {
  protected:
    std::unique_ptr<ScopedEnv> dataHome;

    void SetUp() override {
        dataHome = std::make_unique<ScopedEnv>("XDG_DATA_HOME", path("data").c_str());
        ReduceTest::SetUp();
        main().DropFiles({bmp("a.bmp"), bmp("b.bmp", PixelFormat::Bpp8)});
        selectLines({0, 1});
    }
    // Every message and dialog since the last call was asked for window.
    void expectAllFor(const QWidget* window, std::size_t messages, std::size_t dialogs) {
        EXPECT_EQ(platform.messageWindows, std::vector<WindowRef>(messages, windowRef(window)));
        EXPECT_EQ(platform.dialogWindows, std::vector<WindowRef>(dialogs, windowRef(window)));
        platform.messageWindows.clear();
        platform.dialogWindows.clear();
    }
};

TEST_F(MessageOwnerTest, TheMergeDialogsWarningAndFileDialogAreItsOwn) {
    TPalAddDlg& d = *main().windows().PalAddDlg;
    std::ofstream(path("bad.gpl")) << "not a palette";
    platform.openAnswers.push_back({path("bad.gpl")});
    QTimer::singleShot(0, [&] {
        d.OkButton->click();    // nothing chosen
        d.LoadButton->click();  // a file that is no palette
        d.reject();
    });
    main().P3Click();
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0], incompleteChoiceMessage());
    expectAllFor(&d, 2, 1);
}

TEST_F(MessageOwnerTest, TheSettingsDialogsMessagesAreItsOwn) {
    platform.openAnswers.push_back({});
    reduce([](TGenSetDlg& d) {
        choose(d, 25);
        d.Edit1->setText(QStringLiteral("ABC"));
        d.OKButton->click();  // not a number
        choose(d, 0);
        pick(d, ReductionMenu::Reference);
        d.OKButton->click();  // no reference image
        pick(d, ReductionMenu::GivenPalette);
        d.OKButton->click();  // no palette
        d.LoadButton->click();
    });
    expectAllFor(dialog(), 3, 1);
}

TEST_F(MessageOwnerTest, AViewersReportIsItsOwnAndTheMainWindowsItsOwn) {
    reduceWith(0, ReductionMenu::Individual);
    platform.messageWindows.clear();
    TGPreForm& viewer = *program->windows().GPreForm;
    viewer.openEntry(0, QStringLiteral("減色後:"));
    viewer.I1Click();
    viewer.C2Click();
    expectAllFor(&viewer, 2, 0);
    main().DropFiles({junk("c.txt")});
    expectAllFor(&main(), 1, 0);
}

TEST(QtPlatformOwner, ABoxIsAChildOfItsWindowAndKeptAboveWithIt) {
    QtPlatform qt;
    QWidget plain;
    QWidget above(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    for (QWidget* w : {&plain, &above}) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = true;
            EXPECT_EQ(box->parentWidget(), w);
            EXPECT_EQ(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint), w == &above);
            box->reject();
        });
        qt.show(windowRef(w), Message{"t", "c", MessageIcon::Exclamation, MessageButtons::Ok});
        EXPECT_TRUE(seen);
    }
}

}  // namespace
