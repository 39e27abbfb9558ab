// The platform's Qt side that needs no person: filters, the general error
// display and the application's last net for errors.
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/qt_platform.h"
#include "gui/gui_fixture.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

TEST(NameFilters, PairsBecomeQtFilters) {
    EXPECT_EQ(nameFilters("ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp"), QStringList{"ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)"});
    EXPECT_EQ(nameFilters("パレット|*.gpl|すべて|*.bmp;*.gpl"),
              (QStringList{"パレット (*.gpl)", "すべて (*.bmp *.gpl)"}));
    EXPECT_TRUE(nameFilters("").isEmpty());
    EXPECT_TRUE(nameFilters("odd").isEmpty());
}

TEST(GeneralError, IsTheErrorsTextUnderTheTitleWithAStop) {
    Message m = generalErrorMessage("x.bmp: bad header size 7");
    EXPECT_EQ(m.text, "x.bmp: bad header size 7");
    EXPECT_EQ(m.caption, "カラリス");
    EXPECT_EQ(m.icon, MessageIcon::Stop);
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
}

class Thrower : public QObject {
  public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw std::runtime_error("broken in a handler");
        return QObject::event(e);
    }
};

class ErrorDisplayTest : public GuiTest {};

TEST_F(ErrorDisplayTest, AnUncaughtErrorIsShownAndTheProgramGoesOn) {
    Thrower t;
    QEvent e(QEvent::User);
    EXPECT_NO_THROW(QApplication::sendEvent(&t, &e));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], generalErrorMessage("broken in a handler"));
    // the next event is handled as usual
    QEvent again(QEvent::User);
    QApplication::sendEvent(&t, &again);
    EXPECT_EQ(platform.messages.size(), 2u);
}

TEST_F(ErrorDisplayTest, ACommandsErrorEndsOnlyThatCommand) {
    int after = 0;
    runCommand([] { throw std::runtime_error("stop here"); });
    runCommand([&] { ++after; });
    EXPECT_EQ(after, 1);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "stop here");
}

TEST_F(ErrorDisplayTest, RefusedMemoryIsShownInWords) {
    runCommand([] { throw std::bad_alloc(); });
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].caption, "カラリス");
    EXPECT_FALSE(platform.messages[0].text.empty());
}

TEST_F(ErrorDisplayTest, QueuedCommandErrorReachesTheDisplay) {
    // A drop of an unreadable file delivered through the event loop.
    TMain& m = start();
    std::string gone = path("gone.bmp");
    QTimer::singleShot(0, &m, [&] { m.DropFiles({gone}); });
    QApplication::processEvents();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].caption, "カラリス");
    EXPECT_NE(platform.messages[0].text.find("gone.bmp"), std::string::npos);
    EXPECT_EQ(m.lists().sources.size(), 0);
}

}  // namespace

// --- the Qt side, driven while its modal windows are open

namespace {

// Runs check on the modal window once it is up, then lets it go.
template <typename W, typename F>
void whenModal(F check) {
    QTimer::singleShot(0, [check] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!w) {
            ADD_FAILURE() << "no modal window";
            return;
        }
        check(w);
    });
}

}  // namespace

TEST(QtPlatformBoxes, ShowTextCaptionIconButtonsAndAnswer) {
    QtPlatform qt;
    whenModal<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->text(), QStringLiteral("gone.bmp: No such file"));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("オープンエラー"));
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Retry | QMessageBox::Cancel);
        box->button(QMessageBox::Retry)->click();
    });
    Answer a = qt.show(WindowRef(), Message{"gone.bmp: No such file", "オープンエラー",
                                            MessageIcon::Stop, MessageButtons::RetryCancel});
    EXPECT_EQ(a, Answer::Retry);

    whenModal<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("カラリス"));  // empty caption: the title
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(qt.show(WindowRef(),
                      Message{"t", "", MessageIcon::Exclamation, MessageButtons::YesNoCancel}),
              Answer::No);
}

class QtOpenDialogTest : public GuiTest {};

TEST_F(QtOpenDialogTest, OpenDialogIsQtsOwnWithFilterFolderAndPreview) {
    QtPlatform qt;
    std::string picFile = bmp("pic.bmp", PixelFormat::Bpp8);
    junk("junk.bmp");
    FileDialogRequest r;
    r.filter = "ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp";
    r.folder = dir.path().toStdString();
    r.multiSelect = true;
    r.preview = true;
    const QString folder = dir.path();
    const QString pic = QString::fromStdString(picFile);
    whenModal<QFileDialog>([&](QFileDialog* d) {
        EXPECT_TRUE(d->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(d->nameFilters(), QStringList{"ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)"});
        EXPECT_EQ(d->directory().absolutePath(), folder);
        auto* picture = d->findChild<QLabel*>("previewPicture");
        auto* size = d->findChild<QLabel*>("previewSize");
        ASSERT_TRUE(picture && size);
        emit d->currentChanged(pic);
        EXPECT_FALSE(picture->pixmap().isNull());
        EXPECT_EQ(size->text(), QStringLiteral("4 x 3"));
        emit d->currentChanged(folder + "/junk.bmp");
        EXPECT_TRUE(picture->pixmap().isNull());
        d->reject();
    });
    EXPECT_TRUE(qt.openFiles(WindowRef(), r).empty());
}
