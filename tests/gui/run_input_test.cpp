// A run over the real message boxes, answered the way a person answers them:
// key presses and clicks that enter through the window system, reach the
// box's window and only then its buttons, while the run holds the GUI
// thread and drops every other input.
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>

#include "app/qt_platform.h"
#include "gui/reduce_fixture.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

// Watches for the program's message boxes and answers each with real
// input. A box still open after its answer is reported and closed, so a
// box that takes no input fails the test instead of hanging it.
class BoxAnswerer {
  public:
    using Answer = std::function<void(QMessageBox&)>;
    explicit BoxAnswerer(Answer answer) : answer_(std::move(answer)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
        timer_.start(5);
    }
    std::vector<std::string> texts;  // of every box answered, in order

  private:
    void look() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible() || box->windowHandle() == nullptr) return;
        texts.push_back(box->text().toStdString());
        answer_(*box);
        if (box->isVisible()) {
            ADD_FAILURE() << "the box took no input: " << texts.back();
            box->hide();  // ends its loop even where its close is refused
        }
    }
    Answer answer_;
    QTimer timer_;
};

void pressKey(QMessageBox& box, Qt::Key key) {
    QTest::keyClick(box.windowHandle(), key);
}

void clickOk(QMessageBox& box) {
    QAbstractButton* ok = box.button(QMessageBox::Ok);
    ASSERT_NE(ok, nullptr);
    const QPoint at = ok->mapTo(&box, ok->rect().center());
    QTest::mouseClick(box.windowHandle(), Qt::LeftButton, {}, at);
}

class RunInputTest : public ReduceTest {
  protected:
    QtPlatform qt;

    void SetUp() override {
        GuiTest::SetUp();
        program = std::make_unique<Program>(qt, std::vector<std::string>{});
        qt.setOwner(&main());
        saveBmp(Bitmap(0, 0, PixelFormat::Bpp24), path("zero.bmp")).take(path("zero.bmp"));
        main().DropFiles({bmp("a24.bmp"), path("zero.bmp"), bmp("b8.bmp", PixelFormat::Bpp8)});
        main().show();
    }
    void TearDown() override {
        qt.setOwner(nullptr);
        GuiTest::TearDown();
    }
    std::vector<std::string> resultNames() {
        std::vector<std::string> out;
        for (const ResultRow& r : main().lists().results.lines()) out.push_back(r.fileName);
        return out;
    }
};

TEST_F(RunInputTest, TheRunsOwnBoxTakesKeysAndClicksAndTheRunGoesOn) {
    selectLines({0, 1, 2});
    {
        BoxAnswerer answerer([](QMessageBox& box) { pressKey(box, Qt::Key_Return); });
        reduceWith(0, ReductionMenu::Individual);
        EXPECT_EQ(answerer.texts, std::vector<std::string>{sizeMessage("zero.bmp").text});
    }
    EXPECT_EQ(resultNames(), (std::vector<std::string>{"a24.bmp", "b8.bmp"}));
    EXPECT_FALSE(monitor()->isVisible());

    // A reference without pixels ends the run at its message, here answered
    // with Esc, then with a click on its button.
    for (const BoxAnswerer::Answer& answer :
         {BoxAnswerer::Answer([](QMessageBox& box) { pressKey(box, Qt::Key_Escape); }),
          BoxAnswerer::Answer(clickOk)}) {
        BoxAnswerer answerer(answer);
        reduceWith(0, ReductionMenu::Reference, 1);
        EXPECT_EQ(answerer.texts, std::vector<std::string>{referenceSizeMessage("zero.bmp").text});
    }
    EXPECT_EQ(resultNames().size(), 2u);
}

TEST_F(RunInputTest, KeysForTheMainWindowWaitOutTheRunAndAreDropped) {
    selectLines({0, 2});
    main().ui().MotoListBox->setFocus();
    bool sent = false;
    QObject::connect(monitor(), &TGenMoniDlg::monitorChanged, [&] {
        if (sent) return;
        sent = true;
        // Select all: the run would walk over the image without pixels too.
        QTest::keyClick(main().windowHandle(), Qt::Key_A, Qt::ControlModifier);
    });
    BoxAnswerer answerer([](QMessageBox& box) { pressKey(box, Qt::Key_Return); });
    reduceWith(0, ReductionMenu::Individual);
    EXPECT_TRUE(sent);
    EXPECT_TRUE(answerer.texts.empty());
    EXPECT_EQ(main().selectedLines(), 2);
    EXPECT_EQ(resultNames(), (std::vector<std::string>{"a24.bmp", "b8.bmp"}));
}

TEST_F(RunInputTest, TheWindowsCloseDuringARunIsActedOnAtItsEnd) {
    selectLines({0, 2});
    bool asked = false;
    QObject::connect(monitor(), &TGenMoniDlg::monitorChanged, [&] {
        if (asked) return;
        asked = true;
        main().windowHandle()->close();  // as the window manager's close arrives
    });
    bool closed = false;
    QObject::connect(&main(), &TMain::closed, [&] { closed = true; });
    reduceWith(0, ReductionMenu::Individual);
    EXPECT_TRUE(asked);
    EXPECT_FALSE(closed);
    EXPECT_EQ(resultNames().size(), 2u);
    QCoreApplication::processEvents();
    EXPECT_TRUE(closed);
}

}  // namespace
