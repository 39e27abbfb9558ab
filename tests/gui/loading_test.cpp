// Loading images: the open dialog, dropped files and the command line, with
// every message they show, and the drawing of the "before" list.
#include <sys/stat.h>

#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QUrl>

#include "app/application.h"
#include "gui/gui_fixture.h"
#include "palette/palette_file.h"
#include "support/scoped_env.h"
#include "viewers/Mpform.h"
#include "worklists/loading.h"
#include "worklists/results.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

const std::string kSentence = "は有効なビットマップデータではありません。";
const std::string kRejected = "警告：読み込めません！！";

class LoadingTest : public GuiTest {
  protected:
    void drop(const std::vector<std::string>& paths) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
        mime.setUrls(urls);
        deliver(mime);
    }
    // As a file manager's drop arrives: the drag enters the window, then drops.
    bool deliver(QMimeData& mime) {
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&main(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent event(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&main(), &event);
        return event.isAccepted();
    }
    std::vector<std::string> entryPaths() {
        std::vector<std::string> out;
        for (int i = 0; i < main().lists().sources.size(); ++i)
            out.push_back(main().lists().sources.at(i).path);
        return out;
    }
    std::vector<int> entryDepths() {
        std::vector<int> out;
        for (int i = 0; i < main().lists().sources.size(); ++i)
            out.push_back(main().lists().sources.at(i).depth);
        return out;
    }
    std::vector<std::string> viewerNames() {
        std::vector<std::string> out;
        QComboBox* box = program->windows().MPreForm->MotoBox;
        for (int i = 0; i < box->count(); ++i) out.push_back(box->itemText(i).toStdString());
        return out;
    }
    // SourceList, SourceCount, MotoListBox and MotoBox hold the same files.
    void expectInStep(const std::vector<std::string>& names, bool viewerToo = true) {
        EXPECT_EQ(lines(), names);
        EXPECT_EQ(main().lists().sources.size(), int(names.size()));
        std::vector<std::string> fromPaths;
        for (const std::string& p : entryPaths()) fromPaths.push_back(fileNameOf(p));
        EXPECT_EQ(fromPaths, names);
        if (viewerToo) {
            EXPECT_EQ(viewerNames(), names);
        }
    }
    Message onlyMessage() {
        EXPECT_EQ(platform.messages.size(), 1u);
        return platform.messages.empty() ? Message{} : platform.messages.front();
    }
};

// --- the open dialog

TEST_F(LoadingTest, DialogIsAskedForSeveralImageFilesFromOpenFolder) {
    start();
    main().ui().OpenButton->click();
    ASSERT_EQ(platform.openRequests.size(), 1u);
    const FileDialogRequest& r = platform.openRequests[0];
    EXPECT_EQ(
        r.filter,
        "画像ファイル (*.bmp *.png)|*.bmp;*.png|ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp|PNG画像 (*.png)|*.png");
    EXPECT_TRUE(r.multiSelect);
    EXPECT_TRUE(r.preview);
    EXPECT_EQ(r.fileName, "");
    EXPECT_EQ(r.folder, main().OpenFolder);
    EXPECT_EQ(main().lists().sources.size(), 0);  // cancelled
}

// Started from a terminal, the dialog opens where the user stands; started
// in the program's own folder (as some launchers do), in the pictures
// folder or home.
TEST_F(LoadingTest, DialogStartsInTheCurrentFolderUnlessItIsTheProgramsOwn) {
    const QString cwd = QDir::currentPath();
    const std::string home = path("home");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(home + "/Pictures")));
    ScopedEnv homeEnv("HOME", home.c_str());
    ScopedEnv config("XDG_CONFIG_HOME", (home + "/.config").c_str());
    QDir::setCurrent(dir.path());
    start();
    EXPECT_EQ(main().OpenFolder, dir.path().toStdString());
    program.reset();
    QDir::setCurrent(QString::fromStdString(programFolder()));
    start();
    EXPECT_EQ(main().OpenFolder, home + "/Pictures");
    program.reset();
    QDir(QString::fromStdString(home + "/Pictures")).removeRecursively();
    start();
    QDir::setCurrent(cwd);
    EXPECT_EQ(main().OpenFolder, home);
    EXPECT_EQ(main().SaveFolder, programFolder());
}

TEST_F(LoadingTest, DialogLoadsChosenFilesInOrderAndRemembersFolder) {
    start();
    QDir(dir.path()).mkdir("sub");
    std::string a = bmp("a.bmp", PixelFormat::Bpp8);
    std::string b = bmp("sub/b.BMP", PixelFormat::Bpp1);
    platform.openAnswers.push_back({b, a});
    main().ui().Open1->trigger();
    expectInStep({"b.BMP", "a.bmp"});
    EXPECT_EQ(entryPaths(), (std::vector<std::string>{b, a}));
    EXPECT_EQ(entryDepths(), (std::vector<int>{0, 2}));
    EXPECT_EQ(main().OpenFolder, dir.path().toStdString());
    EXPECT_TRUE(platform.messages.empty());
    main().Open1Click();
    EXPECT_EQ(platform.openRequests.back().folder, dir.path().toStdString());
}

TEST_F(LoadingTest, DialogDoesNotCheckTheExtension) {
    start();
    saveBmp(smallBitmap(PixelFormat::Bpp4), path("picture.dat")).take(path("picture.dat"));
    platform.openAnswers.push_back({path("picture.dat")});
    main().Open1Click();
    expectInStep({"picture.dat"});
}

TEST_F(LoadingTest, SameFileTwiceGivesTwoEntries) {
    start();
    std::string a = bmp("same.bmp");
    platform.openAnswers.push_back({a});
    platform.openAnswers.push_back({a});
    main().Open1Click();
    main().Open1Click();
    expectInStep({"same.bmp", "same.bmp"});
    EXPECT_NE(main().lists().sources.at(0).bitmap.get(), main().lists().sources.at(1).bitmap.get());
}

TEST_F(LoadingTest, FileThatCannotBeOpenedAsksRetryOrCancel) {
    start();
    std::string good = bmp("good.bmp");
    std::string gone = path("gone.bmp");
    platform.openAnswers.push_back({good, gone, bmp("after.bmp")});
    platform.answers.push_back(Answer::Cancel);
    main().ui().Open1->trigger();
    const Message m = onlyMessage();
    EXPECT_EQ(m.caption, "オープンエラー");
    EXPECT_EQ(m.buttons, MessageButtons::RetryCancel);
    EXPECT_NE(m.text.find(gone), std::string::npos) << m.text;
    // the file before it stays; the dialog is not shown again
    expectInStep({"good.bmp"});
    EXPECT_EQ(platform.openRequests.size(), 1u);
}

TEST_F(LoadingTest, RetryShowsTheDialogAgainInTheLastFolder) {
    start();
    QDir(dir.path()).mkdir("x");
    std::string good = bmp("x/good.bmp");
    platform.openAnswers.push_back({good, path("missing.bmp")});
    platform.openAnswers.push_back({bmp("second.bmp")});
    platform.answers.push_back(Answer::Retry);
    main().Open1Click();
    ASSERT_EQ(platform.openRequests.size(), 2u);
    EXPECT_EQ(platform.openRequests[1].folder, dir.path().toStdString());
    EXPECT_EQ(platform.openRequests[1].fileName, "");
    expectInStep({"good.bmp", "second.bmp"});
    EXPECT_EQ(platform.messages.size(), 1u);
}

TEST_F(LoadingTest, InvalidBitmapFromDialogGoesToGeneralErrorDisplay) {
    start();
    std::string good = bmp("good.bmp");
    std::string bad = junk("bad.bmp");
    platform.openAnswers.push_back({good, bad, bmp("later.bmp")});
    main().ui().Open1->trigger();  // as the menu does: the command ends, the program goes on
    const Message m = onlyMessage();
    EXPECT_EQ(m.caption, "カラリス");
    EXPECT_EQ(m.icon, MessageIcon::Stop);
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
    EXPECT_NE(m.text.find("bad.bmp"), std::string::npos) << m.text;
    expectInStep({"good.bmp"});  // not added, and later.bmp not processed
}

// --- dropped files

TEST_F(LoadingTest, DropTakesBmpInAnyCaseAndNamesTheRest) {
    start();
    std::string a = bmp("a.BMP", PixelFormat::Bpp4);
    std::string b = bmp("b.bmp", PixelFormat::Bpp24);
    std::string c = bmp("c.txt");  // a valid bitmap, but not by its name
    drop({a, b, c});
    expectInStep({"a.BMP", "b.bmp"});
    const Message m = onlyMessage();
    EXPECT_EQ(m.text, "c.txt\n" + kSentence);
    EXPECT_EQ(m.caption, kRejected);
    EXPECT_EQ(m.icon, MessageIcon::Exclamation);
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
}

TEST_F(LoadingTest, DropAndCommandLineTakePngByNameAndReadEachFileByItsContent) {
    savePng(smallBitmap(PixelFormat::Bpp4), path("a.png")).take("a.png");
    savePng(smallBitmap(PixelFormat::Bpp24), path("B.PNG")).take("B.PNG");
    const std::string bmpInside = bmp("c.png", PixelFormat::Bpp8);
    const std::string bad = junk("d.png");
    start({path("a.png"), bad});
    EXPECT_EQ(onlyMessage().text, "d.png\n" + kSentence);
    drop({path("B.PNG"), bmpInside});
    expectInStep({"a.png", "B.PNG", "c.png"});
    const SourceList& s = main().lists().sources;
    EXPECT_EQ(s.at(0).format, ImageFormat::Png);
    EXPECT_EQ(s.at(0).depth, 1);
    EXPECT_EQ(s.at(1).format, ImageFormat::Png);
    EXPECT_EQ(s.at(2).format, ImageFormat::Bmp);
}

TEST_F(LoadingTest, TwoFailuresInOneDropShareOneMessageInDropOrder) {
    start();
    std::string x = junk("x.bmp");
    std::string good = bmp("good.bmp");
    std::string y = junk("y.png");
    drop({x, good, y});
    EXPECT_EQ(onlyMessage().text, "x.bmp\ny.png\n" + kSentence);
    expectInStep({"good.bmp"});  // the file after an invalid one still loads
}

TEST_F(LoadingTest, DroppedFolderOrPipeWithBmpNameIsRejectedNotRead) {
    start();
    QDir(dir.path()).mkdir("folder.bmp");
    ASSERT_EQ(::mkfifo(path("pipe.bmp").c_str(), 0600), 0);
    drop({path("folder.bmp"), path("pipe.bmp"), bmp("real.bmp")});
    EXPECT_EQ(onlyMessage().text, "folder.bmp\npipe.bmp\n" + kSentence);
    expectInStep({"real.bmp"});
}

TEST_F(LoadingTest, DropDoesNotMoveOpenFolderAndIgnoresOtherUrls) {
    start();
    std::string before = main().OpenFolder;
    QMimeData mime;
    mime.setUrls({QUrl("https://example.org/a.bmp"),
                  QUrl::fromLocalFile(QString::fromStdString(bmp("local.bmp")))});
    EXPECT_TRUE(deliver(mime));
    expectInStep({"local.bmp"});
    EXPECT_EQ(main().OpenFolder, before);
    EXPECT_TRUE(platform.messages.empty());
}

// What file managers drop, with a host part that names this machine.
TEST_F(LoadingTest, DroppedUrisAreDecodedToTheirFiles) {
    start();
    const std::string spaced = bmp("a b.bmp");
    QMimeData mime;
    mime.setUrls(
        {QUrl(QStringLiteral("file://localhost") +
              QUrl::fromLocalFile(QString::fromStdString(spaced)).path(QUrl::FullyEncoded))});
    EXPECT_TRUE(deliver(mime));
    expectInStep({"a b.bmp"});
    EXPECT_EQ(entryPaths(), std::vector<std::string>{spaced});
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(LoadingTest, LongPathsAreNeverCut) {
    start();
    std::string folder = dir.path().toStdString();
    std::string rel;
    while ((folder + "/" + rel).size() < 300) rel += "abcdefghijklmnopqrstuvwxyz0123456789/";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder + "/" + rel)));
    std::string p = bmp(rel + "deep.bmp");
    ASSERT_GT(p.size(), 300u);
    drop({p});
    expectInStep({"deep.bmp"});
    EXPECT_EQ(entryPaths().front(), p);
}

// --- the command line

TEST_F(LoadingTest, CommandLineLoadsAbsoluteCleanPaths) {
    std::string a = bmp("one.bmp", PixelFormat::Bpp16);
    std::string b = bmp("two.bmp", PixelFormat::Bpp32);
    QString cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    start({"./one.bmp", dir.path().toStdString() + "//sub/../two.bmp"});
    QDir::setCurrent(cwd);
    EXPECT_EQ(lines(), (std::vector<std::string>{"one.bmp", "two.bmp"}));
    EXPECT_EQ(entryPaths(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(entryDepths(), (std::vector<int>{3, 5}));
    // the viewer, made after the main window, copied the lines
    EXPECT_EQ(viewerNames(), lines());
    EXPECT_TRUE(platform.messages.empty());
}

// As a menu entry with %U passes them.
TEST_F(LoadingTest, CommandLineTakesFileUris) {
    const std::string spaced = bmp("画像 1.bmp");
    const std::string uri =
        QUrl::fromLocalFile(QString::fromStdString(spaced)).toEncoded().toStdString();
    ASSERT_NE(uri.find("%20"), std::string::npos);
    start({uri, "file:///nowhere/gone%20away.bmp"});
    EXPECT_EQ(lines(), std::vector<std::string>{"画像 1.bmp"});
    EXPECT_EQ(entryPaths(), std::vector<std::string>{spaced});
    // the missing one is named by its decoded path
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].text.find("/nowhere/gone away.bmp"), std::string::npos)
        << platform.messages[0].text;
}

TEST_F(LoadingTest, CommandLineMessageComesBeforeTheWindowIsShown) {
    std::string ok = bmp("ok.bmp");
    bool visibleThen = true;
    int linesThen = -1;
    platform.onMessage = [&](const Message&) {
        // no window of the program may be on screen yet
        visibleThen = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) visibleThen = true;
    };
    start({junk("bad.bmp"), ok, path("note.txt")});
    linesThen = int(lines().size());
    const Message m = onlyMessage();
    EXPECT_EQ(m.text, "bad.bmp\nnote.txt\n" + kSentence);
    EXPECT_EQ(m.caption, kRejected);
    EXPECT_EQ(m.icon, MessageIcon::Exclamation);
    EXPECT_FALSE(visibleThen);
    EXPECT_FALSE(main().isVisible());
    EXPECT_EQ(linesThen, 1);
}

TEST_F(LoadingTest, CommandLineFileThatCannotBeOpenedIsReportedAndStartUpGoesOn) {
    std::string after = bmp("after.bmp");
    start({path("missing.bmp"), after});
    const Message m = onlyMessage();
    EXPECT_EQ(m.caption, "カラリス");
    EXPECT_EQ(m.icon, MessageIcon::Stop);
    EXPECT_NE(m.text.find("missing.bmp"), std::string::npos);
    EXPECT_EQ(lines(), std::vector<std::string>{"after.bmp"});
}

TEST_F(LoadingTest, CommandLineDoesNotMoveOpenFolder) {
    start({bmp("x.bmp")});
    EXPECT_EQ(main().OpenFolder, startingOpenFolder());
    EXPECT_NE(main().OpenFolder, dir.path().toStdString());
    EXPECT_EQ(main().SaveFolder, programFolder());
}

// --- drawing of the "before" list

TEST_F(LoadingTest, EachDepthDrawsItsGlyphAndTheNameAtTwenty) {
    const PixelFormat formats[] = {PixelFormat::Bpp1,  PixelFormat::Bpp4,  PixelFormat::Bpp8,
                                   PixelFormat::Bpp16, PixelFormat::Bpp24, PixelFormat::Bpp32,
                                   PixelFormat::Bpp15};
    std::vector<std::string> files;
    for (PixelFormat f : formats) files.push_back(bmp("d" + std::to_string(int(f)) + ".bmp", f));
    start(files);
    EXPECT_EQ(entryDepths(), (std::vector<int>{0, 1, 2, 3, 4, 5, 3}));
    kararisu::MotoListBox* box = main().ui().MotoListBox;
    EXPECT_EQ(box->lineHeight(), 20);
    EXPECT_EQ(box->sizeHintForRow(0), 20);
    const QRect r(0, 0, 180, 20);
    for (int i = 0; i < int(files.size()); ++i) {
        QImage line(r.size(), QImage::Format_RGB32);
        QPainter p(&line);
        box->drawLine(p, r, i, false);
        p.end();
        QImage glyph = main()
                           .ui()
                           .ImageList1.pixmap(entryDepths()[std::size_t(i)])
                           .toImage()
                           .convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(line.copy(2, 2, 16, 16), glyph) << "line " << i;
        // the text starts at 20: nothing drawn between the glyph and it
        QRgb base = line.pixel(19, 10);
        for (int y = 0; y < 20; ++y) EXPECT_EQ(line.pixel(18, y), base);
        bool ink = false;
        for (int x = 20; x < 30 && !ink; ++x)
            for (int y = 0; y < 20; ++y) ink = ink || line.pixel(x, y) != base;
        EXPECT_TRUE(ink) << "line " << i;
    }
}

TEST_F(LoadingTest, GlyphsDifferPerDepth) {
    start();
    const GlyphList& g = main().ui().ImageList1;
    ASSERT_EQ(g.count(), 9);
    EXPECT_EQ(g.width(), 16);
    EXPECT_EQ(g.height(), 16);
    for (int i = 0; i < 9; ++i)
        for (int j = i + 1; j < 9; ++j) EXPECT_NE(g.pixmap(i).toImage(), g.pixmap(j).toImage());
    EXPECT_EQ(main().ui().ImageList3.count(), 3);
    EXPECT_EQ(main().ui().ImageList3.pixmap(0).size(), QSize(16, 20));
}

TEST_F(LoadingTest, ScrollExtentIsWidestNamePlus22AndOnlyGrows) {
    start();
    const std::string longName = std::string(60, 'w') + ".bmp";
    drop({bmp("s.bmp"), bmp(longName)});
    QFontMetrics fm(main().ui().MotoListBox->font());
    int want = fm.horizontalAdvance(QString::fromStdString(longName)) + 22;
    EXPECT_EQ(main().ListExtent, want);
    EXPECT_EQ(main().ui().MotoListBox->horizontalExtent(), want);
    main().show();
    QApplication::processEvents();
    QScrollBar* bar = main().ui().MotoListBox->horizontalScrollBar();
    EXPECT_EQ(bar->maximum(), want - main().ui().MotoListBox->viewport()->width());
    drop({bmp("t.bmp")});
    EXPECT_EQ(main().ListExtent, want);
}

// --- the source viewer's selector and arrows

TEST_F(LoadingTest, ViewerArrowsAfterOpenAndDrop) {
    start();
    TMPreForm* v = program->windows().MPreForm;
    drop({bmp("first.bmp")});
    EXPECT_FALSE(v->UpButton->isEnabled());
    EXPECT_FALSE(v->DownButton->isEnabled());
    v->MotoBox->setCurrentIndex(0);  // the viewer shows the first
    platform.openAnswers.push_back({bmp("second.bmp")});
    main().Open1Click();
    EXPECT_FALSE(v->UpButton->isEnabled());
    EXPECT_TRUE(v->DownButton->isEnabled());
    v->MotoBox->setCurrentIndex(1);
    drop({bmp("third.bmp")});
    EXPECT_TRUE(v->UpButton->isEnabled());
    EXPECT_TRUE(v->DownButton->isEnabled());
    v->MotoBox->setCurrentIndex(2);
    drop({junk("none.txt")});
    EXPECT_TRUE(v->UpButton->isEnabled());
    EXPECT_FALSE(v->DownButton->isEnabled());
}

TEST_F(LoadingTest, DropWithNothingTakenLeavesArrowsOff) {
    start();
    drop({junk("a.txt")});
    EXPECT_FALSE(program->windows().MPreForm->UpButton->isEnabled());
    EXPECT_FALSE(program->windows().MPreForm->DownButton->isEnabled());
    expectInStep({});
}

}  // namespace
