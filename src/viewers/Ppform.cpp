#include "viewers/Ppform.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "viewers/viewer_window.h"
#include "widgets/fonts.h"
#include "widgets/glyphs.h"
#include "widgets/window_place.h"

namespace kararisu {

namespace {

constexpr int kPanelHeight = 51;
constexpr int kWidth = 352;
constexpr int kLabelTop = 28;
// Left edges of the three value labels for three digits; each digit less
// moves a number right by one digit's width, so they end at one edge.
constexpr int kRLeft = 152, kGLeft = 216, kBLeft = 280, kDigit = 11;

}  // namespace

PaletteView::PaletteView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void PaletteView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    if (picture.isNull())
        p.fillRect(event->rect(), Qt::black);  // the window's own colour
    else
        p.drawImage(event->rect(), picture, event->rect());
}

void PaletteView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit mouseMoved(at.x(), at.y());
}

TPPreForm::TPPreForm(ResultList& results, const GlyphList& glyphs)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      results_(results),
      glyphs_(glyphs) {
    setObjectName(QStringLiteral("PPreForm"));
    setWindowTitle(QStringLiteral("PPreForm"));
    setAttribute(Qt::WA_QuitOnClose, false);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    setFixedSize(kWidth, 403);

    Panel1 = new QFrame(this);
    Panel1->setGeometry(0, 0, kWidth, kPanelHeight);
    useDesktopColours(*Panel1);
    UpButton = makeArrowButton(Panel1, true, 0);
    DownButton = makeArrowButton(Panel1, false, 24);
    connect(UpButton, &QToolButton::clicked, this, [this] { UpButtonClick(); });
    connect(DownButton, &QToolButton::clicked, this, [this] { DownButtonClick(); });
    PalBox = new GlyphComboBox(Panel1, glyphs_, [this](int i) {
        return i >= 0 && i < results_.size() ? results_.at(i).depth : -1;
    });
    PalBox->setFont(uiFont(kGothic, 12));
    PalBox->setGeometry(50, 0, 145, 26);
    PalBox->installEventFilter(this);
    connect(PalBox, &QComboBox::activated, this, [this](int k) { showResult(k, true); });

    DButton = new QToolButton(Panel1);
    DButton->setText(QStringLiteral("10進数"));
    DButton->setGeometry(208, 0, 57, 25);
    HButton = new QToolButton(Panel1);
    HButton->setText(QStringLiteral("16進数"));
    HButton->setGeometry(264, 0, 57, 25);
    for (QToolButton* b : {DButton, HButton}) {
        b->setFont(uiFont(kGothic, 12, true));
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    HButton->setChecked(true);
    connect(DButton, &QToolButton::clicked, this, [this] { DButtonClick(); });
    connect(HButton, &QToolButton::clicked, this, [this] { HButtonClick(); });

    Bevel1 = new QFrame(Panel1);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(0, 24, kWidth, 26);
    auto label = [this](const char* text, int left) {
        auto* l = new QLabel(QString::fromUtf8(text), Panel1);
        l->setFont(uiFont(kGothic, 20, true));
        l->adjustSize();
        l->move(left, kLabelTop);
        return l;
    };
    NoLabel = label("No．", 48);
    NLabel = label("55", 80);
    RRLabel = label("R:", 128);
    RLabel = label("DD", kRLeft);
    GGLabel = label("G:", 192);
    GLabel = label("255", kGLeft);
    BBLabel = label("B:", 256);
    BLabel = label("255", kBLeft);

    PPreImage = new PaletteView(this);
    PPreImage->setGeometry(0, kPanelHeight, kWidth, kWidth);
    connect(PPreImage, &PaletteView::mouseMoved, this,
            [this](int x, int y) { PPreImageMouseMove(x, y); });

    selector_ =
        std::make_unique<ComboMirror<ResultList>>(results_, PalBox, [this] { followList(); });
}

void TPPreForm::openResult(int k, const QString& prefix) {
    if (k < 0 || k >= results_.size()) return;
    hide();
    showResult(k, false);
    setWindowTitle(prefix + PalBox->itemText(k) + QStringLiteral("のパレット"));
    PalBox->setCurrentIndex(k);
    show();
    activateWindow();
}

void TPPreForm::showResult(int k, bool refresh) {
    if (k < 0 || k >= results_.size()) return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    const ImageEntry& entry = results_.at(k);
    setWindowTitle(QStringLiteral("減色絵:") + PalBox->itemText(k) + QStringLiteral("のパレット"));
    setWindowIcon(glyphs_.icon(entry.depth));
    // Only the palette is drawn, so only the palette is kept.
    palette_ = entry.bitmap->palette();
    shown_ = entry.bitmap;
    const PixelFormat f = entry.bitmap->format();
    const int w = f == PixelFormat::Bpp1 ? 2 * kCell : kWidth;
    const int h = f == PixelFormat::Bpp8 ? kWidth : kCell;
    PPreImage->picture = QImage(w, h, QImage::Format_RGB32);
    PPreImage->resize(w, h);
    setFixedSize(kWidth, kPanelHeight + h);
    if (refresh) {
        PalBox->setCurrentIndex(k);
        RefreshPalette();
    }
}

void TPPreForm::RefreshPalette() {
    restoreIfMinimised(*this);
    updateArrows();
    DrawGrid();
    for (QLabel* l : {NLabel, RLabel, GLabel, BLabel}) setLabel(l, QString(), l->x());
}

void TPPreForm::updateArrows() {
    const int n = results_.size();
    const int i = PalBox->currentIndex();
    UpButton->setEnabled(n > 1 && i > 0);
    DownButton->setEnabled(n > 1 && i != n - 1);
}

void TPPreForm::followList() {
    if (!isVisible()) return;
    if (results_.empty()) {
        // Nothing left to show: no caption, no grid, no arrows.
        shown_.reset();
        setWindowTitle(QStringLiteral("PPreForm"));
        PPreImage->picture = QImage();
        PPreImage->update();
        updateArrows();
        return;
    }
    const int k = PalBox->currentIndex();
    if (k >= 0 && k < results_.size() && results_.at(k).bitmap == shown_.lock())
        updateArrows();
    else
        showResult(k >= 0 ? k : 0, true);
}

// Cells are painted from the palette by index: the fills are exactly its
// entries whatever the screen does with colour. The white and the black
// are true white and black.
void TPPreForm::DrawGrid() {
    QImage& picture = PPreImage->picture;
    if (picture.isNull()) return;
    picture.fill(Qt::white);
    const int rows = picture.height() == kWidth ? 16 : 1;
    const int columns = picture.width() == 2 * kCell ? 2 : 16;
    QPainter p(&picture);
    for (int r = 0; r < rows; ++r)
        for (int t = 0; t < columns; ++t) {
            const Rgb c = palette_.at(std::size_t(r * 16 + t));
            p.fillRect(t * kCell, r * kCell, kCell - 1, kCell - 1, Qt::black);
            p.fillRect(t * kCell + 1, r * kCell + 1, kCell - 3, kCell - 3, QColor(c.r, c.g, c.b));
        }
    p.end();
    PPreImage->update();
}

void TPPreForm::PPreImageMouseMove(int x, int y) {
    const QImage& picture = PPreImage->picture;
    if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height()) return;
    const int cx = x % kCell, cy = y % kCell;
    if (cx < 1 || cx > 19 || cy < 1 || cy > 19) return;
    const int k = x / kCell + (y / kCell) * 16;
    if (!(picture.width() == kWidth || (picture.width() == 2 * kCell && k < 2))) return;
    ShowIndex(k);
    const Rgb c = palette_.at(std::size_t(k));
    LastColor = std::uint32_t(c.r) | (std::uint32_t(c.g) << 8) | (std::uint32_t(c.b) << 16);
    ShowColor(LastColor);
}

void TPPreForm::ShowIndex(int k) {
    setLabel(NLabel, QString::number(k), k < 10 ? 102 : k < 100 ? 91 : 80);
}

void TPPreForm::ShowColor(std::uint32_t v) {
    const int values[3] = {int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff)};
    QLabel* labels[3] = {RLabel, GLabel, BLabel};
    const int lefts[3] = {kRLeft, kGLeft, kBLeft};
    for (int i = 0; i < 3; ++i) {
        if (DButton->isChecked()) {
            const QString text = QString::number(values[i]);
            setLabel(labels[i], text, lefts[i] + kDigit * (3 - int(text.size())));
        } else {
            setLabel(labels[i],
                     QStringLiteral("%1").arg(values[i], 2, 16, QLatin1Char('0')).toUpper(),
                     labels[i]->x());
        }
    }
}

void TPPreForm::setLabel(QLabel* label, const QString& text, int left) {
    label->setText(text);
    label->adjustSize();
    label->move(left, kLabelTop);
}

void TPPreForm::UpButtonClick() {
    showResult(PalBox->currentIndex() - 1, true);
}

void TPPreForm::DownButtonClick() {
    showResult(PalBox->currentIndex() + 1, true);
}

void TPPreForm::DButtonClick() {
    ShowColor(LastColor);
}

void TPPreForm::HButtonClick() {
    RLabel->move(kRLeft, kLabelTop);
    GLabel->move(kGLeft, kLabelTop);
    BLabel->move(kBLeft, kLabelTop);
    ShowColor(LastColor);
}

void TPPreForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    placeCentred(*this);
    RefreshPalette();
}

void TPPreForm::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closed();
}

void TPPreForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TPPreForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PalBox && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kararisu
