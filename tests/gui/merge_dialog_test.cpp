// The palette merge command through the window: what the dialog offers, its
// selection rules and messages, loading palette files into it, and a merge
// whose results equal the batch tool's on the same inputs.
#include <QApplication>
#include <QScreen>
#include <QWindow>
#include <QTimer>
#include <fstream>
#include <functional>
#include <sstream>

#include "gui/gui_fixture.h"
#include "palette/Padlg.h"
#include "palette/merge_rules.h"
#include "palette/palette_file.h"
#include "support/cli_runner.h"
#include "support/scoped_env.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

// Colours that never form a black pair: entries 0 .. count-1 in use, black after.
Palette usedUpTo(int count, int seed, bool systemStart = false) {
    Palette p(std::vector<Rgb>(256));
    for (int i = 0; i < count; ++i)
        p.set(i, Rgb{std::uint8_t(1 + (i * 7 + seed) % 255), std::uint8_t(255 - i),
                     std::uint8_t(seed)});
    if (systemStart)
        for (int i = 0; i < 8; ++i) p.set(i, systemPalette()[i]);
    return p;
}

class MergeDialogTest : public GuiTest {
  protected:
    std::unique_ptr<ScopedEnv> dataHome;

    void SetUp() override {
        GuiTest::SetUp();
        dataHome = std::make_unique<ScopedEnv>("XDG_DATA_HOME", path("data").c_str());
        start();
    }
    TPalAddDlg& dialog() { return *main().windows().PalAddDlg; }

    std::string paletted(const std::string& name, PixelFormat f, const Palette& p) {
        Bitmap b = smallBitmap(f);
        b.setPaletteEntries(p);
        saveBmp(b, path(name)).take(path(name));
        return path(name);
    }
    std::string gpl(const std::string& name, int depth, const Palette& p) {
        const auto bytes = encodePaletteFile(PaletteLabel::fromText("カスタム80"), depth, p);
        std::ofstream(path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path(name);
    }
    // Runs the merge command; `inside` works the dialog while it is open
    // and must close it.
    void merge(const std::function<void(TPalAddDlg&)>& inside) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            ran = true;
            inside(dialog());
            if (dialog().isVisible()) dialog().reject();  // a failed check must not hang
        });
        main().P3Click();
        EXPECT_TRUE(ran);
    }
    static std::vector<std::string> items(const QListWidget* box) {
        std::vector<std::string> out;
        for (int i = 0; i < box->count(); ++i) out.push_back(box->item(i)->text().toStdString());
        return out;
    }
    static void select(QListWidget* box, std::initializer_list<int> rows) {
        for (int r : rows) box->item(r)->setSelected(true);
    }
};

TEST_F(MergeDialogTest, FormAsLaidOut) {
    TPalAddDlg& d = dialog();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("パレットを結合します"));
    EXPECT_EQ(d.size(), QSize(433, 306));
    EXPECT_TRUE(d.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // Every text fits the form: nothing runs past the right edge of its frame.
    for (QLabel* l : {d.Label1, d.Label2, d.Label3, d.Label4, d.Label5, d.MenuLabel})
        EXPECT_LE(l->x() + l->sizeHint().width(), 425) << l->text().toStdString();
    EXPECT_LE(d.BaseLabel->x() + d.BaseLabel->sizeHint().width(), 225);
    // The tab order the form gives.
    QWidget* w = d.MenuButton1;
    for (QWidget* next :
         std::initializer_list<QWidget*>{d.MenuButton2, d.MenuButton3, d.OkButton, d.CancelButton,
                                         d.BasePalListBox, d.PlusPalListBox, d.LoadButton}) {
        QWidget* after = w->nextInFocusChain();
        while (after != w && !(after->focusPolicy() & Qt::TabFocus))
            after = after->nextInFocusChain();
        EXPECT_EQ(after, next) << after->objectName().toStdString();
        w = next;
    }
}

TEST_F(MergeDialogTest, ReachedFromTheMenuAndTheToolButtonEvenWithNothingToOffer) {
    for (const std::function<void()>& command : std::initializer_list<std::function<void()>>{
             [&] { main().ui().P3->trigger(); }, [&] { main().ui().PAddButton->click(); }}) {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            shown = dialog().isVisible();
            EXPECT_EQ(dialog().BasePalListBox->count(), 0);
            dialog().CancelButton->click();
        });
        command();
        EXPECT_TRUE(shown);
        EXPECT_FALSE(dialog().isVisible());
    }
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MergeDialogTest, OffersPalettedSourcesThenResultsNotListedYet) {
    main().DropFiles({bmp("true.bmp", PixelFormat::Bpp24),
                      paletted("four.bmp", PixelFormat::Bpp4, usedUpTo(3, 1)),
                      paletted("Eight.bmp", PixelFormat::Bpp8, usedUpTo(9, 2))});
    // A result whose palette name is a paletted source's file name in
    // another case is that palette already.
    main().resultSink().add(Result{smallBitmap(PixelFormat::Bpp8), "x.bmp", "EIGHT.BMP", "a"});
    main().resultSink().add(Result{smallBitmap(PixelFormat::Bpp4), "y.bmp", "y(1)", "グレー16"});
    merge([&](TPalAddDlg& d) {
        EXPECT_TRUE(d.isModal());
        // Centred with its frame (where the window manager's windows carry one).
        const QRect screen = d.screen()->geometry();
        const QRect outer = d.windowHandle()->frameGeometry();
        EXPECT_EQ(d.size(), QSize(433, 306));
        EXPECT_EQ(outer.topLeft(), QPoint((screen.width() - outer.width()) / 2,
                                          (screen.height() - outer.height()) / 2));
        EXPECT_EQ(items(d.BasePalListBox),
                  (std::vector<std::string>{"four.bmp", "Eight.bmp", "y(1)"}));
        EXPECT_EQ(items(d.PlusPalListBox), items(d.BasePalListBox));
        const PaletteList& offered = main().lists().palettes;
        EXPECT_EQ(offered.at(0).label, "ノーマル16");
        EXPECT_EQ(offered.at(0).depth, 1);
        EXPECT_EQ(offered.at(0).origin, PaletteOrigin::SourceImage);
        EXPECT_EQ(offered.at(2).label, "グレー16");
        EXPECT_EQ(offered.at(2).origin, PaletteOrigin::ResultImage);
        const int widest = QFontMetrics(d.BasePalListBox->font()).horizontalAdvance("Eight.bmp");
        EXPECT_EQ(d.BasePalListBox->horizontalExtent(), widest + 84);
        EXPECT_EQ(d.PlusPalListBox->horizontalExtent(), widest + 84);
        EXPECT_EQ(d.BasePalListBox->sizeHintForRow(0), 20);
        d.CancelButton->click();
    });
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(main().lists().results.size(), 2);  // cancelled: nothing merged
    EXPECT_EQ(main().settings.schemeName, "ノーマル");
}

TEST_F(MergeDialogTest, ChangingTheMenuClearsBothSelectionsAndSetsTheirModes) {
    main().DropFiles({paletted("a.bmp", PixelFormat::Bpp8, usedUpTo(5, 1)),
                      paletted("b.bmp", PixelFormat::Bpp8, usedUpTo(5, 2)),
                      paletted("c.bmp", PixelFormat::Bpp8, usedUpTo(5, 3))});
    merge([&](TPalAddDlg& d) {
        EXPECT_TRUE(d.MenuButton1->isChecked());
        d.MenuButton2->click();
        EXPECT_EQ(d.BasePalListBox->selectionMode(), QAbstractItemView::ExtendedSelection);
        EXPECT_EQ(d.PlusPalListBox->selectionMode(), QAbstractItemView::SingleSelection);
        select(d.BasePalListBox, {0, 1, 2});
        select(d.PlusPalListBox, {1});
        d.MenuButton2->click();  // the mode it is in already: nothing changes
        EXPECT_EQ(d.chosenBases(), (std::vector<int>{0, 1, 2}));
        d.MenuButton1->click();
        EXPECT_TRUE(d.chosenBases().empty());
        EXPECT_TRUE(d.chosenPluses().empty());
        EXPECT_EQ(d.BasePalListBox->selectionMode(), QAbstractItemView::SingleSelection);
        d.MenuButton3->click();
        EXPECT_EQ(d.BasePalListBox->selectionMode(), QAbstractItemView::SingleSelection);
        EXPECT_EQ(d.PlusPalListBox->selectionMode(), QAbstractItemView::ExtendedSelection);
        select(d.PlusPalListBox, {0, 2});
        d.CancelButton->click();
    });
    // The next showing starts again in one-to-one with nothing selected.
    merge([&](TPalAddDlg& d) {
        EXPECT_TRUE(d.MenuButton1->isChecked());
        EXPECT_EQ(d.PlusPalListBox->selectionMode(), QAbstractItemView::SingleSelection);
        EXPECT_TRUE(d.chosenPluses().empty());
        d.CancelButton->click();
    });
}

TEST_F(MergeDialogTest, OkWantsAChoiceCompleteForTheMenu) {
    main().DropFiles({paletted("a.bmp", PixelFormat::Bpp8, usedUpTo(5, 1)),
                      paletted("b.bmp", PixelFormat::Bpp8, usedUpTo(5, 2))});
    struct Case {
        QRadioButton* TPalAddDlg::*menu;
        std::initializer_list<int> bases, pluses;
        bool complete;
    };
    const Case cases[] = {
        {&TPalAddDlg::MenuButton1, {0}, {}, false},
        {&TPalAddDlg::MenuButton1, {}, {1}, false},
        {&TPalAddDlg::MenuButton1, {0}, {0}, true},
        {&TPalAddDlg::MenuButton2, {0, 1}, {}, false},
        {&TPalAddDlg::MenuButton2, {0, 1}, {1}, true},
        {&TPalAddDlg::MenuButton3, {}, {0, 1}, false},
        {&TPalAddDlg::MenuButton3, {1}, {0, 1}, true},
    };
    const Message incomplete{"パレットが正しく指定されていません！！\n指定し直して下さい。",
                             "警告：パレット指定が足りません", MessageIcon::Exclamation,
                             MessageButtons::Ok};
    for (const Case& c : cases) {
        platform.messages.clear();
        bool accepted = false;
        merge([&](TPalAddDlg& d) {
            (d.*c.menu)->click();
            select(d.BasePalListBox, c.bases);
            select(d.PlusPalListBox, c.pluses);
            d.OkButton->click();
            accepted = !d.isVisible();
        });
        EXPECT_EQ(accepted, c.complete);
        EXPECT_EQ(platform.messages.empty(), c.complete);
        if (!c.complete) {
            EXPECT_EQ(platform.messages.front(), incomplete);
        }
    }
}

TEST_F(MergeDialogTest, LoadedFilesJoinTheEndOfBothListsAtOnce) {
    main().DropFiles({paletted("a.bmp", PixelFormat::Bpp8, usedUpTo(5, 1))});
    platform.openAnswers.push_back(
        {gpl("p.gpl", 1, usedUpTo(4, 5)), junk("bad.gpl"), gpl("q.gpl", 2, usedUpTo(6, 6))});
    merge([&](TPalAddDlg& d) {
        d.MenuButton2->click();
        select(d.BasePalListBox, {0});
        const int extent = d.BasePalListBox->horizontalExtent();
        d.LoadButton->click();
        EXPECT_EQ(items(d.BasePalListBox), (std::vector<std::string>{"a.bmp", "p.gpl", "q.gpl"}));
        EXPECT_EQ(items(d.PlusPalListBox), items(d.BasePalListBox));
        EXPECT_EQ(main().lists().palettes.at(1).origin, PaletteOrigin::PaletteFile);
        EXPECT_EQ(d.chosenBases(), std::vector<int>{0});  // selections stay
        EXPECT_EQ(d.BasePalListBox->horizontalExtent(), extent);
        d.CancelButton->click();
    });
    ASSERT_EQ(platform.openRequests.size(), 1u);
    EXPECT_TRUE(platform.openRequests[0].multiSelect);
    EXPECT_EQ(platform.messages, std::vector<Message>{paletteNotCreatedMessage()});
    // Offered until the next command rebuilds the list.
    merge([&](TPalAddDlg& d) {
        EXPECT_EQ(items(d.BasePalListBox), std::vector<std::string>{"a.bmp"});
        d.CancelButton->click();
    });
}

TEST_F(MergeDialogTest, ManyToOneGivesWhatTheBatchToolGives) {
    // Free from 100 (156 entries), from 200 (56: the plus does not fit, and
    // the question is answered Yes), and after the system colours from 50.
    const std::string a = paletted("a.bmp", PixelFormat::Bpp8, usedUpTo(100, 1));
    const std::string b = paletted("b.bmp", PixelFormat::Bpp8, usedUpTo(200, 2));
    const std::string c = paletted("c.bmp", PixelFormat::Bpp8, usedUpTo(50, 3, true));
    const std::string plus = gpl("plus.gpl", 2, usedUpTo(80, 4));
    main().DropFiles({a, b, c});
    platform.openAnswers.push_back({plus});
    merge([&](TPalAddDlg& d) {
        d.MenuButton2->click();
        d.LoadButton->click();
        select(d.BasePalListBox, {0, 1, 2});
        select(d.PlusPalListBox, {3});
        d.OkButton->click();
    });
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], partialMergeQuestion("b.bmp", 56, "plus.gpl", 80));
    EXPECT_EQ(main().settings.schemeName, "カスタム");

    // The batch tool, answering Yes too, into an empty folder.
    const std::string out = path("out");
    const CliRun cli = runCli("merge --yes -o '" + out + "' --base '" + a + "' '" + b + "' '" + c +
                              "' --plus '" + plus + "'");
    ASSERT_EQ(cli.status, 0) << cli.out;
    std::istringstream lines(cli.out);
    std::string line_;
    const ResultList& results = main().lists().results;
    ASSERT_EQ(results.size(), 3);
    for (int n = 0; n < 3; ++n) {
        std::string fileName, paletteName, label, bits, written;
        std::string line;
        ASSERT_TRUE(std::getline(lines, line));
        std::istringstream fields(line);
        std::getline(fields, fileName, '\t');
        std::getline(fields, paletteName, '\t');
        std::getline(fields, label, '\t');
        std::getline(fields, bits, '\t');
        std::getline(fields, written, '\t');
        const ResultRow& row = results.line(n);
        EXPECT_EQ(row.fileName, fileName);
        EXPECT_EQ(row.paletteName, paletteName);
        EXPECT_EQ(row.modeLabel, label);
        const Bitmap written_ = loadBmp(written).take(written);
        EXPECT_EQ(*results.at(n).bitmap, written_) << row.fileName;
        EXPECT_EQ(results.at(n).depth, 2);
    }
    // The window's rows show it: three new rows in the "after" list.
    EXPECT_EQ(main().ui().GenListView->topLevelItemCount(), 3);
    EXPECT_FALSE(std::getline(lines, line_));
}

}  // namespace
