// The palette viewer: grid sizes by depth, the cells' colours, the index and
// colour read-out with its label positions in both bases, and the arrows.
#include "gui/viewer_fixture.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

class PaletteViewerTest : public ViewerTest {
  protected:
    // An 8-bit result whose entry i is (i, 255 - i, i / 2), with entry 77
    // set to (255, 0, 10).
    Bitmap ramp() {
        Bitmap b(4, 4, PixelFormat::Bpp8);
        std::vector<Rgb> entries;
        for (int i = 0; i < 256; ++i)
            entries.push_back(Rgb{std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)});
        entries[77] = Rgb{255, 0, 10};
        b.setPaletteEntries(Palette(entries));
        return b;
    }
    // The centre of cell k's fill.
    static QPoint cell(int k) { return QPoint((k % 16) * 22 + 10, (k / 16) * 22 + 10); }
    void hover(int k) { mouseMove(palette().PPreImage, cell(k)); }
    std::vector<int> lefts() {
        return {palette().RLabel->x(), palette().GLabel->x(), palette().BLabel->x()};
    }
    std::vector<QString> values() {
        return {palette().RLabel->text(), palette().GLabel->text(), palette().BLabel->text()};
    }
    void openOnly() {
        main().ui().GenListView->topLevelItem(0)->setSelected(true);
        main().P1Click();
    }
};

// The viewer stays open through a delete; it shows what its selector names.
TEST_F(PaletteViewerTest, ADeletedResultGivesWayToTheOneTheSelectorNames) {
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) addResult(name, ramp());
    Bitmap red(4, 4, PixelFormat::Bpp8);
    red.setPaletteEntries(Palette(std::vector<Rgb>(256, Rgb{200, 0, 0})));
    main().lists().results.removeAt(2);
    addResult("c.bmp", std::move(red));
    QTreeWidget* rows = main().ui().GenListView;
    rows->topLevelItem(1)->setSelected(true);
    main().P1Click();
    ASSERT_TRUE(palette().isVisible());
    main().D2Click();  // b, still selected
    EXPECT_TRUE(palette().isVisible());
    EXPECT_EQ(palette().PalBox->currentText(), "c.bmp");
    EXPECT_EQ(palette().windowTitle(), "減色絵:c.bmpのパレット");
    EXPECT_EQ(palette().PPreImage->picture.pixel(cell(0)), qRgb(200, 0, 0));
    EXPECT_TRUE(palette().UpButton->isEnabled());
    EXPECT_FALSE(palette().DownButton->isEnabled());  // c is the last now

    // Deleting a result before the shown one keeps it, and its arrows follow.
    rows->topLevelItem(0)->setSelected(true);
    main().D2Click();
    EXPECT_EQ(palette().PalBox->currentText(), "c.bmp");
    EXPECT_EQ(palette().windowTitle(), "減色絵:c.bmpのパレット");
    EXPECT_FALSE(palette().UpButton->isEnabled());

    // With no result left the window stays, showing nothing.
    rows->topLevelItem(0)->setSelected(true);
    main().D2Click();
    EXPECT_TRUE(palette().isVisible());
    EXPECT_EQ(palette().windowTitle(), "PPreForm");
    EXPECT_TRUE(palette().PPreImage->picture.isNull());
    EXPECT_FALSE(palette().UpButton->isEnabled());
    EXPECT_FALSE(palette().DownButton->isEnabled());
}

TEST_F(PaletteViewerTest, GridSizeFollowsTheResultsDepth) {
    addResult("one.bmp", PixelFormat::Bpp1);
    addResult("four.bmp", PixelFormat::Bpp4);
    addResult("eight.bmp", PixelFormat::Bpp8);
    const struct {
        QSize picture, client;
    } want[] = {{{44, 22}, {352, 73}}, {{352, 22}, {352, 73}}, {{352, 352}, {352, 403}}};
    for (int k = 0; k < 3; ++k) {
        palette().openResult(k, QStringLiteral("減色後:"));
        EXPECT_EQ(palette().PPreImage->size(), want[k].picture) << k;
        EXPECT_EQ(palette().size(), want[k].client) << k;
    }
}

TEST_F(PaletteViewerTest, CellsShowTheEntriesByIndex) {
    addResult("r.bmp", ramp());
    openOnly();
    const QImage& grid = palette().PPreImage->picture;
    for (int k : {0, 5, 77, 200, 255}) {
        const QPoint c = cell(k);
        const Rgb e = main().lists().results.at(0).bitmap->palette().at(std::size_t(k));
        EXPECT_EQ(grid.pixel(c), qRgb(e.r, e.g, e.b)) << k;
        // the fill spans 19 pixels inside a black outline; a white gap follows
        const QPoint corner((k % 16) * 22, (k / 16) * 22);
        EXPECT_EQ(grid.pixel(corner + QPoint(1, 1)), qRgb(e.r, e.g, e.b)) << k;
        EXPECT_EQ(grid.pixel(corner + QPoint(19, 19)), qRgb(e.r, e.g, e.b)) << k;
        EXPECT_EQ(grid.pixel(corner), qRgb(0, 0, 0)) << k;
        EXPECT_EQ(grid.pixel(corner + QPoint(20, 20)), qRgb(0, 0, 0)) << k;
        EXPECT_EQ(grid.pixel(corner + QPoint(21, 21)), qRgb(255, 255, 255)) << k;
    }
}

TEST_F(PaletteViewerTest, IndexLabelMovesByItsDigits) {
    addResult("r.bmp", ramp());
    openOnly();
    EXPECT_EQ(palette().NLabel->text(), QString());
    const struct { int k, left; } cases[] = {{5, 102}, {42, 91}, {200, 80}};
    for (const auto& c : cases) {
        hover(c.k);
        EXPECT_EQ(palette().NLabel->text(), QString::number(c.k));
        EXPECT_EQ(palette().NLabel->x(), c.left) << c.k;
        EXPECT_EQ(palette().NLabel->y(), 28);
    }
    // cell 200 of the ramp: (200, 55, 100)
    EXPECT_EQ(values(), (std::vector<QString>{"C8", "37", "64"}));
    EXPECT_EQ(palette().LastColor, 200u | (55u << 8) | (100u << 16));
}

TEST_F(PaletteViewerTest, ColourInBothBasesWithTheLabelPositions) {
    addResult("r.bmp", ramp());
    openOnly();
    hover(77);
    EXPECT_EQ(values(), (std::vector<QString>{"FF", "00", "0A"}));
    EXPECT_EQ(lefts(), (std::vector<int>{152, 216, 280}));
    palette().DButton->click();
    EXPECT_TRUE(palette().DButton->isChecked());
    EXPECT_FALSE(palette().HButton->isChecked());
    EXPECT_EQ(values(), (std::vector<QString>{"255", "0", "10"}));
    EXPECT_EQ(lefts(), (std::vector<int>{152, 238, 291}));
    palette().HButton->click();
    EXPECT_EQ(values(), (std::vector<QString>{"FF", "00", "0A"}));
    EXPECT_EQ(lefts(), (std::vector<int>{152, 216, 280}));
}

TEST_F(PaletteViewerTest, DecimalBeforeAnyHoverShowsBlack) {
    addResult("r.bmp", ramp());
    openOnly();
    palette().DButton->click();
    EXPECT_EQ(values(), (std::vector<QString>{"0", "0", "0"}));
    EXPECT_EQ(lefts(), (std::vector<int>{174, 238, 302}));
}

TEST_F(PaletteViewerTest, OutlinesGapsAndEmptyAreaLeaveTheLabels) {
    addResult("r.bmp", ramp());
    openOnly();
    hover(5);
    for (QPoint p : {QPoint(5 * 22, 10), QPoint(5 * 22 + 20, 10), QPoint(5 * 22 + 21, 10),
                     QPoint(10, 22 * 3 + 21), QPoint(400, 10)})
        mouseMove(palette().PPreImage, p);
    EXPECT_EQ(palette().NLabel->text(), QStringLiteral("5"));
}

TEST_F(PaletteViewerTest, TwoCellsOfAOneBitResult) {
    Bitmap b(4, 4, PixelFormat::Bpp1);
    b.setPaletteEntries(Palette({Rgb{1, 2, 3}, Rgb{250, 251, 252}}));
    addResult("mono.bmp", b);
    openOnly();
    hover(1);
    EXPECT_EQ(values(), (std::vector<QString>{"FA", "FB", "FC"}));
    hover(2);  // beyond the picture
    EXPECT_EQ(palette().NLabel->text(), QStringLiteral("1"));
}

TEST_F(PaletteViewerTest, ArrowsStepThroughTheResults) {
    addResult("a.bmp");
    openOnly();
    EXPECT_FALSE(palette().UpButton->isEnabled());
    EXPECT_FALSE(palette().DownButton->isEnabled());
    addResult("b.bmp", PixelFormat::Bpp1);
    palette().openResult(0, QStringLiteral("減色後:"));
    EXPECT_FALSE(palette().UpButton->isEnabled());
    EXPECT_TRUE(palette().DownButton->isEnabled());
    hover(3);
    palette().DownButton->click();
    EXPECT_EQ(palette().PalBox->currentIndex(), 1);
    EXPECT_EQ(palette().windowTitle(), QStringLiteral("減色絵:b.bmpのパレット"));
    EXPECT_EQ(palette().size(), QSize(352, 73));
    EXPECT_EQ(palette().NLabel->text(), QString());  // emptied by the refresh
    EXPECT_TRUE(palette().UpButton->isEnabled());
    EXPECT_FALSE(palette().DownButton->isEnabled());
}

TEST_F(PaletteViewerTest, EscClosesAndTellsTheResultViewer) {
    addResult("a.bmp");
    openOnly();
    result().PaletteShown = 1;
    escape(palette().PalBox);
    EXPECT_FALSE(palette().isVisible());
    EXPECT_EQ(result().PaletteShown, 0);
    openOnly();
    escape(&palette());
    EXPECT_FALSE(palette().isVisible());
}

}  // namespace
