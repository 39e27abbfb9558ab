// The main window as laid out, its enabling rules, the tool bar and sound
// options, the status-bar hints and closing.
#include <QHeaderView>
#include <QLayout>
#include <QMouseEvent>

#include "gui/gui_fixture.h"

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
        for (int i = 0; i < selected; ++i) main().GenListView->topLevelItem(i)->setSelected(true);
    }
    void withLines(int lines, int selected) {
        std::vector<std::string> files;
        for (int i = 0; i < lines; ++i) files.push_back(bmp("s" + std::to_string(i) + ".bmp"));
        main().DropFiles(files);
        for (int i = 0; i < selected; ++i) main().MotoListBox->item(i)->setSelected(true);
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
    EXPECT_TRUE(title.startsWith(QStringLiteral("カラリス\u3000"))) << title.toStdString();
    EXPECT_GT(title.size(), 5);
}

TEST_F(MainWindowTest, FixedSizeWithoutMaximiseBox) {
    TMain& m = main();
    EXPECT_EQ(m.Client->size(), QSize(560, 354));
    EXPECT_FALSE(m.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(m.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    m.layout()->activate();
    EXPECT_EQ(m.minimumSize(), m.maximumSize());
    EXPECT_EQ(m.width(), 560);
}

TEST_F(MainWindowTest, ControlsSitWhereTheyAreLaidOut) {
    TMain& m = main();
    EXPECT_EQ(m.ToolBar1->geometry(), QRect(0, 0, 560, 31));
    EXPECT_EQ(m.Bevel1->geometry(), QRect(0, 32, 200, 25));
    EXPECT_EQ(m.Label1->pos(), QPoint(8, 35));
    EXPECT_EQ(m.DMotoButton->geometry(), QRect(128, 36, 65, 17));
    EXPECT_EQ(m.Bevel2->geometry(), QRect(208, 32, 352, 25));
    EXPECT_EQ(m.Label2->pos(), QPoint(216, 35));
    EXPECT_EQ(m.DGenButton->geometry(), QRect(488, 36, 65, 17));
    EXPECT_EQ(m.MotoListBox->geometry(), QRect(0, 56, 200, 277));
    EXPECT_EQ(m.GenListView->geometry(), QRect(208, 56, 353, 277));
    EXPECT_EQ(m.StatusBar1->geometry(), QRect(0, 335, 560, 19));
}

TEST_F(MainWindowTest, TitlesButtonsAndFonts) {
    TMain& m = main();
    EXPECT_EQ(m.Label1->text(), QStringLiteral("作業前"));
    EXPECT_EQ(m.Label2->text(), QStringLiteral("作業後"));
    EXPECT_TRUE(m.Label1->font().bold());
    EXPECT_EQ(m.Label1->font().pixelSize(), 17);
    for (QPushButton* b : {m.DMotoButton, m.DGenButton}) {
        EXPECT_EQ(b->text(), QStringLiteral("削除"));
        EXPECT_EQ(b->toolTip(), QStringLiteral("選択されたファイルを削除"));
        EXPECT_EQ(b->font().pixelSize(), 13);
        EXPECT_FALSE(b->isEnabled());
    }
    EXPECT_EQ(m.MotoListBox->font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(m.MotoListBox->font().pixelSize(), 12);
    EXPECT_EQ(m.StatusBar1->font().pixelSize(), 11);
    EXPECT_TRUE(m.StatusBar1->font().bold());
}

TEST_F(MainWindowTest, WindowsFontNamesRenderWithTheIpaFonts) {
    // Qt keeps substitutes in lower case.
    EXPECT_EQ(QFont::substitute(QStringLiteral("ＭＳ ゴシック")).toLower(),
              QStringLiteral("ipagothic"));
    EXPECT_EQ(QFont::substitute(QStringLiteral("ＭＳ Ｐゴシック")).toLower(),
              QStringLiteral("ipapgothic"));
    QFontInfo info(main().MotoListBox->font());
    EXPECT_EQ(info.family(), QStringLiteral("IPAGothic"));
    EXPECT_TRUE(QFontMetrics(main().MotoListBox->font()).inFont(QChar(0x4f5c)));  // 作
}

TEST_F(MainWindowTest, ResultListHasThreeFixedColumns) {
    GenListView* v = main().GenListView;
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
    EXPECT_EQ(main().MotoListBox->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(MainWindowTest, ToolBarButtonsInOrderWithTooltipsAndStates) {
    TMain& m = main();
    struct Row {
        QToolButton* button;
        const char* tip;
        bool enabled;
    } rows[] = {
        {m.OpenButton, "画像の読み込み", true},
        {m.Save1Button, "場所を指定して保存", false},
        {m.Save3Button, "名前を付けて保存", false},
        {m.Save2Button, "上書き保存", false},
        {m.Save4Button, "パレットの保存", false},
        {m.GenButton, "減色実行！！", false},
        {m.PAddButton, "パレットを結合させます", true},
        {m.PalButton, "パレット内容を表示", false},
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
    EXPECT_EQ(m.OpenButton->x(), 5);
    EXPECT_EQ(m.SoundCheck->text(), QStringLiteral("減色終了を音で知らせる"));
    EXPECT_EQ(m.SoundCheck->width(), 159);
    EXPECT_GT(m.SoundCheck->x(), m.PalButton->x());
    EXPECT_FALSE(m.SoundCheck->isChecked());
    EXPECT_EQ(m.ImageList2.count(), 8);
    EXPECT_EQ(m.ImageList2.width(), 20);
}

TEST_F(MainWindowTest, MenusInOrderWithAccelerators) {
    TMain& m = main();
    EXPECT_EQ(m.File1->title(), QStringLiteral("ファイル(&F)"));
    EXPECT_EQ(menuTexts(m.File1),
              (std::vector<QString>{
                  "開く(&O)", "-", "選択した作業後画像を場所を決めて保存(&F)",
                  "選択した作業後画像に名前を付けて保存(&A)", "選択した作業後画像の上書き保存(&S)",
                  "選択した作業後画像のパレットを保存(&P)", "-", "終了するよ(&X)"}));
    std::vector<QString> bar;
    for (QAction* a : m.MainMenu1->actions()) bar.push_back(a->text());
    EXPECT_EQ(bar, (std::vector<QString>{"ファイル(&F)", "減色(&G)", "パレット結合(&P)",
                                         "表示関係(&V)", "設定(&S)"}));
    EXPECT_EQ(menuTexts(m.V3),
              (std::vector<QString>{"作業前の画像を表示(&B)", "-", "作業後の画像を表示(&A)",
                                    "作業後のパレットを表示(&P)", "-", "ツールバーの表示(&T)"}));
    EXPECT_EQ(menuTexts(m.N3), (std::vector<QString>{"減色終了を音で知らせる(&B)"}));
    EXPECT_EQ(menuTexts(m.PopupMenu1),
              (std::vector<QString>{"画像の表示(&V)", "選択した画像を減色(&G)",
                                    "選択した画像の削除(&D)"}));
    EXPECT_EQ(menuTexts(m.PopupMenu2),
              (std::vector<QString>{"画像の表示(&V)", "パレット内容の表示(&P)",
                                    "選択した画像の保存(&S)", "選択した画像の削除(&D)"}));
    EXPECT_EQ(menuTexts(m.S1), (std::vector<QString>{"場所を決めて保存(&F)", "名前を付けて保存(&A)",
                                                     "上書き保存(&S)", "パレットを保存(&P)"}));
}

TEST_F(MainWindowTest, InitialCommandStates) {
    TMain& m = main();
    EXPECT_EQ(enabled({m.Save1, m.Save3, m.Save2, m.P4, m.G1}),
              (std::vector<bool>{false, false, false, false, false}));
    EXPECT_EQ(enabled({m.Open1, m.P3, m.Exit1}), (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(m.T1->isChecked());
    EXPECT_FALSE(m.B1->isChecked());
    EXPECT_TRUE(m.ToolBar1->isVisibleTo(&m));
}

TEST_F(MainWindowTest, TabOrderRunsListsToolBarButtons) {
    TMain& m = main();
    const std::vector<QWidget*> want{m.MotoListBox, m.GenListView, m.ToolBar1, m.DMotoButton,
                                     m.DGenButton};
    // The focus chain also holds the children of each control; keep ours.
    std::vector<QWidget*> seen;
    QWidget* w = m.MotoListBox;
    do {
        if (std::find(want.begin(), want.end(), w) != want.end()) seen.push_back(w);
        w = w->nextInFocusChain();
    } while (w != m.MotoListBox && seen.size() < want.size());
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
    EXPECT_EQ(enabled({m.Save1, m.Save2, m.Save3, m.P4}), std::vector<bool>(4, false));
    m.GenListView->topLevelItem(1)->setSelected(true);
    m.File1Click();
    EXPECT_EQ(enabled({m.Save1, m.Save2, m.Save3, m.P4}), std::vector<bool>(4, true));
    // after a save the menu, opened without a selected row, disables them again
    m.Save1->trigger();
    m.GenListView->clearSelection();
    emit m.File1->aboutToShow();
    EXPECT_EQ(enabled({m.Save1, m.Save2, m.Save3, m.P4}), std::vector<bool>(4, false));
}

TEST_F(MainWindowTest, ViewMenuFollowsLinesAndRowsSeparately) {
    TMain& m = main();
    withLines(1, 0);
    withRows(1, 0);
    m.V3Click();
    EXPECT_EQ(enabled({m.B2, m.A1, m.P5}), (std::vector<bool>{false, false, false}));
    m.MotoListBox->item(0)->setSelected(true);
    emit m.V3->aboutToShow();
    EXPECT_EQ(enabled({m.B2, m.A1, m.P5}), (std::vector<bool>{true, false, false}));
    m.MotoListBox->clearSelection();
    m.GenListView->topLevelItem(0)->setSelected(true);
    m.V3Click();
    EXPECT_EQ(enabled({m.B2, m.A1, m.P5}), (std::vector<bool>{false, true, true}));
}

TEST_F(MainWindowTest, SourcePopupFollowsSelectedLines) {
    TMain& m = main();
    withLines(2, 0);
    emit m.PopupMenu1->aboutToShow();
    EXPECT_EQ(enabled({m.V1, m.G2, m.D1}), std::vector<bool>(3, false));
    m.MotoListBox->item(1)->setSelected(true);
    emit m.PopupMenu1->aboutToShow();
    EXPECT_EQ(enabled({m.V1, m.G2, m.D1}), std::vector<bool>(3, true));
}

TEST_F(MainWindowTest, ResultPopupFollowsSelectedRows) {
    TMain& m = main();
    withRows(1, 0);
    emit m.PopupMenu2->aboutToShow();
    EXPECT_EQ(enabled({m.V2, m.P1, m.S1->menuAction(), m.D2}), std::vector<bool>(4, false));
    m.GenListView->topLevelItem(0)->setSelected(true);
    emit m.PopupMenu2->aboutToShow();
    EXPECT_EQ(enabled({m.V2, m.P1, m.S1->menuAction(), m.D2, m.F1, m.S3, m.S2, m.P2}),
              std::vector<bool>(8, true));
}

TEST_F(MainWindowTest, ReleaseOverSourceListOnlyEverEnables) {
    TMain& m = main();
    withLines(2, 0);
    m.MotoListBoxMouseUp();
    EXPECT_EQ(enabled({m.G1}), std::vector<bool>{false});
    EXPECT_EQ(enabled({m.GenButton, m.DMotoButton}), std::vector<bool>(2, false));
    m.MotoListBox->item(0)->setSelected(true);
    m.MotoListBoxKeyUp();
    EXPECT_EQ(enabled({m.G1}), std::vector<bool>{true});
    EXPECT_EQ(enabled({m.GenButton, m.DMotoButton}), std::vector<bool>(2, true));
    // clearing the selection (as Ctrl-click does) leaves them enabled
    m.MotoListBox->clearSelection();
    m.MotoListBoxMouseUp();
    EXPECT_EQ(enabled({m.GenButton, m.DMotoButton}), std::vector<bool>(2, true));
    EXPECT_TRUE(m.G1->isEnabled());
}

TEST_F(MainWindowTest, RealMouseClickOnSourceLineEnablesReduce) {
    TMain& m = main();
    withLines(2, 0);
    m.show();
    QPoint at = m.MotoListBox->visualItemRect(m.MotoListBox->item(1)).center();
    QWidget* vp = m.MotoListBox->viewport();
    QPointF global = vp->mapToGlobal(QPointF(at));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &press);
    QApplication::sendEvent(vp, &release);
    EXPECT_TRUE(m.MotoListBox->item(1)->isSelected());
    EXPECT_TRUE(m.GenButton->isEnabled());
    EXPECT_TRUE(m.DMotoButton->isEnabled());
    EXPECT_TRUE(m.G1->isEnabled());
}

TEST_F(MainWindowTest, ReleaseOverResultListEnablesAndDisables) {
    TMain& m = main();
    withRows(2, 1);
    auto six = [&] {
        return enabled({m.DGenButton, m.PalButton, m.Save1Button, m.Save2Button, m.Save3Button,
                        m.Save4Button});
    };
    m.GenListViewMouseUp();
    EXPECT_EQ(six(), allOn);
    m.GenListView->clearSelection();
    m.GenListViewKeyUp();
    EXPECT_EQ(six(), std::vector<bool>(6, false));
}

TEST_F(MainWindowTest, AlwaysEnabledCommands) {
    TMain& m = main();
    withLines(1, 1);
    withRows(1, 1);
    m.File1Click();
    m.V3Click();
    m.MotoListBox->clearSelection();
    m.GenListView->clearSelection();
    m.GenListViewMouseUp();
    m.File1Click();
    EXPECT_EQ(enabled({m.Open1, m.P3, m.Exit1}), std::vector<bool>(3, true));
    EXPECT_EQ(enabled({m.OpenButton, m.PAddButton}), std::vector<bool>(2, true));
}

// --- options

TEST_F(MainWindowTest, ToolBarToggleMovesEverythingAndRestores) {
    TMain& m = main();
    m.show();
    std::vector<QWidget*> moved{m.Label1,      m.Label2,     m.Bevel1,      m.Bevel2,
                                m.DMotoButton, m.DGenButton, m.MotoListBox, m.GenListView};
    std::vector<QRect> before;
    for (QWidget* w : moved) before.push_back(w->geometry());
    const int clientBefore = m.Client->height();
    QApplication::processEvents();
    const int windowBefore = m.height();

    m.T1->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(m.T1->isChecked());
    EXPECT_FALSE(m.ToolBar1->isVisible());
    for (std::size_t i = 0; i < moved.size(); ++i)
        EXPECT_EQ(moved[i]->geometry(), before[i].translated(0, -31)) << i;
    EXPECT_EQ(m.Client->height(), clientBefore - 31);
    EXPECT_EQ(m.height(), windowBefore - 31);
    EXPECT_EQ(m.StatusBar1->geometry().bottom(), m.Client->height() - 1);
    EXPECT_EQ(m.MotoListBox->y(), 25);

    m.T1->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(m.T1->isChecked());
    EXPECT_TRUE(m.ToolBar1->isVisible());
    for (std::size_t i = 0; i < moved.size(); ++i) EXPECT_EQ(moved[i]->geometry(), before[i]);
    EXPECT_EQ(m.Client->height(), clientBefore);
    EXPECT_EQ(m.height(), windowBefore);
    EXPECT_EQ(m.StatusBar1->geometry(), QRect(0, 335, 560, 19));
}

TEST_F(MainWindowTest, SoundCheckShowsInMenuNextTimeItOpens) {
    TMain& m = main();
    m.SoundCheck->click();
    EXPECT_TRUE(m.SoundCheck->isChecked());
    EXPECT_FALSE(m.B1->isChecked());  // only the check box changed
    emit m.N3->aboutToShow();
    EXPECT_TRUE(m.B1->isChecked());
    m.SoundCheck->click();
    m.N3Click();
    EXPECT_FALSE(m.B1->isChecked());
}

TEST_F(MainWindowTest, MenuItemInvertsAndSetsSoundCheck) {
    TMain& m = main();
    m.N3Click();
    m.B1->trigger();
    EXPECT_TRUE(m.B1->isChecked());
    EXPECT_TRUE(m.SoundCheck->isChecked());
    m.B1->trigger();
    EXPECT_FALSE(m.B1->isChecked());
    EXPECT_FALSE(m.SoundCheck->isChecked());
}

// --- status bar

TEST_F(MainWindowTest, StatusHintsFollowTheMouseAndStay) {
    TMain& m = main();
    m.show();
    EXPECT_EQ(m.statusText(), QString());
    QWidget* vp = m.MotoListBox->viewport();
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), vp->mapToGlobal(QPointF(10, 10)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    const QString sourceHint =
        QStringLiteral("減色するＢＭＰを選んで下さい。ダブルクリックでプレビューできます。");
    EXPECT_EQ(m.statusText(), sourceHint);
    // leaving the list does not clear it
    QMouseEvent away(QEvent::MouseMove, QPointF(5, 5), m.mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(m.Client, &away);
    EXPECT_EQ(m.statusText(), sourceHint);
    QWidget* gvp = m.GenListView->viewport();
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
    m.Exit1->trigger();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(platform.messages.empty());  // no question, even with unsaved results
    for (QWidget* v : viewers) EXPECT_FALSE(v->isVisible());
    EXPECT_FALSE(m.isVisible());
    EXPECT_EQ(m.SourceList.head, nullptr);
    EXPECT_EQ(m.ResultList.head, nullptr);
    EXPECT_EQ(m.TargetList.head, nullptr);
    EXPECT_EQ(m.PaletteList.head, nullptr);
    EXPECT_FALSE(m.acceptDrops());
}

TEST_F(MainWindowTest, CommandsOfLaterWorkAreConnectedAndHarmless) {
    TMain& m = main();
    withLines(1, 1);
    withRows(1, 1);
    m.MotoListBoxMouseUp();
    m.GenListViewMouseUp();
    // everything but the two deletes
    for (QAction* a : {m.Save1, m.Save3, m.Save2, m.P4, m.G1, m.P3, m.B2, m.A1, m.P5, m.V1, m.G2,
                       m.V2, m.P1, m.F1, m.S3, m.S2, m.P2})
        a->trigger();
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             m.Save1Button, m.Save3Button, m.Save2Button, m.Save4Button, m.GenButton, m.PAddButton,
             m.PalButton})
        b->click();
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(m.SourceCount, 1);
    EXPECT_EQ(m.MotoListBox->count(), 1);
    EXPECT_EQ(m.ResultCount, 1);
    // the deletes are connected to the menu items, popup items and buttons
    m.D1->trigger();
    EXPECT_EQ(m.SourceCount, 0);
    m.D2->trigger();
    EXPECT_EQ(m.ResultCount, 0);
}

}  // namespace
