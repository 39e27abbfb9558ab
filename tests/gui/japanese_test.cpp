// The window speaks Japanese throughout: Qt's own dialogs and buttons, the
// folder chooser with its creation question, the core's reasons, and the
// depth glyphs with their digits apart.
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "app/folder_creation.h"
#include "app/problem_texts.h"
#include "app/qt_platform.h"
#include "gui/gui_fixture.h"

using namespace kararisu;
using namespace kararisu::test;
namespace fs = std::filesystem;

namespace {

// Runs `act` on the modal window once it is up (after `ms`).
template <typename W, typename F>
void whenModal(F act, int ms = 0) {
    QTimer::singleShot(ms, [act] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!w) {
            ADD_FAILURE() << "no modal window";
            return;
        }
        act(w);
    });
}

TEST(QtTexts, MessageBoxButtonsAreJapaneseWhateverTheLocale) {
    QMessageBox box(QMessageBox::Question, "c", "t",
                    QMessageBox::Ok | QMessageBox::Retry | QMessageBox::Cancel | QMessageBox::Yes |
                        QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(box.button(QMessageBox::Retry)->text(), QStringLiteral("再試行"));
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
}

TEST(QtTexts, FileDialogsAreJapanese) {
    QFileDialog save;
    save.setOption(QFileDialog::DontUseNativeDialog, true);
    save.setAcceptMode(QFileDialog::AcceptSave);
    EXPECT_EQ(save.windowTitle(), QStringLiteral("名前を付けて保存"));
    EXPECT_EQ(save.findChild<QLabel*>("fileNameLabel")->text(), QStringLiteral("ファイル名(&N):"));
    EXPECT_EQ(save.findChild<QLabel*>("fileTypeLabel")->text(), QStringLiteral("ファイルの種類:"));
    EXPECT_EQ(
        save.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Save)->text(),
        QStringLiteral("保存(&S)"));
}

class FolderChooserTest : public GuiTest {
  protected:
    QtPlatform qt;
    // Types `name` into the chooser and presses its choose button.
    static void typeAndChoose(QFileDialog* d, const QString& name) {
        d->findChild<QLineEdit*>("fileNameEdit")->setText(name);
        QPushButton* choose =
            d->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Open);
        EXPECT_TRUE(choose->isEnabled());
        EXPECT_EQ(choose->text(), QStringLiteral("選択(&C)"));
        choose->click();
    }
};

TEST_F(FolderChooserTest, ATypedNewFolderIsMadeWithItsParentsWhenTheUserAgrees) {
    const std::string fresh = path("new/deeper");
    whenModal<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("保存するフォルダの選択"));
        EXPECT_EQ(d->directory().absolutePath(), dir.path());
        whenModal<QMessageBox>([&](QMessageBox* box) {
            const Message q = createFolderQuestion(fresh);
            EXPECT_EQ(box->text().toStdString(), q.text);
            EXPECT_EQ(box->windowTitle().toStdString(), q.caption);
            EXPECT_EQ(box->parentWidget(), d);  // above the chooser
            box->button(QMessageBox::Yes)->click();
        });
        typeAndChoose(d, QStringLiteral("new/deeper"));
    });
    const std::optional<std::string> chosen =
        qt.chooseFolder(WindowRef(), "保存するフォルダの選択", dir.path().toStdString());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, fresh);
    EXPECT_TRUE(fs::is_directory(fresh));
}

TEST_F(FolderChooserTest, DecliningKeepsTheChooserOpenAndMakesNothing) {
    whenModal<QFileDialog>([&](QFileDialog* d) {
        whenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
        typeAndChoose(d, QStringLiteral("declined"));
        whenModal<QFileDialog>([](QFileDialog* still) { still->reject(); }, 50);
    });
    EXPECT_FALSE(qt.chooseFolder(WindowRef(), "c", dir.path().toStdString()));
    EXPECT_FALSE(fs::exists(path("declined")));
}

TEST_F(FolderChooserTest, AnExistingFolderIsChosenWithoutAQuestion) {
    fs::create_directory(path("there"));
    whenModal<QFileDialog>([&](QFileDialog* d) { typeAndChoose(d, QStringLiteral("there")); });
    EXPECT_EQ(qt.chooseFolder(WindowRef(), "c", dir.path().toStdString()), path("there"));
}

TEST(SaveDialogTexts, TheOverwriteQuestionOfTheSaveDialogIsJapanese) {
    QTemporaryDir dir;
    const QString taken = dir.path() + "/taken.bmp";
    std::fclose(std::fopen(taken.toLocal8Bit().constData(), "w"));
    QtPlatform qt;
    FileDialogRequest r;
    r.folder = dir.path().toStdString();
    r.fileName = "taken.bmp";
    r.confirmOverwrite = true;
    whenModal<QFileDialog>([](QFileDialog* d) {
        whenModal<QMessageBox>([](QMessageBox* box) {
            EXPECT_TRUE(box->text().contains(QStringLiteral("taken.bmp")));
            EXPECT_TRUE(box->text().contains(QStringLiteral("置き換えますか")))
                << box->text().toStdString();
            box->button(QMessageBox::Yes)->click();
        });
        d->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Save)->click();
    });
    EXPECT_EQ(qt.saveFile(WindowRef(), r), taken.toStdString());
}

TEST(ProblemTexts, EveryKindHasAJapaneseSentenceAndTheFileComesFirst) {
    for (int k = 0; k <= int(ProblemKind::NoPalette); ++k) {
        const std::string s = problemReason(ProblemKind(k));
        EXPECT_TRUE(s.ends_with("。")) << k;
        EXPECT_EQ(s.find("error"), std::string::npos);
    }
    const Problem p = Problem::fromErrno(ENOSPC);
    EXPECT_EQ(problemText(ProblemError(p, "/d/x.bmp")),
              "/d/x.bmp\nディスクの空き容量が足りません。空きを作ってからやり直して下さい。");
}

class GeneralErrorTest : public GuiTest {};

TEST_F(GeneralErrorTest, AProblemThatEndsACommandIsShownInJapanese) {
    runCommand([] { throw ProblemError({ProblemKind::BmpBadSignature, "no BM"}, "/d/x.bmp"); });
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0],
              generalErrorMessage(
                  "/d/x.bmp\nＢＭＰファイルではありません（先頭が「BM」ではありません）。"));
}

}  // namespace

namespace {

// Runs of columns holding any ink, left to right.
int inkRuns(const QImage& image) {
    int runs = 0;
    bool inRun = false;
    for (int x = 0; x < image.width(); ++x) {
        bool ink = false;
        for (int y = 0; y < image.height(); ++y)
            ink = ink || image.pixel(x, y) != QColor(Qt::white).rgb();
        if (ink && !inRun) ++runs;
        inRun = ink;
    }
    return runs;
}

TEST(DepthGlyphs, TwoDigitsStandApartByAtLeastOnePixel) {
    const GlyphList list = makeImageList1();
    for (int code : {3, 4, 5}) {  // 16, 24, 32
        const QImage image = list.pixmap(code).toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(image.size(), QSize(16, 16));
        EXPECT_EQ(inkRuns(image), 2) << code;
    }
    // a single digit is one piece
    EXPECT_EQ(inkRuns(list.pixmap(2).toImage().convertToFormat(QImage::Format_RGB32)), 1);
}

}  // namespace

namespace {

// At 12 pixels the forms' gothic draws "m" with three stems in pure ink,
// not a grey block.
TEST(SmallText, TwelvePixelGothicIsCrisp) {
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPixelSize(12);
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("BIZ UDGothic"));
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(2, 12, QStringLiteral("m"));
    p.end();
    int mostStems = 0;
    for (int y = 0; y < image.height(); ++y) {
        int stems = 0;
        bool inStem = false;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            EXPECT_TRUE(c == qRgb(0, 0, 0) || c == qRgb(255, 255, 255)) << x << "," << y;
            const bool ink = c == qRgb(0, 0, 0);
            if (ink && !inStem) ++stems;
            inStem = ink;
        }
        mostStems = std::max(mostStems, stems);
    }
    EXPECT_EQ(mostStems, 3);
}

}  // namespace
