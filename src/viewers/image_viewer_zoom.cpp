// The image viewer's view menu: zoom in steps, natural size, the fit to the
// window, and before and after.
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "viewers/image_viewer.h"
#include "viewers/view_image.h"
#include "viewers/zoom.h"

namespace kararisu {

namespace {

constexpr int kWheelStep = 120;  // one notch of an ordinary wheel

}  // namespace

void ImageViewer::buildViewMenu() {
    V1 = MainMenu1->addMenu(QStringLiteral("表示(&V)"));
    Z1 = V1->addAction(QStringLiteral("拡大(&I)"));
    // "+" is shifted on most keyboards: Ctrl+= and Ctrl+; (its unshifted key
    // on a Japanese keyboard) zoom in as well.
    Z1->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal),
                      QKeySequence(Qt::CTRL | Qt::Key_Semicolon)});
    Z2 = V1->addAction(QStringLiteral("縮小(&O)"));
    Z2->setShortcuts({QKeySequence::ZoomOut});
    Z3 = V1->addAction(QStringLiteral("等倍(&N)"));
    Z3->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    Z4 = V1->addAction(QStringLiteral("ウィンドウに合わせる(&W)"));
    connect(Z1, &QAction::triggered, this, [this] { zoomIn(); });
    connect(Z2, &QAction::triggered, this, [this] { zoomOut(); });
    connect(Z3, &QAction::triggered, this, [this] { zoomNatural(); });
    connect(Z4, &QAction::triggered, this, [this] { zoomToFit(); });
}

void ImageViewer::offerComparison() {
    V1->addSeparator();
    // Space is held, not pressed, so it is no shortcut of the item; the
    // menu shows it all the same.
    B1 = V1->addAction(QStringLiteral("元絵と比べる(&B)\tSpace"));
    B1->setCheckable(true);
    B1->setEnabled(false);
    connect(B1, &QAction::toggled, this, [this] { applyComparison(); });
}

void ImageViewer::setCaption(const QString& caption) {
    caption_ = caption;
    updateCaption();
}

void ImageViewer::updateCaption() {
    QString title = caption_;
    if (comparing()) title += QStringLiteral("（元絵）");
    if (zoom() != 1)
        title += QStringLiteral("\u3000") + QString::fromStdString(zoomPercent(zoom()));
    setWindowTitle(title);
}

void ImageViewer::updateViewActions() {
    const bool shown = viewBitmap_ && !viewBitmap_->isEmpty();
    const int longest = shown ? std::max(viewBitmap_->width(), viewBitmap_->height()) : 0;
    Z1->setEnabled(shown && zoomStepIn(zoom(), longest) != zoom());
    Z2->setEnabled(shown && zoomStepOut(zoom()) != zoom());
    Z3->setEnabled(shown);
    Z4->setEnabled(shown);
    if (B1) B1->setEnabled(canCompare());
}

// Each entry starts at natural size, showing itself.
void ImageViewer::resetView() {
    fitting_ = false;
    spaceHeld_ = false;
    wheelAngle_ = 0;
    if (B1) {
        const QSignalBlocker quiet(B1);
        B1->setChecked(false);
    }
    Picture->showStandIn(false);
    original_.reset();
}

QPoint ImageViewer::zoomAnchor() const {
    const QWidget* client = ScrollBox->viewport();
    const QPoint mouse = client->mapFromGlobal(QCursor::pos());
    if (client->underMouse() && client->rect().contains(mouse)) return mouse;
    return client->rect().center();
}

void ImageViewer::zoomIn() {
    if (!viewBitmap_) return;
    fitting_ = false;
    zoomAbout(zoomStepIn(zoom(), std::max(viewBitmap_->width(), viewBitmap_->height())),
              zoomAnchor());
}

void ImageViewer::zoomOut() {
    fitting_ = false;
    zoomAbout(zoomStepOut(zoom()), zoomAnchor());
}

void ImageViewer::zoomNatural() {
    fitting_ = false;
    zoomAbout(1, ScrollBox->viewport()->rect().center());
}

void ImageViewer::zoomToFit() {
    if (!viewBitmap_) return;
    fitting_ = true;
    // The whole area, as the picture needs no scroll bars once it fits.
    const QSize room = areaSize();
    zoomAbout(fitZoom(viewBitmap_->width(), viewBitmap_->height(), room.width(), room.height()),
              ScrollBox->viewport()->rect().center());
}

void ImageViewer::zoomAbout(double zoom, QPoint anchor) {
    if (!viewBitmap_ || viewBitmap_->isEmpty()) return;
    // The image point under the anchor, in image pixels.
    const QPoint corner = Picture->mapTo(ScrollBox->viewport(), QPoint(0, 0));
    const double old = this->zoom();
    const double ix =
        std::clamp((anchor.x() - corner.x()) / old, 0.0, double(viewBitmap_->width()));
    const double iy =
        std::clamp((anchor.y() - corner.y()) / old, 0.0, double(viewBitmap_->height()));
    // A zoom before the first paint needs the scroll bars at once.
    if (!painted_) {
        painted_ = true;
        setScrolling(true);
    }
    Picture->setZoom(zoom);
    layOut(false);
    ScrollBox->horizontalScrollBar()->setValue(
        int(std::lround(Picture->x() + ix * zoom - anchor.x())));
    ScrollBox->verticalScrollBar()->setValue(
        int(std::lround(Picture->y() + iy * zoom - anchor.y())));
    updateCaption();
    updateViewActions();
}

// Ctrl and the wheel: a step for each notch, about the mouse.
bool ImageViewer::wheelZoom(QWidget* source, QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier) || !viewBitmap_) return false;
    wheelAngle_ += event->angleDelta().y();
    const QPoint anchor = source->mapTo(ScrollBox->viewport(), event->position().toPoint());
    for (; wheelAngle_ >= kWheelStep; wheelAngle_ -= kWheelStep) {
        fitting_ = false;
        zoomAbout(zoomStepIn(zoom(), std::max(viewBitmap_->width(), viewBitmap_->height())),
                  anchor);
    }
    for (; wheelAngle_ <= -kWheelStep; wheelAngle_ += kWheelStep) {
        fitting_ = false;
        zoomAbout(zoomStepOut(zoom()), anchor);
    }
    event->accept();
    return true;
}

// --- before and after

bool ImageViewer::canCompare() const {
    return B1 && viewBitmap_ && original_ && original_->width() == viewBitmap_->width() &&
           original_->height() == viewBitmap_->height() && !viewBitmap_->isEmpty();
}

// Space held shows the other picture of the two B1 chooses between.
bool ImageViewer::spaceKey(QKeyEvent* event) {
    if (!B1 || event->key() != Qt::Key_Space || event->modifiers() != Qt::NoModifier) return false;
    if (!event->isAutoRepeat()) {
        spaceHeld_ = event->type() == QEvent::KeyPress;
        applyComparison();
    }
    return true;
}

void ImageViewer::applyComparison() {
    const bool on = canCompare() && (B1->isChecked() != spaceHeld_);
    // The source's picture is made when first asked for, and kept while the
    // entry is shown.
    if (on && !Picture->hasStandIn()) Picture->setStandIn(viewImage(*original_));
    Picture->showStandIn(on);
    updateCaption();
}

}  // namespace kararisu
