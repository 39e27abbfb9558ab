// The source and result image viewers: sizing to the image, the strip under
// the mouse, scrolling, the arrows and menus, Esc, and the main window's
// commands that open them.
#include <QMenuBar>
#include <QScrollBar>

#include "gui/viewer_fixture.h"
#include "viewers/view_image.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

using ImageViewerTest = ViewerTest;

// --- the picture

// Odd widths pad every row, so a picture that shares the rows must step by
// the bitmap's stride; every format shows the colours pixelValue gives.
TEST(ViewImage, EveryFormatShowsTheBitmapsColours) {
    for (PixelFormat f :
         {PixelFormat::Bpp1, PixelFormat::Bpp4, PixelFormat::Bpp8, PixelFormat::Bpp15,
          PixelFormat::Bpp16, PixelFormat::Bpp24, PixelFormat::Bpp32}) {
        Bitmap b(7, 5, f);
        if (isPaletted(f)) {
            std::vector<Rgb> entries;
            for (int i = 0; i < 3; ++i) entries.push_back(Rgb{std::uint8_t(40 * i + 9), 200, 7});
            b.setPaletteEntries(Palette(entries));  // fewer entries than indexes
        }
        for (int y = 0; y < 5; ++y)
            for (std::size_t i = 0; i < b.stride(); ++i)
                b.row(y)[i] = std::uint8_t(37 * y + 11 * i);
        const QImage image = viewImage(b);
        ASSERT_EQ(image.size(), QSize(7, 5));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                EXPECT_EQ(image.pixel(x, y), 0xff000000u | b.pixelValue(x, y))
                    << formatName(f) << " " << x << "," << y;
    }
}

// --- sizing

TEST_F(ImageViewerTest, ImageOf640By480FillsTheClientAreaWithoutScrollBars) {
    addSource("a.bmp", 640, 480);
    source().openEntry(0, QStringLiteral("元絵:"));
    EXPECT_EQ(source().areaSize(), QSize(640, 480));
    settle();
    EXPECT_TRUE(source().painted());
    EXPECT_EQ(source().clientSize(), QSize(640, 480));
    EXPECT_FALSE(source().ScrollBox->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(source().ScrollBox->verticalScrollBar()->isVisible());
    EXPECT_EQ(source().imagePosition(), QPoint(0, 0));
}

TEST_F(ImageViewerTest, WiderImageGetsScrollBarsOnlyAfterTheFirstPaint) {
    addSource("wide.bmp", 641, 100);
    source().ShowEntry(0);
    EXPECT_EQ(source().areaSize(), QSize(640, 100));
    EXPECT_FALSE(source().painted());
    EXPECT_EQ(source().ScrollBox->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    source().show();
    settle();
    EXPECT_EQ(source().areaSize(), QSize(640, 100));
    QScrollBar* h = source().ScrollBox->horizontalScrollBar();
    ASSERT_TRUE(h->isVisible());
    EXPECT_EQ(h->singleStep(), 10);
    EXPECT_EQ(source().ScrollBox->verticalScrollBar()->singleStep(), 10);
    // the bars reach the last column
    EXPECT_EQ(h->maximum(), 641 - source().clientSize().width());
}

TEST_F(ImageViewerTest, NarrowImageIsCentredInTheStripsWidth) {
    addSource("tall.bmp", 100, 300);
    source().openEntry(0, QStringLiteral("元絵:"));
    settle();
    EXPECT_EQ(source().clientSize(), QSize(195, 300));
    EXPECT_EQ(source().imagePosition(), QPoint(47, 0));
    EXPECT_FALSE(source().Panel1->isVisible());
}

TEST_F(ImageViewerTest, ImageLowerThanTheStripKeepsItShownAbove) {
    addSource("tiny.bmp", 50, 10);
    source().openEntry(0, QStringLiteral("元絵:"));
    settle();
    EXPECT_EQ(source().clientSize(), QSize(195, 37));
    EXPECT_EQ(source().imagePosition(), QPoint(72, 27));
    EXPECT_TRUE(source().Panel1->isVisible());
    EXPECT_EQ(source().Panel1->geometry(), QRect(0, 0, 195, 27));
    // moving below the strip does not take it away
    mouseMove(source().ScrollBox->viewport(), QPoint(10, 33));
    mouseMove(source().MPreImage, QPoint(5, 5));
    EXPECT_TRUE(source().Panel1->isVisible());
}

TEST_F(ImageViewerTest, UserCannotMakeTheWindowSmallerThanTheMinimum) {
    addSource("a.bmp", 400, 300);
    source().openEntry(0, QStringLiteral("元絵:"));
    const QSize frame = source().frameGeometry().size() - source().size();
    EXPECT_EQ(source().minimumSize() + frame, QSize(219, 89));
}

TEST_F(ImageViewerTest, ResizingRecentresAndGoesBackToTheCorner) {
    addSource("a.bmp", 300, 200);
    source().openEntry(0, QStringLiteral("元絵:"));
    settle();
    source().resize(500, 400);
    settle();
    const QSize c = source().clientSize();
    EXPECT_EQ(source().imagePosition(), QPoint((c.width() - 300) / 2, (c.height() - 200) / 2));
    // smaller than the image: scrolled back to the top-left corner
    source().ScrollBox->verticalScrollBar()->setValue(0);
    source().resize(250, 150);
    settle();
    source().ScrollBox->verticalScrollBar()->setValue(20);
    source().resize(240, 150);
    settle();
    EXPECT_EQ(source().imagePosition(), QPoint(0, 0));
    EXPECT_EQ(source().ScrollBox->verticalScrollBar()->value(), 0);
}

// --- the strip

TEST_F(ImageViewerTest, StripFollowsTheMouseInTheTopRows) {
    addSource("tall.bmp", 100, 300);
    source().openEntry(0, QStringLiteral("元絵:"));
    settle();
    QWidget* image = source().MPreImage;
    QWidget* bare = source().ScrollBox->widget();  // left of the image
    mouseMove(image, QPoint(50, 26));
    EXPECT_TRUE(source().Panel1->isVisible());
    mouseMove(image, QPoint(50, 27));
    EXPECT_FALSE(source().Panel1->isVisible());
    mouseMove(bare, QPoint(10, 3));
    EXPECT_TRUE(source().Panel1->isVisible());
    mouseMove(bare, QPoint(10, 200));
    EXPECT_FALSE(source().Panel1->isVisible());
}

TEST_F(ImageViewerTest, StripKeepsToTheWindowTopWhileScrolled) {
    addSource("big.bmp", 800, 900);
    source().openEntry(0, QStringLiteral("元絵:"));
    settle();
    QScrollBar* v = source().ScrollBox->verticalScrollBar();
    v->setValue(100);
    EXPECT_FALSE(source().Panel1->isVisible());  // scrolling hides it
    // image row 110 is now 10 pixels from the top of the client area
    mouseMove(source().MPreImage, QPoint(5, 110));
    EXPECT_TRUE(source().Panel1->isVisible());
    mouseMove(source().MPreImage, QPoint(5, 130));
    EXPECT_FALSE(source().Panel1->isVisible());
}

// --- stepping, menus, keys

TEST_F(ImageViewerTest, ArrowsAndMenuFollowThePosition) {
    auto states = [&] {
        source().C1Click();
        return std::vector<bool>{source().UpButton->isEnabled(), source().DownButton->isEnabled(),
                                 source().U1->isEnabled(), source().D1->isEnabled()};
    };
    addSource("one.bmp", 40, 40);
    source().openEntry(0, QStringLiteral("元絵:"));
    EXPECT_EQ(states(), (std::vector<bool>{false, false, false, false}));
    addSource("two.bmp", 60, 40);
    addSource("three.bmp", 80, 40);
    source().openEntry(0, QStringLiteral("元絵:"));
    EXPECT_EQ(states(), (std::vector<bool>{false, true, false, true}));
    source().DownButton->click();
    EXPECT_EQ(source().MotoBox->currentIndex(), 1);
    EXPECT_EQ(source().windowTitle(), QStringLiteral("元絵:two.bmp"));
    EXPECT_EQ(states(), (std::vector<bool>{true, true, true, true}));
    source().D1->trigger();
    EXPECT_EQ(source().windowTitle(), QStringLiteral("元絵:three.bmp"));
    EXPECT_EQ(source().MPreImage->size(), QSize(80, 40));
    EXPECT_EQ(states(), (std::vector<bool>{true, false, true, false}));
    source().U1->trigger();
    source().UpButton->click();
    EXPECT_EQ(source().MotoBox->currentIndex(), 0);
    EXPECT_TRUE(source().C2->isEnabled());
}

TEST_F(ImageViewerTest, ChoosingInTheSelectorShowsThatEntry) {
    addSource("a.bmp", 40, 40);
    addSource("b.bmp", 70, 50);
    source().openEntry(0, QStringLiteral("元絵:"));
    source().MotoBox->setCurrentIndex(1);
    emit source().MotoBox->activated(1);
    EXPECT_EQ(source().windowTitle(), QStringLiteral("元絵:b.bmp"));
    EXPECT_EQ(source().MPreImage->size(), QSize(70, 50));
    EXPECT_FALSE(source().DownButton->isEnabled());
}

TEST_F(ImageViewerTest, EscClosesFromTheWindowAndFromTheSelector) {
    addSource("a.bmp", 40, 40);
    source().openEntry(0, QStringLiteral("元絵:"));
    escape(&source());
    EXPECT_FALSE(source().isVisible());
    source().openEntry(0, QStringLiteral("元絵:"));
    escape(source().MotoBox);
    EXPECT_FALSE(source().isVisible());
    result();  // the result viewer closes alike
    addResult("r.bmp");
    result().openEntry(0, QStringLiteral("減色後:"));
    escape(result().GenBox);
    EXPECT_FALSE(result().isVisible());
}

TEST_F(ImageViewerTest, MinimisedViewerIsRestoredByTheNextEntry) {
    addSource("a.bmp", 40, 40);
    source().openEntry(0, QStringLiteral("元絵:"));
    source().setWindowState(Qt::WindowMinimized);
    source().openEntry(0, QStringLiteral("元絵:"));
    EXPECT_FALSE(source().windowState() & Qt::WindowMinimized);
}

// --- the main window's commands

TEST_F(ImageViewerTest, DoubleClickShowsTheFocusedLine) {
    addSource("a.bmp", 40, 40, PixelFormat::Bpp8);
    addSource("b.bmp", 30, 20, PixelFormat::Bpp4);
    main().ui().MotoListBox->setCurrentRow(1);
    main().MotoListBoxDblClick();
    EXPECT_TRUE(source().isVisible());
    EXPECT_EQ(source().windowTitle(), QStringLiteral("元絵:b.bmp"));
    EXPECT_EQ(source().MotoBox->currentIndex(), 1);
    EXPECT_EQ(source().MPreImage->size(), QSize(30, 20));
}

TEST_F(ImageViewerTest, DoubleClickOnAnEmptyListDoesNothing) {
    main().MotoListBoxDblClick();
    main().GenListViewDblClick();
    main().P1Click();
    EXPECT_FALSE(source().isVisible());
    EXPECT_FALSE(result().isVisible());
    EXPECT_FALSE(palette().isVisible());
    EXPECT_EQ(source().windowTitle(), QStringLiteral("MPreForm"));
}

TEST_F(ImageViewerTest, ResultDoubleClickShowsTheLowestSelectedRow) {
    for (int i = 0; i < 5; ++i) addResult("r" + std::to_string(i) + ".bmp");
    main().ui().GenListView->topLevelItem(2)->setSelected(true);
    main().ui().GenListView->topLevelItem(4)->setSelected(true);
    main().GenListViewDblClick();
    EXPECT_TRUE(result().isVisible());
    EXPECT_EQ(result().windowTitle(), QStringLiteral("減色後:r2.bmp"));
    EXPECT_EQ(result().GenBox->currentIndex(), 2);
    // the viewer's own navigation writes its own prefix
    result().DownButton->click();
    EXPECT_EQ(result().windowTitle(), QStringLiteral("減色絵:r3.bmp"));
}

TEST_F(ImageViewerTest, SelectorsFollowDeletedEntries) {
    for (int i = 0; i < 3; ++i) addResult("r" + std::to_string(i) + ".bmp");
    for (int i = 0; i < 4; ++i) addSource("s" + std::to_string(i) + ".bmp", 20, 20);
    selectLines({0, 2});
    main().D1Click();
    ASSERT_EQ(source().MotoBox->count(), 2);
    EXPECT_EQ(source().MotoBox->itemText(1), QStringLiteral("s3.bmp"));
    main().ui().GenListView->topLevelItem(0)->setSelected(true);
    main().D2Click();
    ASSERT_EQ(palette().PalBox->count(), 2);
    // the remaining rows open at their new positions in every selector
    main().ui().GenListView->clearSelection();
    main().ui().GenListView->topLevelItem(0)->setSelected(true);
    main().P1Click();
    EXPECT_EQ(palette().PalBox->currentIndex(), 0);
    EXPECT_EQ(palette().windowTitle(), QStringLiteral("減色後:r1.bmpのパレット"));
    main().GenListViewDblClick();
    EXPECT_EQ(result().GenBox->itemText(result().GenBox->currentIndex()), QStringLiteral("r1.bmp"));
    EXPECT_FALSE(result().UpButton->isEnabled());
    EXPECT_TRUE(result().DownButton->isEnabled());
}

// --- the result viewer's palette clicks

TEST_F(ImageViewerTest, SecondImageClickInARowIsSwallowed) {
    addResult("a.bmp");
    addResult("b.bmp", PixelFormat::Bpp4);
    result().openEntry(1, QStringLiteral("減色後:"));
    click(result().GPreImage, QPoint(2, 2));
    ASSERT_TRUE(palette().isVisible());
    EXPECT_EQ(palette().windowTitle(), QStringLiteral("減色絵:b.bmpのパレット"));
    EXPECT_EQ(palette().PalBox->currentIndex(), 1);
    palette().hide();
    click(result().GPreImage, QPoint(2, 2));
    EXPECT_FALSE(palette().isVisible());
    click(result().GPreImage, QPoint(2, 2));
    EXPECT_TRUE(palette().isVisible());
    // a press on the menu bar between two clicks lets the second one open it
    palette().hide();
    press(result().MainMenu1, QPoint(1, 1));
    click(result().GPreImage, QPoint(2, 2));
    EXPECT_TRUE(palette().isVisible());
}

TEST_F(ImageViewerTest, ClosingThePaletteViewerLetsTheNextClickOpenIt) {
    addResult("a.bmp");
    result().openEntry(0, QStringLiteral("減色後:"));
    result().P1->trigger();
    ASSERT_TRUE(palette().isVisible());
    palette().close();
    click(result().GPreImage, QPoint(1, 1));
    EXPECT_TRUE(palette().isVisible());
}

// --- image information and colour count

TEST_F(ImageViewerTest, InformationAndCountAreShownUnderTheProductName) {
    Bitmap b(320, 200, PixelFormat::Bpp8);
    Palette pal(std::vector<Rgb>(256));
    pal.set(7, Rgb{1, 2, 3});
    b.setPaletteEntries(pal);
    b.setIndex(1, 1, 7);
    main().lists().sources.append(makeImageEntry(path("a.bmp"), b), "a.bmp");
    source().openEntry(0, QStringLiteral("元絵:"));
    source().I1->trigger();
    source().C2->trigger();
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0],
              (Message{"＜画像情報＞\nBMP名:a.bmp\n320×200\n８bitビットマップ", "カラリス"}));
    EXPECT_EQ(platform.messages[1], (Message{"この画像の色数は\n2", "カラリス"}));
}

TEST_F(ImageViewerTest, RefusedCountBufferShowsNoNumber) {
    addResult("a.bmp", PixelFormat::Bpp8);
    result().openEntry(0, QStringLiteral("減色後:"));
    result().PaletteShown = 1;
    result().setMemoryHook([](std::size_t) { return false; });
    result().C2Click();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], memoryMessage());
    EXPECT_EQ(result().PaletteShown, 0);
}

}  // namespace
