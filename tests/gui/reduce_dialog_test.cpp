// The reduction settings dialog: its modes, menus, free-count rules,
// keyboard, the lists it offers and the messages that keep it open.
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

#include "gui/reduce_fixture.h"
#include "palette/palette_choices.h"
#include "palette/palette_file.h"
#include "support/scoped_env.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

struct ModeRow {
    const char* caption;
    int colorCount;
    const char* scheme;
};

const ModeRow kModes[27] = {
    {"２５６色", 256, "ノーマル"},
    {"２３６色＋システム２０色", 236, "ノーマル"},
    {"２４０色＋システム１６色", 240, "ノーマル"},
    {"１６色（システム）", 0, "システム"},
    {"１６色", 16, "ノーマル"},
    {"グレースケール（２５６階調）", 256, "グレー"},
    {"グレースケール（２３６階調＋システム２０色）", 236, "グレー"},
    {"グレースケール（２４０階調＋システム１６色）", 240, "グレー"},
    {"グレースケール（１６階調）", 16, "グレー"},
    {"レッドスケール（２５６階調）", 256, "レッド"},
    {"レッドスケール（２３６階調＋システム２０色）", 236, "レッド"},
    {"レッドスケール（２４０階調＋システム１６色）", 240, "レッド"},
    {"レッドスケール（１６階調）", 16, "レッド"},
    {"グリーンスケール（２５６階調）", 256, "グリーン"},
    {"グリーンスケール（２３６階調＋システム２０色）", 236, "グリーン"},
    {"グリーンスケール（２４０階調＋システム１６色）", 240, "グリーン"},
    {"グリーンスケール（１６階調）", 16, "グリーン"},
    {"ブルースケール（２５６階調）", 256, "ブルー"},
    {"ブルースケール（２３６階調＋システム２０色）", 236, "ブルー"},
    {"ブルースケール（２４０階調＋システム１６色）", 240, "ブルー"},
    {"ブルースケール（１６階調）", 16, "ブルー"},
    {"セピアスケール（２５６階調）", 256, "セピア"},
    {"セピアスケール（２３６階調＋システム２０色）", 236, "セピア"},
    {"セピアスケール（２４０階調＋システム１６色）", 240, "セピア"},
    {"セピアスケール（１６階調）", 16, "セピア"},
    {"任意色数１（８ｂｉｔ：１～２５６色）", 0, "任意色１"},
    {"任意色数２（８ｂｉｔ：０～２４０色＋システム１６色）", 0, "任意色２"},
};

class DialogTest : public ReduceTest {
  protected:
    void SetUp() override {
        ReduceTest::SetUp();
        main().DropFiles({bmp("a.bmp"), bmp("b.bmp")});
        selectLines({0, 1});
    }
    ReductionSettings& settings() { return main().settings; }
    static void key(QWidget* w, int k, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
        QApplication::sendEvent(w, &press);
    }
    static void type(TGenSetDlg& d, const char* text) { d.Edit1->setText(QString::fromUtf8(text)); }
};

TEST_F(DialogTest, EveryModeSetsItsColorCountAndSchemeName) {
    reduce([&](TGenSetDlg& d) {
        ASSERT_EQ(d.ColorBox->count(), 27);
        for (int m = 0; m < 27; ++m) {
            SCOPED_TRACE(m);
            EXPECT_EQ(d.ColorBox->itemText(m).toStdString(), kModes[m].caption);
            choose(d, m);
            EXPECT_EQ(settings().colorCount, kModes[m].colorCount);
            EXPECT_EQ(settings().schemeName, kModes[m].scheme);
            const bool free = m >= 25;
            EXPECT_EQ(d.Edit1->isEnabled(), free);
            EXPECT_EQ(d.UpDown1->isEnabled(), free);
            EXPECT_EQ(d.RangeLabel->isVisibleTo(&d), free);
        }
        EXPECT_EQ(d.RangeLabel->text().toStdString(), "指定範囲（０～２４０）");
    });
}

TEST_F(DialogTest, OpensAsModeZeroMenuOneWhateverWasLeft) {
    reduce([&](TGenSetDlg& d) {
        choose(d, 26);
        pick(d, ReductionMenu::GivenPalette);
        EXPECT_FALSE(d.ColorBox->isEnabled());
        EXPECT_TRUE(d.PageControl1->isVisibleTo(&d));
        EXPECT_EQ(d.PageControl1->currentWidget(), d.SetTab2);
    });
    settings().colorCount = 7;
    reduce([&](TGenSetDlg& d) {
        EXPECT_EQ(d.ColorBox->currentIndex(), 0);
        EXPECT_EQ(settings().colorCount, 256);
        EXPECT_EQ(settings().schemeName, "ノーマル");
        EXPECT_TRUE(d.MenuButton1->isChecked());
        EXPECT_TRUE(d.ColorBox->isEnabled());
        EXPECT_FALSE(d.PageControl1->isVisibleTo(&d));
        EXPECT_FALSE(d.Edit1->isEnabled());
        EXPECT_FALSE(d.RangeLabel->isVisibleTo(&d));
        EXPECT_EQ(d.Edit1->text(), "256");
        // only the spin range survives
        EXPECT_EQ(d.UpDown1->maximum(), 240);
        EXPECT_EQ(d.focusWidget(), d.OKButton);
    });
}

TEST_F(DialogTest, TheReferenceMenuNeedsTwoSelectedImages) {
    selectLines({1});
    reduce([&](TGenSetDlg& d) { EXPECT_FALSE(d.MenuButton2->isEnabled()); });
    selectLines({0, 1});
    reduce([&](TGenSetDlg& d) {
        EXPECT_TRUE(d.MenuButton2->isEnabled());
        pick(d, ReductionMenu::Reference);
        EXPECT_EQ(d.PageControl1->currentWidget(), d.SetTab1);
        EXPECT_EQ(d.TargetBox->count(), 2);
        EXPECT_EQ(d.TargetBox->currentIndex(), -1);
    });
}

TEST_F(DialogTest, FreeCountsAreBroughtIntoTheModesRange) {
    reduce([&](TGenSetDlg& d) {
        type(d, "0");
        choose(d, 25);
        EXPECT_EQ(d.Edit1->text(), "256");
        type(d, "0");
        choose(d, 26);
        EXPECT_EQ(d.Edit1->text(), "0");  // a valid count of mode 26
        choose(d, 25);
        EXPECT_EQ(d.Edit1->text(), "256");
        choose(d, 26);  // 256 is above 240
        EXPECT_EQ(d.Edit1->text(), "240");
        EXPECT_EQ(d.UpDown1->position(), 240);
        // Enter checks the range, sets the spin and moves on to OK
        type(d, "241");
        d.Edit1->setFocus();
        key(d.Edit1, Qt::Key_Return, "\r");
        EXPECT_EQ(d.Edit1->text(), "240");
        EXPECT_EQ(d.focusWidget(), d.OKButton);
        type(d, "17");
        key(d.Edit1, Qt::Key_Return, "\r");
        EXPECT_EQ(d.UpDown1->position(), 17);
        // the spin steps within the range and stops at its ends
        d.UpDown1->step(+1);
        EXPECT_EQ(d.Edit1->text(), "18");
        type(d, "240");
        d.UpDown1->step(+1);
        EXPECT_EQ(d.Edit1->text(), "240");
        // letters are upper case as they are typed
        d.Edit1->clear();
        key(d.Edit1, Qt::Key_A, "a");
        key(d.Edit1, Qt::Key_B, "b");
        EXPECT_EQ(d.Edit1->text(), "AB");
    });
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(DialogTest, OkTakesTheTypedCountOrTheModesMaximum) {
    const std::pair<const char*, int> cases[] = {{"300", 256}, {"12", 12}, {" 1 ", 1}};
    for (const auto& [typed, want] : cases) {
        reduce([&](TGenSetDlg& d) {
            choose(d, 25);
            type(d, typed);
            d.OKButton->click();
            EXPECT_FALSE(d.isVisible());
        });
        EXPECT_EQ(settings().colorCount, want) << typed;
        EXPECT_EQ(settings().schemeName, "任意色１");
    }
    // a count is converted even when the palette menu ignores the mode
    reduce([&](TGenSetDlg& d) {
        choose(d, 26);
        pick(d, ReductionMenu::GivenPalette);
        type(d, "99");
        d.PaletteBox->setCurrentIndex(-1);
        d.OKButton->click();
        EXPECT_TRUE(d.isVisible());
    });
    EXPECT_EQ(settings().colorCount, 99);
}

TEST_F(DialogTest, AFreeCountThatIsNoNumberKeepsTheDialogOpen) {
    reduce([&](TGenSetDlg& d) {
        choose(d, 25);
        type(d, "X1");
        d.OKButton->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.Edit1->text(), "256");
    });
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].caption, "警告：誤入力です！！");
    EXPECT_EQ(platform.messages[0].icon, MessageIcon::Stop);
    EXPECT_NE(platform.messages[0].text.find("X1"), std::string::npos);
    EXPECT_TRUE(main().lists().results.empty());

    // Enter and a mode change report it through the general error display
    // and keep what was typed, in controls that stay enabled to mend it
    platform.messages.clear();
    reduce([&](TGenSetDlg& d) {
        type(d, "?");
        choose(d, 26);
        EXPECT_EQ(d.Edit1->text(), "?");
        EXPECT_TRUE(d.Edit1->isEnabled());
        EXPECT_TRUE(d.UpDown1->isEnabled());
        type(d, "ABC");
        d.Edit1->setFocus();
        key(d.Edit1, Qt::Key_Return, "\r");
        EXPECT_EQ(d.Edit1->text(), "ABC");
    });
    ASSERT_EQ(platform.messages.size(), 2u);
    for (const Message& m : platform.messages) EXPECT_EQ(m.icon, MessageIcon::Stop);
}

TEST_F(DialogTest, TabEntersTheMenuAtItsCheckedButton) {
    main().DropFiles({bmp("a.bmp"), bmp("b.bmp")});
    selectLines({0, 1});
    reduce([&](TGenSetDlg& d) {
        ASSERT_TRUE(d.MenuButton2->isEnabled());
        for (QRadioButton* checked : {d.MenuButton1, d.MenuButton3}) {
            checked->click();
            d.ColorBox->setFocus();
            key(d.ColorBox, Qt::Key_Tab, "\t");
            EXPECT_EQ(d.focusWidget(), checked) << qPrintable(checked->text());
        }
    });
}

TEST_F(DialogTest, UnificationWithoutAChoiceAsksAgain) {
    reduce([&](TGenSetDlg& d) {
        pick(d, ReductionMenu::Reference);
        d.OKButton->click();
        EXPECT_TRUE(d.isVisible());
        pick(d, ReductionMenu::GivenPalette);
        d.OKButton->click();
        EXPECT_TRUE(d.isVisible());
    });
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0],
              (Message{"減色の基準となるビットマップが指定されていません。", "設定しなおして下さい",
                       MessageIcon::Exclamation, MessageButtons::Ok}));
    EXPECT_EQ(platform.messages[1],
              (Message{"統一に使用するパレットが指定されていません。", "設定しなおして下さい",
                       MessageIcon::Exclamation, MessageButtons::Ok}));
    EXPECT_TRUE(main().lists().results.empty());
}

TEST_F(DialogTest, KeysMoveTheFocusOn) {
    reduce([&](TGenSetDlg& d) {
        d.MenuButton3->setFocus();
        key(d.MenuButton3, Qt::Key_Return, "\r");
        EXPECT_EQ(d.focusWidget(), d.OKButton);
        EXPECT_TRUE(d.isVisible());  // Enter on a menu button is no OK
        key(d.ColorBox, Qt::Key_A, "a");
        EXPECT_EQ(d.focusWidget(), d.OKButton);
        choose(d, 25);
        key(d.ColorBox, Qt::Key_Return, "\r");
        EXPECT_EQ(d.focusWidget(), d.Edit1);
    });
}

TEST_F(DialogTest, OffersPalettesOfPalettedSourcesAndOfResultsNotListedYet) {
    main().DropFiles({bmp("one.bmp", PixelFormat::Bpp1), bmp("Four.bmp", PixelFormat::Bpp4),
                      bmp("sixteen.bmp", PixelFormat::Bpp16), bmp("eight.bmp", PixelFormat::Bpp8)});
    main().resultSink().add(
        Result{smallBitmap(PixelFormat::Bpp8), "x.bmp", "four.BMP", "グレー16"});
    main().resultSink().add(Result{smallBitmap(PixelFormat::Bpp4), "y.bmp", "y(1)", "ノーマル16"});
    main().resultSink().add(Result{smallBitmap(PixelFormat::Bpp8), "z.bmp", "Y(1)", "ノーマル256"});
    reduce([&](TGenSetDlg& d) {
        std::vector<std::string> items;
        for (int i = 0; i < d.PaletteBox->count(); ++i)
            items.push_back(d.PaletteBox->itemText(i).toStdString());
        EXPECT_EQ(items, (std::vector<std::string>{"one.bmp", "Four.bmp", "eight.bmp", "y(1)"}));
        const PaletteList& p = main().lists().palettes;
        EXPECT_EQ(p.at(1).label, "ノーマル16");
        EXPECT_EQ(p.at(3).label, "ノーマル16");
        EXPECT_EQ(p.at(3).origin, PaletteOrigin::ResultImage);
    });
}

TEST_F(DialogTest, ListItemsShowTheirGlyphsAtTheirPlaces) {
    main().DropFiles({bmp("four.bmp", PixelFormat::Bpp4)});
    selectLines({2});
    reduce([&](TGenSetDlg& d) {
        const GlyphList glyphs = makeImageList1();
        EXPECT_EQ(d.PaletteBox->itemHeight(), 20);
        QImage canvas(100, 20, QImage::Format_RGB32);
        QPainter painter(&canvas);
        d.PaletteBox->drawItem(painter, QRect(0, 0, 100, 20), 0, false);
        painter.end();
        // the depth glyph "4" at (2, 2), the origin glyph 前 at (20, 2)
        const QImage depth = glyphs.pixmap(1).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage origin = glyphs.pixmap(6).toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(canvas.copy(2, 2, 16, 16), depth);
        EXPECT_EQ(canvas.copy(20, 2, 16, 16), origin);
        // a palette file's depth code without a glyph draws none, not an
        // origin glyph in its place
        main().lists().palettes.append(
            PaletteEntry{std::make_shared<Palette>(), "x", 7, PaletteOrigin::PaletteFile}, "x.gpl");
        QImage odd(100, 20, QImage::Format_RGB32);
        QPainter oddPainter(&odd);
        d.PaletteBox->drawItem(oddPainter, QRect(0, 0, 100, 20), 1, false);
        oddPainter.end();
        QImage blank(16, 16, QImage::Format_RGB32);
        blank.fill(d.PaletteBox->palette().base().color());
        EXPECT_EQ(odd.copy(2, 2, 16, 16), blank);
    });
}

TEST_F(DialogTest, APaletteReadInTheDialogIsOfferedUntilTheNextRun) {
    ScopedEnv dataHome("XDG_DATA_HOME", path("data").c_str());
    const std::string gpl = path("web.gpl");
    savePaletteFile(gpl, PaletteLabel::fromText("ﾃｽﾄ"), 1, Palette(std::vector<Rgb>(16))).take(gpl);
    platform.openAnswers = {{gpl, path("b.bmp")}, {path("junk.gpl")}};
    main().DropFiles({bmp("eight.bmp", PixelFormat::Bpp8)});
    reduce([&](TGenSetDlg& d) {
        pick(d, ReductionMenu::GivenPalette);
        EXPECT_EQ(d.PaletteBox->count(), 1);
        d.LoadButton->click();  // only the first file is read
        EXPECT_EQ(d.PaletteBox->count(), 2);
        EXPECT_EQ(d.PaletteBox->currentIndex(), 1);
        EXPECT_EQ(d.PaletteBox->currentText(), "web.gpl");
        const PaletteEntry& e = main().lists().palettes.at(1);
        EXPECT_EQ(e.label, "ﾃｽﾄ        ");  // filler spaces kept
        EXPECT_EQ(e.origin, PaletteOrigin::PaletteFile);
        d.LoadButton->click();  // a file that cannot be read changes nothing
        EXPECT_EQ(d.PaletteBox->count(), 2);
        EXPECT_EQ(d.PaletteBox->currentIndex(), 1);
    });
    ASSERT_EQ(platform.openRequests.size(), 2u);
    EXPECT_FALSE(platform.openRequests[0].multiSelect);
    EXPECT_EQ(platform.messages.size(), 1u);
    reduce([&](TGenSetDlg& d) {
        EXPECT_EQ(d.PaletteBox->count(), 1);
        EXPECT_EQ(main().lists().palettes.size(), 1);
    });
}

}  // namespace
