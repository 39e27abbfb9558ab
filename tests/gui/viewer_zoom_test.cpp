// Zoom and before/after in the image viewers: the steps and the fit, how the
// picture is painted at each zoom, the point under the mouse kept, the
// caption, and a result shown against the image it was reduced from.
#include <QMenu>
#include <QScrollBar>
#include <QWheelEvent>

#include "gui/reduce_fixture.h"
#include "gui/viewer_fixture.h"
#include "viewers/view_image.h"
#include "viewers/zoom.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

using ZoomTest = ViewerTest;

TEST(ZoomSteps, StepsFitAndPercent) {
    std::vector<double> in{1.0 / 8};
    while (zoomStepIn(in.back(), 100) != in.back()) in.push_back(zoomStepIn(in.back(), 100));
    EXPECT_EQ(in, std::vector<double>(std::begin(kZoomSteps), std::end(kZoomSteps)));
    EXPECT_EQ(zoomStepOut(1.0 / 8), 1.0 / 8);
    EXPECT_EQ(zoomStepOut(1), 0.5);
    // between steps (a fit), the next step either way
    EXPECT_EQ(zoomStepIn(0.7, 100), 1);
    EXPECT_EQ(zoomStepOut(0.7), 0.5);
    EXPECT_EQ(zoomStepOut(0.01), 0.01);
    // a picture never grows past the longest side the screen may hold
    EXPECT_EQ(zoomStepIn(16, 40000), 24);
    EXPECT_EQ(zoomStepIn(24, 50000), 24);
    // whole multiples from 1 up, at most the last step; any fraction below
    EXPECT_EQ(fitZoom(50, 40, 400, 300), 7);
    EXPECT_EQ(fitZoom(10, 10, 1000, 1000), 32);
    EXPECT_EQ(fitZoom(640, 480, 640, 480), 1);
    EXPECT_DOUBLE_EQ(fitZoom(1200, 900, 640, 480), 640.0 / 1200);
    EXPECT_EQ(zoomedLength(1200, fitZoom(1200, 900, 640, 480)), 640);
    EXPECT_EQ(zoomedLength(3, 1.0 / 8), 1);
    EXPECT_EQ(zoomedLength(0, 8), 0);
    EXPECT_EQ(zoomPercent(8), "800%");
    EXPECT_EQ(zoomPercent(1.0 / 8), "12.5%");
    EXPECT_EQ(zoomPercent(1.0 / 3), "33.3%");
    EXPECT_EQ(zoomPercent(0.5), "50%");
}

// --- painting

// Four columns and three rows of colours no grid flip can give by chance.
Bitmap checker(PixelFormat f) {
    Bitmap b(4, 3, f);
    const Rgb colours[] = {{200, 30, 30}, {30, 200, 30}, {30, 30, 200}, {250, 250, 250}};
    const int n = f == PixelFormat::Bpp1 ? 2 : 4;
    if (isPaletted(f)) b.setPaletteEntries(Palette(std::vector<Rgb>(colours, colours + n)));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const int i = (x + y) % n;
            if (isPaletted(f)) {
                b.setIndex(x, y, unsigned(i));
            } else {
                std::uint8_t* p = b.row(y) + 3 * x;
                p[0] = colours[i].b, p[1] = colours[i].g, p[2] = colours[i].r;
            }
        }
    return b;
}

QImage rendered(ImageView& view, QRect part = QRect()) {
    if (part.isNull()) part = view.rect();
    QImage out(part.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    view.render(&out, QPoint(), QRegion(part));
    return out;
}

TEST(ImageViewPaint, EnlargedPixelsAreWholeBlocksWithAGridFromEightOn) {
    for (PixelFormat f :
         {PixelFormat::Bpp1, PixelFormat::Bpp4, PixelFormat::Bpp8, PixelFormat::Bpp24}) {
        const Bitmap b = checker(f);
        ImageView view(nullptr);
        view.setImage(viewImage(b));
        for (int zoom : {2, 8, 12}) {
            view.setZoom(zoom);
            ASSERT_EQ(view.size(), QSize(4 * zoom, 3 * zoom));
            const QImage out = rendered(view);
            for (int y = 0; y < out.height(); ++y)
                for (int x = 0; x < out.width(); ++x) {
                    const int px = x / zoom, py = y / zoom;
                    const bool line =
                        zoom >= 8 && ((x % zoom == 0 && px > 0) || (y % zoom == 0 && py > 0));
                    const QRgb want = (0xff000000u | b.pixelValue(px, py)) ^ (line ? 0x404040u : 0);
                    ASSERT_EQ(out.pixel(x, y), want)
                        << formatName(f) << " at " << zoom << "x, screen " << x << "," << y;
                }
            // Painting a part alone gives that part of the whole.
            const QRect part(zoom + 3, zoom / 2, 2 * zoom - 1, 2 * zoom);
            EXPECT_EQ(rendered(view, part), out.copy(part)) << formatName(f) << " " << zoom;
        }
    }
}

// Squares of 8 screen pixels whatever the zoom, seen through transparency.
TEST(ImageViewPaint, TransparentPixelsShowTheCheckerboard) {
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, 0x00000000u);
    image.setPixel(1, 0, 0xff102030u);
    ImageView view(nullptr);
    view.setImage(image);
    view.setZoom(12);
    const QImage out = rendered(view);
    EXPECT_EQ(out.pixel(0, 0), 0xffffffffu);
    EXPECT_EQ(out.pixel(8, 0), 0xffccccccu);
    EXPECT_EQ(out.pixel(0, 8), 0xffccccccu);
    EXPECT_EQ(out.pixel(13, 1), 0xff102030u);
}

TEST(ImageViewPaint, ReducedPicturesAreSmoothedAndTheStandInSwapsIn) {
    // Blocks of 2 x 2 pixels: halved, each becomes its block's colour; the
    // lone pixel's block becomes a blend of both.
    Bitmap b(4, 2, PixelFormat::Bpp24);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            std::uint8_t* p = b.row(y) + 3 * x;
            p[0] = p[1] = p[2] = x < 2 ? 40 : 200;
        }
    b.row(0)[0] = b.row(0)[1] = b.row(0)[2] = 240;
    Bitmap other(4, 2, PixelFormat::Bpp24);
    for (int y = 0; y < 2; ++y) std::fill_n(other.row(y), 12, std::uint8_t(90));
    ImageView view(nullptr);
    view.setImage(viewImage(b));
    view.setZoom(0.5);
    ASSERT_EQ(view.size(), QSize(2, 1));
    QImage out = rendered(view);
    EXPECT_EQ(out.pixel(1, 0), qRgb(200, 200, 200));
    EXPECT_GT(qRed(out.pixel(0, 0)), 40);
    EXPECT_LT(qRed(out.pixel(0, 0)), 240);
    view.setStandIn(viewImage(other));
    view.showStandIn(true);
    EXPECT_EQ(rendered(view).pixel(1, 0), qRgb(90, 90, 90));
    view.showStandIn(false);
    EXPECT_EQ(rendered(view), out);
    // a new picture takes the stand-in with the old one
    view.setImage(viewImage(b));
    view.showStandIn(true);
    EXPECT_FALSE(view.showingStandIn());
}

// --- the viewer

TEST_F(ZoomTest, StepsKeepThePointUnderTheMouse) {
    addSource("a.bmp", 200, 150);
    source().openEntry(0, QStringLiteral("元絵:"));
    settle();
    QWidget* client = source().ScrollBox->viewport();
    const QPoint mouse(50, 40);
    source().zoomAbout(8, mouse);
    EXPECT_EQ(source().MPreImage->size(), QSize(1600, 1200));
    EXPECT_EQ(source().MPreImage->mapTo(client, QPoint(400, 320)), mouse);
    EXPECT_EQ(source().windowTitle(), QStringLiteral("元絵:a.bmp\u3000800%"));
    // the window keeps its size, the image scrolls in it
    settle();
    EXPECT_EQ(source().areaSize(), QSize(200, 150));
    EXPECT_TRUE(source().ScrollBox->horizontalScrollBar()->isVisible());
    EXPECT_EQ(source().MPreImage->mapTo(client, QPoint(400, 320)), mouse);

    // Ctrl and the wheel, a step a notch; the wheel alone scrolls
    // (the wheel event comes to the picture, in its own coordinates)
    QWheelEvent up(QPointF(400, 320), QPointF(client->mapToGlobal(mouse)), QPoint(), QPoint(0, 120),
                   Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(source().MPreImage, &up);
    EXPECT_EQ(source().zoom(), 12);
    EXPECT_EQ(source().MPreImage->mapTo(client, QPoint(600, 480)), mouse);
    QWheelEvent plain(QPointF(600, 480), QPointF(client->mapToGlobal(mouse)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(source().MPreImage, &plain);
    EXPECT_EQ(source().zoom(), 12);

    // the menu's steps keep the middle when the mouse is elsewhere
    source().Z2->trigger();
    EXPECT_EQ(source().zoom(), 8);
    source().Z3->trigger();
    EXPECT_EQ(source().zoom(), 1);
    EXPECT_EQ(source().windowTitle(), QStringLiteral("元絵:a.bmp"));
    EXPECT_EQ(source().MPreImage->size(), QSize(200, 150));
    EXPECT_EQ(source().imagePosition(), QPoint(0, 0));
    for (int i = 0; i < 5; ++i) source().Z2->trigger();
    EXPECT_EQ(source().zoom(), 1.0 / 8);
    EXPECT_FALSE(source().Z2->isEnabled());
    EXPECT_EQ(source().windowTitle(), QStringLiteral("元絵:a.bmp\u300012.5%"));
    // small, it sits in the middle once the scroll bars are gone
    settle();
    EXPECT_EQ(source().MPreImage->size(), QSize(25, 18));
    EXPECT_EQ(source().imagePosition(), QPoint((200 - 25) / 2, (150 - 18) / 2));
}

TEST_F(ZoomTest, FitFollowsTheWindowUntilAnotherZoom) {
    addSource("big.bmp", 1200, 900);
    addSource("small.bmp", 50, 40);
    source().openEntry(0, QStringLiteral("元絵:"));
    settle();
    source().Z4->trigger();
    settle();
    EXPECT_TRUE(source().fitting());
    EXPECT_EQ(source().MPreImage->size(), QSize(640, 480));
    EXPECT_FALSE(source().ScrollBox->horizontalScrollBar()->isVisible());
    EXPECT_EQ(source().windowTitle(), QStringLiteral("元絵:big.bmp\u300053.3%"));
    source().resize(source().width() - 340, source().height());
    settle();
    EXPECT_EQ(source().MPreImage->size(), QSize(300, 225));
    source().Z1->trigger();
    EXPECT_FALSE(source().fitting());
    EXPECT_EQ(source().zoom(), 1.0 / 3);

    // a small image is enlarged by whole multiples
    source().DownButton->click();
    EXPECT_EQ(source().zoom(), 1);
    source().resize(400, 300 + source().height() - source().areaSize().height());
    settle();
    source().zoomToFit();
    settle();
    EXPECT_EQ(source().zoom(), 7);
    EXPECT_EQ(source().MPreImage->size(), QSize(350, 280));
}

TEST_F(ZoomTest, ZoomedViewStaysPutWhenTheWindowIsResizedAndEachEntryStartsNatural) {
    addSource("a.bmp", 300, 200);
    addSource("b.bmp", 100, 300);
    source().openEntry(0, QStringLiteral("元絵:"));
    settle();
    source().zoomAbout(4, QPoint(150, 100));
    QScrollBar* v = source().ScrollBox->verticalScrollBar();
    const int scrolled = v->value();
    ASSERT_GT(scrolled, 0);
    source().resize(source().width() - 20, source().height() - 20);
    settle();
    EXPECT_EQ(v->value(), scrolled);
    // the next entry is sized as at natural size, whatever came before
    source().DownButton->click();
    settle();
    EXPECT_EQ(source().zoom(), 1);
    EXPECT_EQ(source().windowTitle(), QStringLiteral("元絵:b.bmp"));
    EXPECT_EQ(source().clientSize(), QSize(195, 300));
    EXPECT_EQ(source().imagePosition(), QPoint(47, 0));
}

// --- before and after

class CompareTest : public ReduceTest {
  protected:
    TGPreForm& viewer() { return *program->windows().GPreForm; }
    void addSource(const std::string& name, Bitmap b) {
        main().lists().sources.append(makeImageEntry(path(name), std::move(b)), name);
    }
    static void settle() {
        for (int i = 0; i < 4; ++i) QApplication::processEvents();
    }
    static void key(QWidget* w, QEvent::Type type, bool repeat = false) {
        QKeyEvent e(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), repeat);
        QApplication::sendEvent(w, &e);
    }
};

// Every way of reducing hands each result the image it came from; a merged
// palette has none.
TEST_F(CompareTest, ResultsKnowTheImageTheyWereReducedFrom) {
    addSource("a.bmp", Bitmap(6, 4, PixelFormat::Bpp24));
    main().lists().sources.append(
        makeImageEntry(path("b.png"), Bitmap(5, 5, PixelFormat::Bpp8), ImageFormat::Png), "b.png");
    selectLines({0, 1});
    reduceWith(0, ReductionMenu::Individual);
    reduceWith(0, ReductionMenu::Reference, 1);
    reduceWith(0, ReductionMenu::GivenPalette, 0);
    const ResultList& results = main().lists().results;
    ASSERT_EQ(results.size(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(results.at(i).source, main().lists().sources.at(i % 2).bitmap) << i;
        // and the format of its file, which it is saved in
        EXPECT_EQ(results.at(i).format, i % 2 ? ImageFormat::Png : ImageFormat::Bmp) << i;
    }
    // the source stays with its results when its line is deleted
    const std::shared_ptr<const Bitmap> a = main().lists().sources.at(0).bitmap;
    selectLines({0});
    main().D1Click();
    EXPECT_EQ(results.at(0).source, a);
    addResultRow("merged.bmp");
    EXPECT_EQ(results.at(6).source, nullptr);
}

TEST_F(CompareTest, SpaceHeldOrTheItemTickedShowsTheSourceInPlace) {
    Bitmap original(40, 30, PixelFormat::Bpp24);
    for (int y = 0; y < 30; ++y) std::fill_n(original.row(y), 120, std::uint8_t(y < 15 ? 10 : 220));
    addSource("a.bmp", std::move(original));
    selectLines({0});
    reduceWith(0, ReductionMenu::Individual);
    addResultRow("merged.bmp");
    TGPreForm& v = viewer();
    v.openEntry(0, QStringLiteral("減色後:"));
    settle();
    const QImage result = v.GPreImage->image();
    v.zoomAbout(8, QPoint(10, 10));
    const int h = v.ScrollBox->horizontalScrollBar()->value();
    const int vv = v.ScrollBox->verticalScrollBar()->value();

    key(&v, QEvent::KeyPress);
    EXPECT_TRUE(v.comparing());
    EXPECT_EQ(v.GPreImage->image(), viewImage(*main().lists().sources.at(0).bitmap));
    EXPECT_EQ(v.windowTitle(), QStringLiteral("減色後:a.bmp（元絵）\u3000800%"));
    key(v.GenBox, QEvent::KeyRelease, true);  // the key repeating
    EXPECT_TRUE(v.comparing());
    key(v.GenBox, QEvent::KeyRelease);
    EXPECT_FALSE(v.comparing());
    EXPECT_EQ(v.GPreImage->image(), result);
    EXPECT_EQ(v.windowTitle(), QStringLiteral("減色後:a.bmp\u3000800%"));
    // same zoom, same place
    EXPECT_EQ(v.zoom(), 8);
    EXPECT_EQ(v.ScrollBox->horizontalScrollBar()->value(), h);
    EXPECT_EQ(v.ScrollBox->verticalScrollBar()->value(), vv);

    // the item latches it; Space then shows the result while held
    ASSERT_TRUE(v.B1->isEnabled());
    v.B1->trigger();
    EXPECT_TRUE(v.comparing());
    key(v.ScrollBox, QEvent::KeyPress);
    EXPECT_FALSE(v.comparing());
    key(v.ScrollBox, QEvent::KeyRelease);
    EXPECT_TRUE(v.comparing());

    // the next result starts as itself; a merged palette has no source
    v.DownButton->click();
    EXPECT_FALSE(v.comparing());
    EXPECT_FALSE(v.B1->isChecked());
    EXPECT_FALSE(v.B1->isEnabled());
    key(&v, QEvent::KeyPress);
    EXPECT_FALSE(v.comparing());
    key(&v, QEvent::KeyRelease);
    // the source viewer offers no comparison
    EXPECT_EQ(program->windows().MPreForm->B1, nullptr);
}

}  // namespace
