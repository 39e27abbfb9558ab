// The main window as laid out, its enabling rules, the tool bar and sound
// options, the status-bar hints and closing.
#include <QHeaderView>
#include <QLayout>
#include <QMouseEvent>
#include <QTimer>
#include <functional>
#include <map>
#include <set>

#include "gui/gui_fixture.h"
#include "support/version.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

class MainWindowTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        start();
    }
    std::vector<QString> menuTexts(QMenu* menu) {
        std::vector<QString> out;
        for (QAction* a : menu->actions()) out.push_back(a->isSeparator() ? "-" : a->text());
        return out;
    }
    void withRows(int rows, int selected) {
        for (int i = 0; i < rows; ++i) addResultRow("r" + std::to_string(i) + ".bmp");
        for (int i = 0; i < selected; ++i)
            main().ui().GenListView->topLevelItem(i)->setSelected(true);
    }
    void withLines(int lines, int selected) {
        std::vector<std::string> files;
        for (int i = 0; i < lines; ++i) files.push_back(bmp("s" + std::to_string(i) + ".bmp"));
        main().DropFiles(files);
        for (int i = 0; i < selected; ++i) main().ui().MotoListBox->item(i)->setSelected(true);
    }
    std::vector<bool> enabled(std::initializer_list<QAction*> actions) {
        std::vector<bool> out;
        for (QAction* a : actions) out.push_back(a->isEnabled());
        return out;
    }
    std::vector<bool> enabled(std::initializer_list<QWidget*> widgets) {
        std::vector<bool> out;
        for (QWidget* w : widgets) out.push_back(w->isEnabled());
        return out;
    }
    const std::vector<bool> allOn = std::vector<bool>(6, true);
};

// --- layout

TEST_F(MainWindowTest, CaptionIsProductNameIdeographicSpaceAndVersion) {
    QString title = main().windowTitle();
    EXPECT_EQ(title, QStringLiteral("カラリス\u3000Ver.") + QString::fromUtf8(kVersion));
}

TEST_F(MainWindowTest, FixedSizeWithoutMaximiseBox) {
    TMain& m = main();
    EXPECT_EQ(m.ui().Client->size(), QSize(560, 354));
    EXPECT_FALSE(m.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(m.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    m.layout()->activate();
    EXPECT_EQ(m.minimumSize(), m.maximumSize());
    EXPECT_EQ(m.width(), 560);
}

TEST_F(MainWindowTest, ControlsSitWhereTheyAreLaidOut) {
    TMain& m = main();
    EXPECT_EQ(m.ui().ToolBar1->geometry(), QRect(0, 0, 560, 31));
    EXPECT_EQ(m.ui().Bevel1->geometry(), QRect(0, 32, 200, 25));
    EXPECT_EQ(m.ui().Label1->pos(), QPoint(8, 35));
    EXPECT_EQ(m.ui().DMotoButton->geometry(), QRect(128, 36, 65, 17));
    EXPECT_EQ(m.ui().Bevel2->geometry(), QRect(208, 32, 352, 25));
    EXPECT_EQ(m.ui().Label2->pos(), QPoint(216, 35));
    EXPECT_EQ(m.ui().DGenButton->geometry(), QRect(488, 36, 65, 17));
    EXPECT_EQ(m.ui().MotoListBox->geometry(), QRect(0, 56, 200, 277));
    EXPECT_EQ(m.ui().GenListView->geometry(), QRect(208, 56, 353, 277));
    EXPECT_EQ(m.ui().StatusBar1->geometry(), QRect(0, 335, 560, 19));
}

TEST_F(MainWindowTest, TitlesButtonsAndFonts) {
    TMain& m = main();
    EXPECT_EQ(m.ui().Label1->text(), QStringLiteral("作業前"));
    EXPECT_EQ(m.ui().Label2->text(), QStringLiteral("作業後"));
    EXPECT_TRUE(m.ui().Label1->font().bold());
    EXPECT_EQ(m.ui().Label1->font().pixelSize(), 17);
    for (QPushButton* b : {m.ui().DMotoButton, m.ui().DGenButton}) {
        EXPECT_EQ(b->text(), QStringLiteral("削除"));
        EXPECT_EQ(b->toolTip(), QStringLiteral("選択されたファイルを削除"));
        EXPECT_EQ(b->font().pixelSize(), 13);
        EXPECT_FALSE(b->isEnabled());
    }
    EXPECT_EQ(m.ui().MotoListBox->font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(m.ui().MotoListBox->font().pixelSize(), 12);
    EXPECT_EQ(m.ui().StatusBar1->font().pixelSize(), 11);
    EXPECT_TRUE(m.ui().StatusBar1->font().bold());
}

TEST_F(MainWindowTest, WindowsFontNamesRenderWithFontsOfTheSameMetrics) {
    // Qt keeps substitutes in lower case; IPA Gothic stands in where BIZ UD is missing.
    EXPECT_EQ(QFont::substitutes(QStringLiteral("ＭＳ ゴシック")),
              (QStringList{"biz udgothic", "ipagothic"}));
    EXPECT_EQ(QFont::substitutes(QStringLiteral("ＭＳ Ｐゴシック")),
              (QStringList{"biz udpgothic", "ipapgothic"}));
    QFontInfo info(main().ui().MotoListBox->font());
    EXPECT_EQ(info.family(), QStringLiteral("BIZ UDGothic"));
    EXPECT_TRUE(QFontMetrics(main().ui().MotoListBox->font()).inFont(QChar(0x4f5c)));  // 作
    // half-width and full-width cells of the Windows gothic at 12 pixels
    EXPECT_EQ(QFontMetrics(main().ui().MotoListBox->font()).horizontalAdvance(QChar('m')), 6);
    EXPECT_EQ(QFontMetrics(main().ui().MotoListBox->font()).horizontalAdvance(QChar(0x4f5c)), 12);
}

TEST_F(MainWindowTest, ResultListHasThreeFixedColumns) {
    GenListView* v = main().ui().GenListView;
    ASSERT_EQ(v->columnCount(), 3);
    EXPECT_EQ(v->headerItem()->text(0), QStringLiteral("ファイル名"));
    EXPECT_EQ(v->headerItem()->text(1), QStringLiteral("パレット名"));
    EXPECT_EQ(v->headerItem()->text(2), QStringLiteral("減色モード"));
    EXPECT_EQ(v->columnWidth(0), 130);
    EXPECT_EQ(v->columnWidth(1), 130);
    EXPECT_EQ(v->columnWidth(2), 89);
    EXPECT_FALSE(v->header()->sectionsClickable());
    EXPECT_EQ(v->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(v->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(v->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(main().ui().MotoListBox->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(MainWindowTest, ToolBarButtonsInOrderWithTooltipsAndStates) {
    TMain& m = main();
    struct Row {
        QToolButton* button;
        const char* tip;
        bool enabled;
    } rows[] = {
        {m.ui().OpenButton, "画像の読み込み", true},
        {m.ui().Save1Button, "場所を指定して保存", false},
        {m.ui().Save3Button, "名前を付けて保存", false},
        {m.ui().Save2Button, "上書き保存", false},
        {m.ui().Save4Button, "パレットの保存", false},
        {m.ui().GenButton, "減色実行！！", false},
        {m.ui().PAddButton, "パレットを結合させます", true},
        {m.ui().PalButton, "パレット内容を表示", false},
    };
    int x = -1;
    for (const Row& r : rows) {
        EXPECT_EQ(r.button->toolTip(), QString::fromUtf8(r.tip));
        EXPECT_EQ(r.button->isEnabled(), r.enabled) << r.tip;
        EXPECT_EQ(r.button->size(), QSize(27, 26));
        EXPECT_EQ(r.button->iconSize(), QSize(20, 20));
        EXPECT_GT(r.button->x(), x);
        x = r.button->x();
    }
    EXPECT_EQ(m.ui().OpenButton->x(), 5);
    EXPECT_EQ(m.ui().SoundCheck->text(), QStringLiteral("減色終了を音で知らせる"));
    EXPECT_EQ(m.ui().SoundCheck->width(), 159);
    EXPECT_GT(m.ui().SoundCheck->x(), m.ui().PalButton->x());
    EXPECT_FALSE(m.ui().SoundCheck->isChecked());
    EXPECT_EQ(m.ui().ImageList2.count(), 8);
    EXPECT_EQ(m.ui().ImageList2.width(), 20);
}

TEST_F(MainWindowTest, MenusInOrderWithAccelerators) {
    TMain& m = main();
    EXPECT_EQ(m.ui().File1->title(), QStringLiteral("ファイル(&F)"));
    EXPECT_EQ(menuTexts(m.ui().File1),
              (std::vector<QString>{
                  "開く(&O)", "-", "選択した作業後画像を場所を決めて保存(&F)",
                  "選択した作業後画像に名前を付けて保存(&A)", "選択した作業後画像の上書き保存(&S)",
                  "選択した作業後画像のパレットを保存(&P)", "-", "終了するよ(&X)"}));
    std::vector<QString> bar;
    for (QAction* a : m.ui().MainMenu1->actions()) bar.push_back(a->text());
    EXPECT_EQ(bar, (std::vector<QString>{"ファイル(&F)", "減色(&G)", "パレット結合(&P)",
                                         "表示関係(&V)", "設定(&S)"}));
    EXPECT_EQ(menuTexts(m.ui().V3),
              (std::vector<QString>{"作業前の画像を表示(&B)", "-", "作業後の画像を表示(&A)",
                                    "作業後のパレットを表示(&P)", "-", "ツールバーの表示(&T)"}));
    EXPECT_EQ(menuTexts(m.ui().N3),
              (std::vector<QString>{"減色終了を音で知らせる(&B)", "パレットを最適化する（高画質）",
                                    "ディザリング（誤差拡散）"}));
    EXPECT_EQ(menuTexts(m.ui().PopupMenu1),
              (std::vector<QString>{"画像の表示(&V)", "選択した画像を減色(&G)",
                                    "選択した画像の削除(&D)"}));
    EXPECT_EQ(menuTexts(m.ui().PopupMenu2),
              (std::vector<QString>{"画像の表示(&V)", "パレット内容の表示(&P)",
                                    "選択した画像の保存(&S)", "選択した画像の削除(&D)"}));
    EXPECT_EQ(menuTexts(m.ui().S1),
              (std::vector<QString>{"場所を決めて保存(&F)", "名前を付けて保存(&A)",
                                    "上書き保存(&S)", "パレットを保存(&P)"}));
}

TEST_F(MainWindowTest, InitialCommandStates) {
    TMain& m = main();
    EXPECT_EQ(enabled({m.ui().Save1, m.ui().Save3, m.ui().Save2, m.ui().P4, m.ui().G1}),
              (std::vector<bool>{false, false, false, false, false}));
    EXPECT_EQ(enabled({m.ui().Open1, m.ui().P3, m.ui().Exit1}),
              (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(m.ui().T1->isChecked());
    EXPECT_FALSE(m.ui().B1->isChecked());
    EXPECT_TRUE(m.ui().ToolBar1->isVisibleTo(&m));
}

TEST_F(MainWindowTest, TabOrderRunsListsToolBarButtons) {
    TMain& m = main();
    const std::vector<QWidget*> want{m.ui().MotoListBox, m.ui().GenListView, m.ui().ToolBar1,
                                     m.ui().DMotoButton, m.ui().DGenButton};
    // The focus chain also holds the children of each control; keep ours.
    std::vector<QWidget*> seen;
    QWidget* w = m.ui().MotoListBox;
    do {
        if (std::find(want.begin(), want.end(), w) != want.end()) seen.push_back(w);
        w = w->nextInFocusChain();
    } while (w != m.ui().MotoListBox && seen.size() < want.size());
    EXPECT_EQ(seen, want);
}

TEST_F(MainWindowTest, SecondaryWindowsExistHidden) {
    const SecondaryWindows& w = program->windows();
    std::vector<QWidget*> all{w.GenSetDlg, w.GenMoniDlg, w.PPreForm,
                              w.MPreForm,  w.GPreForm,   w.PalAddDlg};
    main().show();
    for (QWidget* x : all) {
        ASSERT_NE(x, nullptr);
        EXPECT_FALSE(x->isVisible());
    }
}

// --- enabling rules, one test per row of the table

TEST_F(MainWindowTest, FileMenuEnablesSaveItemsOnlyWithSelectedRows) {
    TMain& m = main();
    withRows(2, 0);
    m.File1Click();
    EXPECT_EQ(enabled({m.ui().Save1, m.ui().Save2, m.ui().Save3, m.ui().P4}),
              std::vector<bool>(4, false));
    m.ui().GenListView->topLevelItem(1)->setSelected(true);
    m.File1Click();
    EXPECT_EQ(enabled({m.ui().Save1, m.ui().Save2, m.ui().Save3, m.ui().P4}),
              std::vector<bool>(4, true));
    // after a save the menu, opened without a selected row, disables them again
    m.ui().Save1->trigger();
    m.ui().GenListView->clearSelection();
    emit m.ui().File1->aboutToShow();
    EXPECT_EQ(enabled({m.ui().Save1, m.ui().Save2, m.ui().Save3, m.ui().P4}),
              std::vector<bool>(4, false));
}

TEST_F(MainWindowTest, ViewMenuFollowsLinesAndRowsSeparately) {
    TMain& m = main();
    withLines(1, 0);
    withRows(1, 0);
    m.V3Click();
    EXPECT_EQ(enabled({m.ui().B2, m.ui().A1, m.ui().P5}), (std::vector<bool>{false, false, false}));
    m.ui().MotoListBox->item(0)->setSelected(true);
    emit m.ui().V3->aboutToShow();
    EXPECT_EQ(enabled({m.ui().B2, m.ui().A1, m.ui().P5}), (std::vector<bool>{true, false, false}));
    m.ui().MotoListBox->clearSelection();
    m.ui().GenListView->topLevelItem(0)->setSelected(true);
    m.V3Click();
    EXPECT_EQ(enabled({m.ui().B2, m.ui().A1, m.ui().P5}), (std::vector<bool>{false, true, true}));
}

TEST_F(MainWindowTest, SourcePopupFollowsSelectedLines) {
    TMain& m = main();
    withLines(2, 0);
    emit m.ui().PopupMenu1->aboutToShow();
    EXPECT_EQ(enabled({m.ui().V1, m.ui().G2, m.ui().D1}), std::vector<bool>(3, false));
    m.ui().MotoListBox->item(1)->setSelected(true);
    emit m.ui().PopupMenu1->aboutToShow();
    EXPECT_EQ(enabled({m.ui().V1, m.ui().G2, m.ui().D1}), std::vector<bool>(3, true));
}

TEST_F(MainWindowTest, ResultPopupFollowsSelectedRows) {
    TMain& m = main();
    withRows(1, 0);
    emit m.ui().PopupMenu2->aboutToShow();
    EXPECT_EQ(enabled({m.ui().V2, m.ui().P1, m.ui().S1->menuAction(), m.ui().D2}),
              std::vector<bool>(4, false));
    m.ui().GenListView->topLevelItem(0)->setSelected(true);
    emit m.ui().PopupMenu2->aboutToShow();
    EXPECT_EQ(enabled({m.ui().V2, m.ui().P1, m.ui().S1->menuAction(), m.ui().D2, m.ui().F1,
                       m.ui().S3, m.ui().S2, m.ui().P2}),
              std::vector<bool>(8, true));
}

TEST_F(MainWindowTest, ReleaseOverSourceListOnlyEverEnables) {
    TMain& m = main();
    withLines(2, 0);
    m.MotoListBoxMouseUp();
    EXPECT_EQ(enabled({m.ui().G1}), std::vector<bool>{false});
    EXPECT_EQ(enabled({m.ui().GenButton, m.ui().DMotoButton}), std::vector<bool>(2, false));
    m.ui().MotoListBox->item(0)->setSelected(true);
    m.MotoListBoxKeyUp();
    EXPECT_EQ(enabled({m.ui().G1}), std::vector<bool>{true});
    EXPECT_EQ(enabled({m.ui().GenButton, m.ui().DMotoButton}), std::vector<bool>(2, true));
    // clearing the selection (as Ctrl-click does) leaves them enabled
    m.ui().MotoListBox->clearSelection();
    m.MotoListBoxMouseUp();
    EXPECT_EQ(enabled({m.ui().GenButton, m.ui().DMotoButton}), std::vector<bool>(2, true));
    EXPECT_TRUE(m.ui().G1->isEnabled());
}

TEST_F(MainWindowTest, RealMouseClickOnSourceLineEnablesReduce) {
    TMain& m = main();
    withLines(2, 0);
    m.show();
    QPoint at = m.ui().MotoListBox->visualItemRect(m.ui().MotoListBox->item(1)).center();
    QWidget* vp = m.ui().MotoListBox->viewport();
    QPointF global = vp->mapToGlobal(QPointF(at));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &press);
    QApplication::sendEvent(vp, &release);
    EXPECT_TRUE(m.ui().MotoListBox->item(1)->isSelected());
    EXPECT_TRUE(m.ui().GenButton->isEnabled());
    EXPECT_TRUE(m.ui().DMotoButton->isEnabled());
    EXPECT_TRUE(m.ui().G1->isEnabled());
}

TEST_F(MainWindowTest, RightClickOpensThePopupOnTheSelectionAsItIs) {
    TMain& m = main();
    withLines(3, 1);
    m.show();
    QWidget* vp = m.ui().MotoListBox->viewport();
    const QPoint at = m.ui().MotoListBox->visualItemRect(m.ui().MotoListBox->item(2)).center();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), vp->mapToGlobal(QPointF(at)),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &press);
    EXPECT_TRUE(m.ui().MotoListBox->item(0)->isSelected());
    EXPECT_FALSE(m.ui().MotoListBox->item(2)->isSelected());
}

TEST_F(MainWindowTest, AModeLabelTooWideForItsColumnIsItsTooltip) {
    main().resultSink().add(
        Result{smallBitmap(PixelFormat::Bpp8), path("a.bmp"), "a(1)", "ノーマル256+HQ+D"});
    EXPECT_EQ(main().ui().GenListView->topLevelItem(0)->toolTip(2), "ノーマル256+HQ+D");
}

TEST_F(MainWindowTest, ReleaseOverResultListEnablesAndDisables) {
    TMain& m = main();
    withRows(2, 1);
    auto six = [&] {
        return enabled({m.ui().DGenButton, m.ui().PalButton, m.ui().Save1Button, m.ui().Save2Button,
                        m.ui().Save3Button, m.ui().Save4Button});
    };
    m.GenListViewMouseUp();
    EXPECT_EQ(six(), allOn);
    m.ui().GenListView->clearSelection();
    m.GenListViewKeyUp();
    EXPECT_EQ(six(), std::vector<bool>(6, false));
}

TEST_F(MainWindowTest, AlwaysEnabledCommands) {
    TMain& m = main();
    withLines(1, 1);
    withRows(1, 1);
    m.File1Click();
    m.V3Click();
    m.ui().MotoListBox->clearSelection();
    m.ui().GenListView->clearSelection();
    m.GenListViewMouseUp();
    m.File1Click();
    EXPECT_EQ(enabled({m.ui().Open1, m.ui().P3, m.ui().Exit1}), std::vector<bool>(3, true));
    EXPECT_EQ(enabled({m.ui().OpenButton, m.ui().PAddButton}), std::vector<bool>(2, true));
}

// --- options

TEST_F(MainWindowTest, ToolBarToggleMovesEverythingAndRestores) {
    TMain& m = main();
    m.show();
    std::vector<QWidget*> moved{m.ui().Label1,      m.ui().Label2,      m.ui().Bevel1,
                                m.ui().Bevel2,      m.ui().DMotoButton, m.ui().DGenButton,
                                m.ui().MotoListBox, m.ui().GenListView};
    std::vector<QRect> before;
    for (QWidget* w : moved) before.push_back(w->geometry());
    const int clientBefore = m.ui().Client->height();
    QApplication::processEvents();
    const int windowBefore = m.height();

    m.ui().T1->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(m.ui().T1->isChecked());
    EXPECT_FALSE(m.ui().ToolBar1->isVisible());
    for (std::size_t i = 0; i < moved.size(); ++i)
        EXPECT_EQ(moved[i]->geometry(), before[i].translated(0, -31)) << i;
    EXPECT_EQ(m.ui().Client->height(), clientBefore - 31);
    EXPECT_EQ(m.height(), windowBefore - 31);
    EXPECT_EQ(m.ui().StatusBar1->geometry().bottom(), m.ui().Client->height() - 1);
    EXPECT_EQ(m.ui().MotoListBox->y(), 25);

    m.ui().T1->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(m.ui().T1->isChecked());
    EXPECT_TRUE(m.ui().ToolBar1->isVisible());
    for (std::size_t i = 0; i < moved.size(); ++i) EXPECT_EQ(moved[i]->geometry(), before[i]);
    EXPECT_EQ(m.ui().Client->height(), clientBefore);
    EXPECT_EQ(m.height(), windowBefore);
    EXPECT_EQ(m.ui().StatusBar1->geometry(), QRect(0, 335, 560, 19));
}

TEST_F(MainWindowTest, SoundCheckShowsInMenuNextTimeItOpens) {
    TMain& m = main();
    m.ui().SoundCheck->click();
    EXPECT_TRUE(m.ui().SoundCheck->isChecked());
    EXPECT_FALSE(m.ui().B1->isChecked());  // only the check box changed
    emit m.ui().N3->aboutToShow();
    EXPECT_TRUE(m.ui().B1->isChecked());
    m.ui().SoundCheck->click();
    m.N3Click();
    EXPECT_FALSE(m.ui().B1->isChecked());
}

TEST_F(MainWindowTest, QualityOptionsStartOffAndFeedTheRunSettings) {
    TMain& m = main();
    EXPECT_FALSE(m.ui().H1->isChecked());
    EXPECT_FALSE(m.ui().E1->isChecked());
    EXPECT_FALSE(m.settings.refine);
    EXPECT_EQ(m.settings.dither, Dither::None);
    m.ui().H1->trigger();
    EXPECT_TRUE(m.ui().H1->isChecked());
    EXPECT_TRUE(m.settings.refine);
    EXPECT_EQ(m.settings.dither, Dither::None);
    m.ui().E1->trigger();
    EXPECT_EQ(m.settings.dither, Dither::Auto);
    m.ui().H1->trigger();
    m.ui().E1->trigger();
    EXPECT_FALSE(m.ui().H1->isChecked());
    EXPECT_FALSE(m.settings.refine);
    EXPECT_EQ(m.settings.dither, Dither::None);
}

TEST_F(MainWindowTest, MenuItemInvertsAndSetsSoundCheck) {
    TMain& m = main();
    m.N3Click();
    m.ui().B1->trigger();
    EXPECT_TRUE(m.ui().B1->isChecked());
    EXPECT_TRUE(m.ui().SoundCheck->isChecked());
    m.ui().B1->trigger();
    EXPECT_FALSE(m.ui().B1->isChecked());
    EXPECT_FALSE(m.ui().SoundCheck->isChecked());
}

// --- status bar

TEST_F(MainWindowTest, StatusHintsFollowTheMouseAndStay) {
    TMain& m = main();
    m.show();
    EXPECT_EQ(m.statusText(), QString());
    QWidget* vp = m.ui().MotoListBox->viewport();
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), vp->mapToGlobal(QPointF(10, 10)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    const QString sourceHint =
        QStringLiteral("減色するＢＭＰを選んで下さい。ダブルクリックでプレビューできます。");
    EXPECT_EQ(m.statusText(), sourceHint);
    // leaving the list does not clear it
    QMouseEvent away(QEvent::MouseMove, QPointF(5, 5), m.mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(m.ui().Client, &away);
    EXPECT_EQ(m.statusText(), sourceHint);
    QWidget* gvp = m.ui().GenListView->viewport();
    QMouseEvent over(QEvent::MouseMove, QPointF(10, 10), gvp->mapToGlobal(QPointF(10, 10)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(gvp, &over);
    EXPECT_EQ(m.statusText(), QStringLiteral("ダブルクリックでプレビューできます。"));
}

// --- closing

TEST_F(MainWindowTest, ClosingHidesViewersReleasesListsAndEnds) {
    TMain& m = main();
    withLines(2, 0);
    withRows(1, 0);
    m.show();
    const SecondaryWindows& w = program->windows();
    std::vector<QWidget*> viewers{w.MPreForm, w.GPreForm, w.PPreForm};
    for (QWidget* v : viewers) v->show();
    bool ended = false;
    QObject::connect(&m, &TMain::closed, [&] { ended = true; });
    m.ui().Exit1->trigger();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(platform.messages.empty());  // no question, even with unsaved results
    for (QWidget* v : viewers) EXPECT_FALSE(v->isVisible());
    EXPECT_FALSE(m.isVisible());
    EXPECT_TRUE(m.lists().sources.empty());
    EXPECT_TRUE(m.lists().results.empty());
    EXPECT_TRUE(m.lists().targets.empty());
    EXPECT_TRUE(m.lists().palettes.empty());
    EXPECT_EQ(m.ui().MotoListBox->count(), 0);
    EXPECT_EQ(m.ui().GenListView->topLevelItemCount(), 0);
    EXPECT_FALSE(m.acceptDrops());
}

TEST_F(MainWindowTest, CommandsOfLaterWorkAreConnectedAndHarmless) {
    TMain& m = main();
    withLines(1, 1);
    withRows(1, 1);
    m.MotoListBoxMouseUp();
    m.GenListViewMouseUp();
    // everything but the two deletes, the reduce and the saves (save_test)
    for (QAction* a : {m.ui().B2, m.ui().A1, m.ui().P5, m.ui().V1, m.ui().V2, m.ui().P1})
        a->trigger();
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{m.ui().PalButton}) b->click();
    // the three reduce controls open the settings dialog; cancelled, it runs nothing
    int opened = 0;
    for (auto run : std::initializer_list<std::function<void()>>{
             [&] { m.ui().G1->trigger(); }, [&] { m.ui().G2->trigger(); },
             [&] { m.ui().GenButton->click(); }}) {
        QTimer::singleShot(0, [&] {
            QDialog* d = QApplication::activeModalWidget()
                             ? qobject_cast<QDialog*>(QApplication::activeModalWidget())
                             : nullptr;
            if (d != nullptr && d->objectName() == "GenSetDlg") ++opened;
            if (d != nullptr) d->reject();
        });
        run();
    }
    EXPECT_EQ(opened, 3);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(m.lists().sources.size(), 1);
    EXPECT_EQ(m.ui().MotoListBox->count(), 1);
    EXPECT_EQ(m.lists().results.size(), 1);
    // the deletes are connected to the menu items, popup items and buttons
    m.ui().D1->trigger();
    EXPECT_EQ(m.lists().sources.size(), 0);
    m.ui().D2->trigger();
    EXPECT_EQ(m.lists().results.size(), 0);
}

}  // namespace

namespace {

using MainWindowShapeTest = MainWindowTest;

// Every menu item, submenu, tool button and delete button runs a command
// from the table, each exactly once.
TEST_F(MainWindowShapeTest, EveryControlIsWiredOnceInTheCommandTable) {
    TMain& m = main();
    std::map<QObject*, int> wired;
    std::set<std::string> handlers;
    for (const TMain::CommandRow& row : m.commandTable()) {
        ++wired[row.control];
        EXPECT_TRUE(handlers.insert(row.handler).second) << row.handler;
    }
    std::vector<QObject*> controls;
    for (QMenu* menu :
         {m.ui().File1, m.ui().V3, m.ui().N3, m.ui().PopupMenu1, m.ui().PopupMenu2, m.ui().S1}) {
        controls.push_back(menu);
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && !a->menu()) controls.push_back(a);
    }
    for (QAction* a : m.ui().MainMenu1->actions())
        if (!a->menu()) controls.push_back(a);
    for (QObject* b : m.ui().ToolBar1->findChildren<QToolButton*>()) controls.push_back(b);
    controls.push_back(m.ui().DMotoButton);
    controls.push_back(m.ui().DGenButton);
    for (QObject* c : controls) {
        if (c == m.ui().S1) continue;  // a submenu: its items are the commands
        EXPECT_EQ(wired[c], 1) << c->metaObject()->className() << " "
                               << (qobject_cast<QAction*>(c)
                                       ? qobject_cast<QAction*>(c)->text().toStdString()
                                       : std::string());
    }
}

// A result registered through the window's sink reaches the list, its row
// with the glyph of its depth, and both viewers' selectors at once; deleting
// it takes it from all of them.
TEST_F(MainWindowShapeTest, OneResultRegistrationFeedsEveryControl) {
    TMain& m = main();
    m.resultSink().add(Result{Bitmap(2, 2, PixelFormat::Bpp4), "/x/a.bmp", "a(1)", "ノーマル16"});
    m.resultSink().add(Result{Bitmap(2, 2, PixelFormat::Bpp1), "NewPalette(1).bmp", "n(1)", "c2"});
    GenListView* view = m.ui().GenListView;
    ASSERT_EQ(view->topLevelItemCount(), 2);
    EXPECT_EQ(view->topLevelItem(0)->text(0), QStringLiteral("a.bmp"));
    EXPECT_EQ(view->topLevelItem(0)->text(1), QStringLiteral("a(1)"));
    EXPECT_EQ(view->topLevelItem(0)->text(2), QStringLiteral("ノーマル16"));
    EXPECT_EQ(view->topLevelItem(0)->icon(0).pixmap(16, 20).toImage(),
              m.ui().ImageList3.icon(1).pixmap(16, 20).toImage());
    EXPECT_EQ(view->topLevelItem(1)->icon(0).pixmap(16, 20).toImage(),
              m.ui().ImageList3.icon(0).pixmap(16, 20).toImage());
    const SecondaryWindows& w = program->windows();
    EXPECT_EQ(w.GPreForm->GenBox->count(), 2);
    EXPECT_EQ(w.PPreForm->PalBox->itemText(1), QStringLiteral("NewPalette(1).bmp"));
    EXPECT_EQ(m.resultSink().rows().size(), 2u);
    EXPECT_EQ(m.lists().results.at(0).depth, 1);
    view->topLevelItem(0)->setSelected(true);
    m.D2Click();
    EXPECT_EQ(w.GPreForm->GenBox->count(), 1);
    EXPECT_EQ(w.PPreForm->PalBox->itemText(0), QStringLiteral("NewPalette(1).bmp"));
    EXPECT_EQ(m.resultSink().rows().front().paletteName, "n(1)");
}

}  // namespace
