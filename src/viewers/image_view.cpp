#include "viewers/image_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "viewers/zoom.h"

namespace kararisu {

namespace {

const QColor kWindowGrey(128, 128, 128);
// The grid flips one bit of each channel: every colour changes by the same
// step, dark or light, and no colour hides it.
const QColor kGridFlip(0x40, 0x40, 0x40);

}  // namespace

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void ImageView::setImage(QImage image) {
    images_[0] = std::move(image);
    images_[1] = QImage();
    reduced_[0] = reduced_[1] = QImage();
    shown_ = 0;
    update();
}

void ImageView::setStandIn(QImage image) {
    images_[1] = std::move(image);
    reduced_[1] = QImage();
    if (images_[1].isNull()) shown_ = 0;
    update();
}

void ImageView::showStandIn(bool on) {
    const int shown = on && hasStandIn() ? 1 : 0;
    if (shown == shown_) return;
    shown_ = shown;
    update();
}

void ImageView::setZoom(double zoom) {
    zoom_ = zoom;
    reduced_[0] = reduced_[1] = QImage();
    const QSize natural = images_[0].size();
    resize(zoomedLength(natural.width(), zoom), zoomedLength(natural.height(), zoom));
    update();
}

const QBrush& ImageView::checkerboard() {
    static const QBrush brush = [] {
        QImage tile(16, 16, QImage::Format_RGB32);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                tile.setPixel(x, y, ((x < 8) == (y < 8)) ? 0xffffffffu : 0xffccccccu);
        return QBrush(tile);
    }();
    return brush;
}

const QImage& ImageView::reduced() {
    QImage& r = reduced_[shown_];
    if (r.size() != size())
        r = images_[shown_].scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return r;
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect r = event->rect();
    if (image().isNull()) {
        p.fillRect(r, kWindowGrey);
        return;
    }
    // The squares keep their size on screen at every zoom.
    if (image().hasAlphaChannel()) p.fillRect(r, checkerboard());
    if (zoom_ == 1) {
        p.drawImage(r, image(), r);
    } else if (zoom_ < 1) {
        p.drawImage(r, reduced(), r);
    } else {
        drawEnlarged(p, r);
    }
}

// Only the image pixels under the exposed part are drawn, however large
// the whole picture is on screen.
void ImageView::drawEnlarged(QPainter& p, const QRect& exposed) {
    const QImage& image = this->image();
    const int x0 = std::clamp(int(exposed.left() / zoom_), 0, image.width());
    const int y0 = std::clamp(int(exposed.top() / zoom_), 0, image.height());
    const int x1 = std::clamp(int(std::ceil((exposed.right() + 1) / zoom_)), x0, image.width());
    const int y1 = std::clamp(int(std::ceil((exposed.bottom() + 1) / zoom_)), y0, image.height());
    const auto screen = [this](int i) { return int(std::floor(i * zoom_)); };
    p.drawImage(QRectF(screen(x0), screen(y0), screen(x1) - screen(x0), screen(y1) - screen(y0)),
                image, QRectF(x0, y0, x1 - x0, y1 - y0));
    if (zoom_ < kGridFrom) return;
    // A line of one screen pixel at the left and the top of each image
    // pixel but the first; the rows stop short of the columns, so no
    // crossing is flipped twice.
    std::vector<QRect> lines;
    const int top = screen(y0), bottom = screen(y1);
    for (int x = std::max(x0, 1); x < x1; ++x) lines.emplace_back(screen(x), top, 1, bottom - top);
    for (int y = std::max(y0, 1); y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const int left = x == 0 ? 0 : screen(x) + 1;
            lines.emplace_back(left, screen(y), screen(x + 1) - left, 1);
        }
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(Qt::NoPen);
    p.setBrush(kGridFlip);
    p.drawRects(lines.data(), int(lines.size()));
}

}  // namespace kararisu
