// The windows under a real window manager (tests/gui/wm_test.sh starts Xvfb
// and openbox): every message box and file dialog a dialog or viewer raises
// is the topmost window while it waits for an answer, the settings dialog
// and the monitor cannot be resized, and a box a run raises is answered by a key press the X server
// delivers. With KARARISU_SHOTS=PREFIX each case also saves a picture of the screen,
// PREFIX-NAME.png (tools/screenshot_wm.sh).
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <fstream>
#include <functional>

#include "app/application.h"
#include "app/main_controls.h"
#include "app/program.h"
#include "app/qt_platform.h"
#include "palette/Padlg.h"
#include "reduce/glyph_choice_box.h"
#include "worklists/bmp/bmp.h"

using namespace kararisu;

namespace {

QString xprop(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral("xprop"), arguments);
    if (!p.waitForFinished(5000)) return {};
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// The managed windows, bottom to top, as the window manager stacks them.
std::vector<WId> stacking() {
    const QString out = xprop({"-root", "-notype", "_NET_CLIENT_LIST_STACKING"});
    std::vector<WId> ids;
    const QRegularExpression hex(QStringLiteral("0x[0-9a-fA-F]+"));
    for (auto m = hex.globalMatch(out.section(QLatin1Char('#'), 1)); m.hasNext();)
        ids.push_back(WId(m.next().captured().toULongLong(nullptr, 16)));
    return ids;
}

// What the window manager lets the user do with the window (its buttons).
QStringList allowedActions(const QWidget& w) {
    const QString out =
        xprop({"-id", QString::number(w.winId()), "-notype", "_NET_WM_ALLOWED_ACTIONS"});
    QStringList actions;
    const QRegularExpression name(QStringLiteral("_NET_WM_ACTION_(\\w+)"));
    for (auto m = name.globalMatch(out); m.hasNext();) actions << m.next().captured(1);
    return actions;
}

bool waitUntil(const std::function<bool()>& done, int milliseconds = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > milliseconds) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    return true;
}

bool isTopmost(const QWidget& w) {
    const std::vector<WId> ids = stacking();
    return !ids.empty() && ids.back() == w.winId();
}

void shoot(const QString& name) {
    const QByteArray prefix = qgetenv("KARARISU_SHOTS");
    if (prefix.isEmpty()) return;
    // Room for the window manager to draw its frames.
    waitUntil([] { return false; }, 300);
    const QString file = QString::fromLocal8Bit(prefix) + "-" + name + ".png";
    const bool ok = QGuiApplication::primaryScreen()->grabWindow(0).save(file);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(file));
}

// Once a modal W opens: checks that it belongs to owner and is the topmost
// window, takes its picture, and answers it. A box that never comes fails
// the test; the ctest timeout ends a run that waits for ever.
template <typename W>
void whenOnTop(const QString& shot, QWidget* owner, std::function<void(W&)> answer) {
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [=] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        const bool up = w != nullptr && w->isVisible();
        if (!up && clock->elapsed() < 10000) return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (!up) {
            ADD_FAILURE() << "no " << qPrintable(shot) << " came";
            return;
        }
        EXPECT_EQ(w->parentWidget(), owner) << qPrintable(shot);
        EXPECT_TRUE(waitUntil([w] { return isTopmost(*w); }))
            << qPrintable(shot) << " is not on top";
        shoot(shot);
        answer(*w);
    });
    timer->start(20);
}

void ok(QMessageBox& box) {
    box.button(QMessageBox::Ok)->click();
}

class WindowManagerTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QtPlatform qt;
    std::unique_ptr<Program> program;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_DATA_HOME", (dir.path() + "/data").toLocal8Bit());
        Bitmap photo(64, 48, PixelFormat::Bpp24);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) photo.row(y)[3 * x] = std::uint8_t(4 * x + y);
        saveBmp(photo, path("photo.bmp")).take(path("photo.bmp"));
        Bitmap paletted(32, 32, PixelFormat::Bpp8);
        saveBmp(paletted, path("paletted.bmp")).take(path("paletted.bmp"));
        saveBmp(Bitmap(0, 0, PixelFormat::Bpp24), path("zero.bmp")).take(path("zero.bmp"));
        std::ofstream(path("bad.gpl")) << "not a palette";
        program = std::make_unique<Program>(
            qt,
            std::vector<std::string>{path("photo.bmp"), path("zero.bmp"), path("paletted.bmp")});
        qt.setOwner(&main());
        main().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
    }
    void TearDown() override { program.reset(); }

    std::string path(const std::string& name) const {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }
    TMain& main() { return program->main(); }
    void select(std::initializer_list<int> lines) {
        main().ui().MotoListBox->clearSelection();
        for (int i : lines) main().ui().MotoListBox->item(i)->setSelected(true);
    }
};

TEST_F(WindowManagerTest, TheMergeDialogsWarningFileDialogAndRefusalAreOnTop) {
    TPalAddDlg& d = *main().windows().PalAddDlg;
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        EXPECT_TRUE(waitUntil([&] { return isTopmost(d); }));
        whenOnTop<QMessageBox>("merge-warning", &d, ok);
        d.OkButton->click();  // nothing chosen
        whenOnTop<QFileDialog>("merge-file-dialog", &d, [&](QFileDialog& files) {
            whenOnTop<QMessageBox>("merge-refused-file", &d, ok);
            // The file typed into the name field and the open button pressed.
            files.setDirectory(dir.path());
            files.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QStringLiteral("bad.gpl"));
            files.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))
                ->button(QDialogButtonBox::Open)
                ->click();
        });
        d.LoadButton->click();
        d.reject();
    });
    main().P3Click();
    EXPECT_TRUE(ran);
}

TEST_F(WindowManagerTest, TheSettingsDialogsMessagesAndFileDialogAreOnTop) {
    TGenSetDlg& d = *main().windows().GenSetDlg;
    select({0, 2});
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        EXPECT_TRUE(waitUntil([&] { return isTopmost(d); }));
        // A fixed dialog border: moved and closed, never made smaller or
        // larger. (openbox offers minimising whatever the window asks.)
        const QStringList actions = allowedActions(d);
        EXPECT_TRUE(actions.contains("CLOSE")) << qPrintable(actions.join(' '));
        for (const char* absent : {"MAXIMIZE_HORZ", "MAXIMIZE_VERT", "RESIZE"})
            EXPECT_FALSE(actions.contains(absent)) << absent;
        shoot("settings-dialog");
        d.ColorBox->setCurrentIndex(25);
        d.ColorBoxChange();
        d.Edit1->setText(QStringLiteral("ABC"));
        whenOnTop<QMessageBox>("settings-not-a-number", &d, ok);
        d.OKButton->click();
        d.ColorBox->setCurrentIndex(0);
        d.ColorBoxChange();
        d.MenuButton2->click();
        whenOnTop<QMessageBox>("settings-no-reference", &d, ok);
        d.OKButton->click();
        d.MenuButton3->click();
        whenOnTop<QMessageBox>("settings-no-palette", &d, ok);
        d.OKButton->click();
        whenOnTop<QFileDialog>("settings-file-dialog", &d, [](QFileDialog& f) { f.reject(); });
        d.LoadButton->click();
        d.reject();
    });
    main().G1Click();
    EXPECT_TRUE(ran);
}

TEST_F(WindowManagerTest, AViewersReportIsOnTop) {
    main().resultSink().add(
        Result{Bitmap(32, 24, PixelFormat::Bpp8), path("photo.bmp"), "photo(1)", "ノーマル256"});
    TGPreForm& viewer = *main().windows().GPreForm;
    viewer.openEntry(0, QStringLiteral("減色後:"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    EXPECT_TRUE(waitUntil([&] { return isTopmost(viewer); }));
    whenOnTop<QMessageBox>("viewer-information", &viewer, ok);
    viewer.I1Click();
    whenOnTop<QMessageBox>("viewer-colour-count", &viewer, ok);
    viewer.C2Click();
}

// openbox gives every titled window a close and a minimise button, so
// only what the fixed size rules out is checked here.
TEST_F(WindowManagerTest, TheMonitorCannotBeResized) {
    TGenMoniDlg& monitor = *main().windows().GenMoniDlg;
    monitor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&monitor));
    QStringList actions;
    EXPECT_TRUE(waitUntil([&] {
        actions = allowedActions(monitor);
        return !actions.isEmpty();
    }));
    for (const char* absent : {"MAXIMIZE_HORZ", "MAXIMIZE_VERT", "RESIZE"})
        EXPECT_FALSE(actions.contains(absent)) << absent;
    shoot("monitor");
    monitor.hide();
}

// The size message of a run, answered with Return typed on the X server's
// keyboard; the run then goes on to the last image.
TEST_F(WindowManagerTest, TheRunsBoxTakesAKeyTypedOnTheDisplay) {
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "no xdotool";
    TGenSetDlg& d = *main().windows().GenSetDlg;
    select({0, 1, 2});
    QTimer::singleShot(0, [&] { d.OKButton->click(); });
    whenOnTop<QMessageBox>("run-size-message", &main(), [](QMessageBox& box) {
        // The key goes to the window with the focus, which is the box.
        EXPECT_TRUE(waitUntil([&] { return box.isActiveWindow(); }));
        QProcess::execute(QStringLiteral("xdotool"), {"key", "Return"});
        if (!waitUntil([&] { return !box.isVisible(); })) {
            ADD_FAILURE() << "the box took no key";
            box.hide();
        }
    });
    main().G1Click();
    EXPECT_EQ(main().lists().results.size(), 2);
}

}  // namespace
