// The image viewer: its parts, the entry it shows and its two reports. Where
// the parts go as the window is sized, and the events that move them, are in
// image_viewer_layout.cpp.
#include "viewers/image_viewer.h"

#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>

#include "support/platform.h"
#include "widgets/window_ref.h"
#include "viewers/image_info.h"
#include "viewers/view_image.h"
#include "viewers/viewer_window.h"
#include "widgets/fonts.h"
#include "widgets/glyphs.h"

namespace kararisu {

namespace {

constexpr int kMaxClientWidth = 640;
constexpr int kMaxClientHeight = 480;
constexpr int kScrollStep = 10;
const QColor kWindowGrey(128, 128, 128);

}  // namespace

ImageViewer::ImageViewer(Platform& platform, const GlyphList& glyphs, const QString& name,
                         const QString& prefix)
    : QWidget(nullptr, Qt::Window), platform_(platform), glyphs_(glyphs), prefix_(prefix) {
    setObjectName(name);
    setWindowTitle(name);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(uiFont(kPropGothic, 12));
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
    buildViewMenu();
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
    ScrollBox->installEventFilter(this);
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
    Selector->setFont(uiFont(kGothic, 12));
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
    setCaption(prefix + Selector->itemText(k));
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
    setWindowIcon(glyphs_.icon(entry.depth));
    // The list's bitmap never changes, so sharing it is the copy; the
    // picture is made once here, and the previous one goes with it.
    Picture->setImage(QImage());
    resetView();
    viewBitmap_ = entry.bitmap;
    original_ = entry.source;
    Picture->setImage(viewImage(*viewBitmap_));
    Picture->setZoom(1);
    setCaption(prefix_ + Selector->itemText(k));
    painted_ = false;
    const int bw = viewBitmap_->width(), bh = viewBitmap_->height();
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
    updateViewActions();
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
    platform_.show(windowRef(this), Message{
        imageInformationText(Selector->itemText(k).toStdString(), *entry.bitmap, entry.depth),
        kApplicationTitle});
}

void ImageViewer::C2Click() {
    const int k = Selector->currentIndex();
    if (k < 0 || k >= count()) return;
    const std::shared_ptr<const Bitmap> bitmap = entryAt(k).bitmap;
    if (bitmap->isEmpty()) return;
    WindowReporter reporter(platform_, windowRef(this));
    WorkArea work(&reporter);
    if (memoryHook_) work.setHook(memoryHook_);
    // A refused buffer has shown its own message; no number is shown then.
    if (std::optional<std::string> text = colorCountReport(*bitmap, work))
        platform_.show(windowRef(this), Message{*text, kApplicationTitle});
}

}  // namespace kararisu
