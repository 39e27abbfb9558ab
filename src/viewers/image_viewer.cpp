#include "viewers/image_viewer.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>

#include "app/glyphs.h"
#include "app/platform.h"
#include "viewers/image_info.h"
#include "viewers/view_image.h"
#include "viewers/viewer_window.h"

namespace kararisu {

namespace {

constexpr int kMaxClientWidth = 640;
constexpr int kMaxClientHeight = 480;
// The smallest outer size the user can drag the window to.
constexpr int kMinOuterWidth = ImageViewer::PW + 24;   // 219
constexpr int kMinOuterHeight = ImageViewer::PH + 62;  // 89
constexpr int kScrollStep = 10;
const QColor kWindowGrey(128, 128, 128);

int menuHeight(QMenuBar* bar, int width) {
    const int h = bar->heightForWidth(width);
    return h > 0 ? h : bar->sizeHint().height();
}

QFont gothic(const char* family, int pixelSize) {
    QFont f(QString::fromUtf8(family));
    f.setPixelSize(pixelSize);
    return f;
}

}  // namespace

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void ImageView::setImage(QImage image) {
    image_ = std::move(image);
    update();
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect r = event->rect();
    if (image_.isNull())
        p.fillRect(r, kWindowGrey);
    else
        p.drawImage(r, image_, r);
}

ImageViewer::ImageViewer(Platform& platform, const GlyphList& glyphs, const QString& name,
                         const QString& prefix)
    : QWidget(nullptr, Qt::Window), platform_(platform), glyphs_(glyphs), prefix_(prefix) {
    setObjectName(name);
    setWindowTitle(name);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(gothic("ＭＳ Ｐゴシック", 12));
    QPalette grey = palette();
    grey.setColor(QPalette::Window, kWindowGrey);
    setPalette(grey);
    setAutoFillBackground(true);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setNativeMenuBar(false);
    useDesktopColours(*MainMenu1);
    MainMenu1->installEventFilter(this);
    installEventFilter(this);
    C1 = MainMenu1->addMenu(QStringLiteral("操作(&C)"));
    U1 = C1->addAction(QStringLiteral("前の画像(&U)"));
    D1 = C1->addAction(QStringLiteral("次の画像(&D)"));
    C1->addSeparator();
    C2 = C1->addAction(QStringLiteral("色数を調べる(&C)"));
    C1->addSeparator();
    Close1 = C1->addAction(QStringLiteral("閉じる(&X)"));
    I1 = MainMenu1->addAction(QStringLiteral("画像情報(&I)"));
    connect(C1, &QMenu::aboutToShow, this, [this] { C1Click(); });
    connect(U1, &QAction::triggered, this, [this] { UpButtonClick(); });
    connect(D1, &QAction::triggered, this, [this] { DownButtonClick(); });
    connect(C2, &QAction::triggered, this, [this] { C2Click(); });
    connect(Close1, &QAction::triggered, this, &QWidget::close);
    connect(I1, &QAction::triggered, this, [this] { I1Click(); });

    ScrollBox = new QScrollArea(this);
    ScrollBox->setFrameShape(QFrame::NoFrame);
    ScrollBox->setWidgetResizable(false);
    ScrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox->viewport()->setAutoFillBackground(true);
    ScrollBox->viewport()->setMouseTracking(true);
    ScrollBox->viewport()->installEventFilter(this);
    auto* content = new QWidget;
    content->setMouseTracking(true);
    content->installEventFilter(this);
    Picture = new ImageView(content);
    Picture->installEventFilter(this);
    ScrollBox->setWidget(content);
    for (QScrollBar* bar : {ScrollBox->horizontalScrollBar(), ScrollBox->verticalScrollBar()}) {
        bar->setSingleStep(kScrollStep);
        bar->setTracking(true);
        bar->installEventFilter(this);
        // The strip stays where it is while the picture moves under it.
        connect(bar, &QScrollBar::valueChanged, this, [this] { hideStrip(); });
    }
    setScrolling(false);

    Panel1 = new QFrame(ScrollBox->viewport());
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    useDesktopColours(*Panel1);
    Panel1->setGeometry(0, 0, PW, PH);
    Panel1->hide();
    UpButton = makeArrowButton(Panel1, true, 0);
    DownButton = makeArrowButton(Panel1, false, 24);
    connect(UpButton, &QToolButton::clicked, this, [this] { UpButtonClick(); });
    connect(DownButton, &QToolButton::clicked, this, [this] { DownButtonClick(); });
    Selector = new GlyphComboBox(
        Panel1, glyphs_, [this](int i) { return i >= 0 && i < count() ? entryAt(i).depth : -1; });
    Selector->setFont(gothic("ＭＳ ゴシック", 12));
    Selector->setGeometry(50, 0, 145, 26);
    Selector->installEventFilter(this);
    connect(Selector, &QComboBox::activated, this, [this](int k) { ShowEntry(k); });

    resize(246, 216);
    placeChildren();
}

// --- showing an entry

void ImageViewer::openEntry(int k, const QString& prefix) {
    if (k < 0 || k >= count()) return;
    hide();
    ShowEntry(k);
    setWindowTitle(prefix + Selector->itemText(k));
    Selector->setCurrentIndex(k);
    show();
    activateWindow();
}

void ImageViewer::ShowEntry(int k) {
    showEntry(k, false);
}

// The arrows select the entry they step to before the buttons follow.
void ImageViewer::showEntry(int k, bool select) {
    if (k < 0 || k >= count()) return;
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    const ImageEntry& entry = entryAt(k);
    setWindowTitle(prefix_ + Selector->itemText(k));
    setWindowIcon(glyphs_.icon(entry.depth));
    // The list's bitmap never changes, so sharing it is the copy; the
    // picture is made once here, and the previous one goes with it.
    Picture->setImage(QImage());
    viewBitmap_ = entry.bitmap;
    Picture->setImage(viewImage(*viewBitmap_));
    painted_ = false;
    const int bw = viewBitmap_->width(), bh = viewBitmap_->height();
    Picture->resize(bw, bh);
    setScrolling(false);
    const int cw = bw > kMaxClientWidth ? kMaxClientWidth : std::max(PW, bw);
    const int ch = bh > kMaxClientHeight ? kMaxClientHeight : bh < PH ? bh + PH : bh;
    setClientSize(cw, ch);
    if (bh < PH)
        showStrip();
    else
        Panel1->hide();
    if (select) Selector->setCurrentIndex(k);
    placeImage(QPoint(bw < cw ? (cw - bw) / 2 : 0, bh < PH ? PH : 0));
    UpdateButtons();
}

void ImageViewer::UpdateButtons() {
    restoreIfMinimised(*this);
    const auto [up, down] = arrows();
    UpButton->setEnabled(up);
    DownButton->setEnabled(down);
}

std::pair<bool, bool> ImageViewer::arrows() const {
    const int n = count();
    const int i = Selector->currentIndex();
    return {n > 1 && i > 0, n > 1 && i != n - 1};
}

void ImageViewer::UpButtonClick() {
    showEntry(Selector->currentIndex() - 1, true);
}

void ImageViewer::DownButtonClick() {
    showEntry(Selector->currentIndex() + 1, true);
}

void ImageViewer::C1Click() {
    const auto [up, down] = arrows();
    U1->setEnabled(up);
    D1->setEnabled(down);
    C2->setEnabled(viewBitmap_ && !viewBitmap_->isEmpty());
}

// --- the two reports

void ImageViewer::I1Click() {
    const int k = Selector->currentIndex();
    if (k < 0 || k >= count()) return;
    const ImageEntry& entry = entryAt(k);
    platform_.show(Message{
        imageInformationText(Selector->itemText(k).toStdString(), *entry.bitmap, entry.depth),
        kApplicationTitle});
}

void ImageViewer::C2Click() {
    const int k = Selector->currentIndex();
    if (k < 0 || k >= count()) return;
    const std::shared_ptr<const Bitmap> bitmap = entryAt(k).bitmap;
    if (bitmap->isEmpty()) return;
    WorkArea work(&platform_);
    if (memoryHook_) work.setHook(memoryHook_);
    // A refused buffer has shown its own message; no number is shown then.
    if (std::optional<std::string> text = colorCountReport(*bitmap, work))
        platform_.show(Message{*text, kApplicationTitle});
}

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

int ImageViewer::shownIndex() const {
    return viewBitmap_ ? Selector->currentIndex() : -1;
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
// and is known once the window has been shown; the viewer's own sizing may
// go below the minimum for a tiny image.
void ImageViewer::applyMinimum() {
    const QSize frame = frameGeometry().size() - size();
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
// strip over an image lower than it, and go back to the top-left corner
// when the image is at least as tall as the client area.
void ImageViewer::relayout() {
    if (!painted_ || layingOut_ || !viewBitmap_) return;
    layingOut_ = true;
    // Placing the image may switch a scroll bar on or off, which changes
    // the client area once more.
    for (int pass = 0; pass < 3; ++pass) {
        const QSize c = clientSize();
        const int iw = Picture->width(), ih = Picture->height();
        const int left = iw < c.width() ? (c.width() - iw) / 2 : 0;
        int top = 0;
        if (viewBitmap_->height() < PH) {
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
            } else {
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
    const int bh = viewBitmap_->height();
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
    centreOnScreen(*this);
    UpdateButtons();
}

void ImageViewer::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Hidden by the program or closed: the picture and the bitmap it
    // shares go until the next entry is shown.
    if (event->spontaneous()) return;
    Picture->setImage(QImage());
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
        case QEvent::KeyPress:
            if (watched == Selector && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                close();
                return true;
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kararisu
