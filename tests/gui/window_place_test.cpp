// Where the windows land under a real window manager (tests/gui/wm_test.sh
// starts Xvfb and openbox): every window centred
// on the screen, frame included, from its very first show on. Each line
// "placed" on standard output gives where a window was first framed and
// where it settled, as offsets from the ideal position.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "gui/gui_fixture.h"
#include "palette/Padlg.h"
#include "reduce/Gmdlg.h"
#include "reduce/Gsdlg.h"
#include "viewers/Gpform.h"
#include "viewers/Mpform.h"
#include "viewers/Ppform.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

void runEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Lets events run until the window manager has framed the window and its
// frame has stayed where it is for a moment; false after timeoutMs.
bool waitUntilFramed(QWidget& window, int timeoutMs = 5000) {
    constexpr int kStillMs = 200;
    QElapsedTimer clock, still;
    clock.start();
    QRect last;
    while (clock.elapsed() < timeoutMs) {
        runEventsFor(10);
        const QWindow* handle = window.windowHandle();
        if (!window.isVisible() || handle == nullptr || handle->frameMargins().isNull()) continue;
        const QRect frame = handle->frameGeometry();
        if (frame != last || !still.isValid()) {
            last = frame;
            still.start();
        } else if (still.elapsed() >= kStillMs) {
            return true;
        }
    }
    return false;
}

// Notes where the window manager first framed a window, and every change of
// the window's place after it was asked to show.
class FirstFrame : public QObject {
  public:
    explicit FirstFrame(QWidget& w) : window_(w) { w.installEventFilter(this); }
    ~FirstFrame() override {
        window_.removeEventFilter(this);
        if (handle_) handle_->removeEventFilter(this);
    }
    FirstFrame(const FirstFrame&) = delete;
    FirstFrame& operator=(const FirstFrame&) = delete;
    std::optional<QPoint> at;
    std::string trace;

  protected:
    // Installed after the window's own filters, so it sees each event first.
    bool eventFilter(QObject* o, QEvent* e) override {
        // On the native window after the placement's own watch, so as to see
        // each of its events before that watch acts on it.
        if (o == &window_ && e->type() == QEvent::Show && !handle_)
            QTimer::singleShot(0, this, [this] {
                handle_ = window_.windowHandle();
                if (handle_) handle_->installEventFilter(this);
            });
        if (o == handle_ && (e->type() == QEvent::Move || e->type() == QEvent::Expose ||
                             e->type() == QEvent::Resize)) {
            const QMargins m = handle_->frameMargins();
            const QRect g = window_.geometry();
            trace += "  " + std::to_string(e->type()) + ": client " + std::to_string(g.x()) + "," +
                     std::to_string(g.y()) + " " + std::to_string(g.width()) + "x" +
                     std::to_string(g.height()) + " frame " + std::to_string(m.left()) + "," +
                     std::to_string(m.top()) + "," + std::to_string(m.right()) + "," +
                     std::to_string(m.bottom()) + "\n";
            if (!at && e->type() == QEvent::Expose && handle_->isExposed() && !m.isNull())
                at = g.topLeft() - QPoint(m.left(), m.top());
        }
        return false;
    }

  private:
    QWidget& window_;
    QPointer<QWindow> handle_;
};

class WindowPlaceTest : public GuiTest {
  protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs X and a window manager (tests/gui/wm_test.sh)";
        GuiTest::SetUp();
        start();
    }

    // The frame as the native window reports it (QWidget's own is not
    // updated when the window manager frames a window without moving it).
    static QRect frameOf(const QWidget& w) { return w.windowHandle()->frameGeometry(); }

    QPoint ideal(const QWidget& w, int lift) const {
        const QRect room = w.screen()->geometry();
        const QSize outer = frameOf(w).size();
        return QPoint((room.width() - outer.width()) / 2,
                      (room.height() - outer.height()) / 2 - lift);
    }

    // Shows the window by show(), waits for its frame and gives the offset
    // of the settled frame from the ideal position.
    template <typename Show>
    QPoint landing(QWidget& w, const char* name, Show show, int lift = 0) {
        FirstFrame first(w);
        show();
        EXPECT_TRUE(waitUntilFramed(w)) << name << " was never framed";
        const QPoint centre = ideal(w, lift);
        const QPoint settled = frameOf(w).topLeft() - centre;
        const QPoint framed = first.at.value_or(frameOf(w).topLeft()) - centre;
        std::printf("placed %-12s %4dx%-4d first framed at %+d,%+d, settled at %+d,%+d\n", name,
                    frameOf(w).width(), frameOf(w).height(), framed.x(), framed.y(), settled.x(),
                    settled.y());
        if (settled != QPoint() || std::getenv("KARARISU_PLACE_TRACE"))
            std::printf("%s", first.trace.c_str());
        return settled;
    }
};

TEST_F(WindowPlaceTest, EveryWindowIsCentredFromItsFirstShowOn) {
    main().lists().sources.append(
        makeImageEntry(path("a.bmp"), Bitmap(640, 480, PixelFormat::Bpp24)), "a.bmp");
    main().resultSink().add(
        Result{Bitmap(640, 480, PixelFormat::Bpp8), path("a.bmp"), "a(1)", "ノーマル256"});
    const SecondaryWindows& w = main().windows();
    EXPECT_EQ(landing(main(), "main", [&] { main().show(); }), QPoint());
    EXPECT_EQ(
        landing(*w.MPreForm, "source", [&] { w.MPreForm->openEntry(0, QStringLiteral("元絵:")); }),
        QPoint());
    EXPECT_EQ(landing(*w.GPreForm, "result",
                      [&] { w.GPreForm->openEntry(0, QStringLiteral("減色後:")); }),
              QPoint());
    EXPECT_EQ(landing(*w.PPreForm, "palette",
                      [&] { w.PPreForm->openResult(0, QStringLiteral("減色後:")); }),
              QPoint());
    EXPECT_EQ(landing(*w.GenMoniDlg, "monitor", [&] { w.GenMoniDlg->show(); }), QPoint());
    w.GenMoniDlg->hide();
    EXPECT_EQ(landing(*w.PalAddDlg, "merge", [&] { w.PalAddDlg->show(); }), QPoint());
    w.PalAddDlg->hide();
    // The settings dialog sits 20 pixels above the middle.
    EXPECT_EQ(landing(
                  *w.GenSetDlg, "settings", [&] { w.GenSetDlg->show(); }, 20),
              QPoint());
    w.GenSetDlg->hide();
    // Shown again, each is where it was.
    w.MPreForm->close();
    EXPECT_EQ(landing(*w.MPreForm, "source again",
                      [&] { w.MPreForm->openEntry(0, QStringLiteral("元絵:")); }),
              QPoint());
}

// A wide image gets a scroll bar after the first paint; the next image's
// window is centred on its own size.
TEST_F(WindowPlaceTest, ViewerIsCentredAgainAfterAWideImage) {
    main().lists().sources.append(
        makeImageEntry(path("wide.bmp"), Bitmap(641, 100, PixelFormat::Bpp24)), "wide.bmp");
    main().lists().sources.append(
        makeImageEntry(path("a.bmp"), Bitmap(640, 480, PixelFormat::Bpp24)), "a.bmp");
    main().show();
    ASSERT_TRUE(waitUntilFramed(main()));
    TMPreForm& viewer = *main().windows().MPreForm;
    EXPECT_EQ(landing(viewer, "wide", [&] { viewer.openEntry(0, QStringLiteral("元絵:")); }),
              QPoint());
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&viewer, &esc);
    runEventsFor(50);
    EXPECT_EQ(landing(viewer, "after wide", [&] { viewer.openEntry(1, QStringLiteral("元絵:")); }),
              QPoint());
}

}  // namespace
