// Where the viewer's parts go: the window sized to its image, the image
// placed in the client area, the strip shown and hidden by the mouse, and
// the events that set these off.
#include "viewers/image_viewer.h"

#include <QKeyEvent>
#include <QMenuBar>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "viewers/viewer_window.h"
#include "viewers/zoom.h"
#include "widgets/window_place.h"

namespace kararisu {

namespace {

// The smallest outer size the user can drag the window to.
constexpr int kMinOuterWidth = ImageViewer::PW + 24;   // 219
constexpr int kMinOuterHeight = ImageViewer::PH + 62;  // 89

int menuHeight(QMenuBar* bar, int width) {
    const int h = bar->heightForWidth(width);
    return h > 0 ? h : bar->sizeHint().height();
}

}  // namespace

// --- geometry

QSize ImageViewer::clientSize() const {
    return ScrollBox->viewport()->size();
}

QSize ImageViewer::areaSize() const {
    return ScrollBox->size();
}

QPoint ImageViewer::imagePosition() const {
    return Picture->pos();
}

void ImageViewer::placeChildren() {
    const int mh = menuHeight(MainMenu1, width());
    MainMenu1->setGeometry(0, 0, width(), mh);
    ScrollBox->setGeometry(0, mh, width(), std::max(0, height() - mh));
}

void ImageViewer::setClientSize(int cw, int ch) {
    sized_ = QSize(cw, ch + menuHeight(MainMenu1, cw));
    applyMinimum();
    resize(sized_);
    placeChildren();
    ScrollBox->viewport()->resize(cw, ch);
}

// The frame the window manager adds counts toward the smallest outer size,
// and is known once the window has been framed; the viewer's own sizing may
// go below the minimum for a tiny image.
void ImageViewer::applyMinimum() {
    const QMargins m = expectedFrame(*this);
    const QSize frame(m.left() + m.right(), m.top() + m.bottom());
    setMinimumSize(std::min(kMinOuterWidth - frame.width(), sized_.width()),
                   std::min(kMinOuterHeight - frame.height(), sized_.height()));
}

void ImageViewer::setScrolling(bool on) {
    const Qt::ScrollBarPolicy policy = on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    ScrollBox->setHorizontalScrollBarPolicy(policy);
    ScrollBox->setVerticalScrollBarPolicy(policy);
    if (!on) {
        ScrollBox->horizontalScrollBar()->setValue(0);
        ScrollBox->verticalScrollBar()->setValue(0);
    }
}

void ImageViewer::placeImage(QPoint at) {
    Picture->move(at);
    ScrollBox->widget()->resize(at.x() + Picture->width(), at.y() + Picture->height());
}

// The window was resized after the first paint: centre what fits, keep the
// strip over an image lower than it, and at natural size go back to the
// top-left corner when the image is at least as tall as the client area
// (zoomed, the view stays where the user took it). A fitted image is
// fitted to the new size.
void ImageViewer::relayout() {
    if (!painted_ || layingOut_ || !viewBitmap_) return;
    if (fitting_) {
        const QSize room = areaSize();
        const double fit =
            fitZoom(viewBitmap_->width(), viewBitmap_->height(), room.width(), room.height());
        if (fit != zoom()) {
            zoomAbout(fit, ScrollBox->viewport()->rect().center());
            return;
        }
    }
    layOut(zoom() == 1);
}

// Places the picture in the client area as it now is; the image's height
// on screen decides about the strip, as the bitmap's does at natural size.
void ImageViewer::layOut(bool backToCorner) {
    if (layingOut_ || !viewBitmap_) return;
    layingOut_ = true;
    // Placing the image may switch a scroll bar on or off, which changes
    // the client area once more.
    for (int pass = 0; pass < 3; ++pass) {
        const QSize c = clientSize();
        const int iw = Picture->width(), ih = Picture->height();
        const int left = iw < c.width() ? (c.width() - iw) / 2 : 0;
        int top = 0;
        if (ih < PH) {
            if (c.height() - PH > ih + 1) {
                top = (c.height() - ih) / 2;
                Panel1->hide();
            } else {
                top = PH;
                showStrip();
            }
        } else {
            if (c.height() > ih) {
                top = (c.height() - ih) / 2;
            } else if (backToCorner) {
                ScrollBox->horizontalScrollBar()->setValue(0);
                ScrollBox->verticalScrollBar()->setValue(0);
            }
            Panel1->hide();
        }
        placeImage(QPoint(left, top));
        if (clientSize() == c) break;
    }
    layingOut_ = false;
}

void ImageViewer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeChildren();
}

// --- the strip

void ImageViewer::showStrip() {
    Panel1->move(0, 0);
    Panel1->show();
    Panel1->raise();
}

void ImageViewer::hideStrip() {
    Panel1->hide();
}

void ImageViewer::mouseMovedOver(QWidget* source, QPoint position) {
    if (!viewBitmap_) return;
    const int y = source->mapTo(ScrollBox->viewport(), position).y();
    const int bh = Picture->height();
    if (source == Picture) {
        if (bh <= PH) return;
        if (y < PH)
            showStrip();
        else
            hideStrip();
        return;
    }
    if (y < PH)
        showStrip();
    else if (Panel1->isVisible() && (bh > PH || clientSize().height() - PH > bh + 1))
        hideStrip();
}

// --- events

void ImageViewer::firstPaint() {
    if (painted_) return;
    painted_ = true;
    // After the paint, not inside it: the scroll bars change the layout.
    QMetaObject::invokeMethod(
        this, [this] { setScrolling(true); }, Qt::QueuedConnection);
}

void ImageViewer::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    applyMinimum();
    placeCentred(*this);
    UpdateButtons();
}

void ImageViewer::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Hidden by the program or closed: the picture and the bitmap it
    // shares go until the next entry is shown.
    if (event->spontaneous()) return;
    Picture->setImage(QImage());
    resetView();
    viewBitmap_.reset();
}

void ImageViewer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool ImageViewer::isClientPart(const QObject* o) const {
    return o == Picture || o == ScrollBox->widget() || o == ScrollBox->viewport();
}

// Whatever holds the keyboard focus in the window.
bool ImageViewer::isKeyPart(const QObject* o) const {
    return o == this || o == ScrollBox || o == Selector || isClientPart(o);
}

bool ImageViewer::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Paint:
            // Whichever part of the client area is painted first.
            if (watched == ScrollBox->viewport() || watched == ScrollBox->widget() ||
                watched == Picture)
                firstPaint();
            break;
        case QEvent::MouseButtonPress:
            if (watched == MainMenu1 || watched == ScrollBox->horizontalScrollBar() ||
                watched == ScrollBox->verticalScrollBar())
                framePressed();
            break;
        case QEvent::NonClientAreaMouseButtonPress:
            if (watched == this) framePressed();
            break;
        case QEvent::Resize:
            if (watched == ScrollBox->viewport()) relayout();
            break;
        // Handled where the mouse is, and not passed on to the parents.
        case QEvent::MouseMove:
            if (isClientPart(watched)) {
                mouseMovedOver(static_cast<QWidget*>(watched),
                               static_cast<QMouseEvent*>(event)->position().toPoint());
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (isClientPart(watched)) {
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) clicked();
                return true;
            }
            break;
        case QEvent::Wheel:
            if (isClientPart(watched))
                return wheelZoom(static_cast<QWidget*>(watched), static_cast<QWheelEvent*>(event));
            break;
        case QEvent::KeyPress:
            if (watched == Selector && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                close();
                return true;
            }
            if (isKeyPart(watched)) return spaceKey(static_cast<QKeyEvent*>(event));
            break;
        case QEvent::KeyRelease:
            if (isKeyPart(watched)) return spaceKey(static_cast<QKeyEvent*>(event));
            break;
        case QEvent::WindowDeactivate:
            // A Space let go in another window is never reported here.
            if (watched == this && spaceHeld_) {
                spaceHeld_ = false;
                applyComparison();
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kararisu
