#include "reduce/Gsdlg.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

#include "app/palette_dialogs.h"
#include "app/platform.h"
#include "reduce/dialog_place.h"
#include "reduce/glyph_choice_box.h"
#include "reduce/up_down.h"

namespace kararisu {

namespace {

constexpr int kWidth = 578;
constexpr int kHeight = 237;

QLabel* label(QWidget* parent, const QString& text, int x, int y, const QFont& font) {
    auto* l = new QLabel(text, parent);
    l->setFont(font);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QFrame* frame(QWidget* parent, QRect r, QFrame::Shape shape) {
    auto* f = new QFrame(parent);
    f->setFrameStyle(shape | QFrame::Raised);
    f->setGeometry(r);
    return f;
}

QString defaultCountText(int mode) {
    return QString::number(freeCountMax(mode));
}

}  // namespace

std::optional<int> parseCount(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 11) return std::nullopt;
    int start = (t[0] == u'+' || t[0] == u'-') ? 1 : 0;
    if (start == t.size()) return std::nullopt;
    for (int i = start; i < t.size(); ++i)
        if (t[i] < u'0' || t[i] > u'9') return std::nullopt;
    bool ok = false;
    const int v = t.toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

TGenSetDlg::TGenSetDlg(TargetList& targets, PaletteList& palettes, ReductionSettings& settings,
                       const GlyphList& glyphs, Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      targets_(targets),
      palettes_(palettes),
      settings_(settings),
      platform_(platform),
      glyphs_(glyphs) {
    setObjectName(QStringLiteral("GenSetDlg"));
    setWindowTitle(QStringLiteral("減色設定"));
    setFixedSize(kWidth, kHeight);
    setFont(uiFont(kPropGothic, 12));
    buildControls();
    targetItems_ = std::make_unique<ComboMirror<TargetList>>(targets_, TargetBox);
    paletteItems_ = std::make_unique<ComboMirror<PaletteList>>(palettes_, PaletteBox);
}

TGenSetDlg::~TGenSetDlg() = default;

void TGenSetDlg::buildControls() {
    const QFont plain = uiFont(kGothic, 12);
    const QFont bold = uiFont(kGothic, 12, true);
    const QFont large = uiFont(kGothic, 16);

    TitleLabel =
        label(this, QStringLiteral("減色の設定をしてください。"), 4, 2, uiFont(kGothic, 16, true));
    Bevel1 = frame(this, QRect(0, 24, 577, 177), QFrame::Panel);
    Bevel2 = frame(this, QRect(8, 32, 305, 49), QFrame::Box);
    Bevel3 = frame(this, QRect(8, 88, 305, 41), QFrame::Box);
    Bevel5 = frame(this, QRect(320, 32, 249, 161), QFrame::Panel);

    ColorLabel = label(this, QStringLiteral("減色後の色数"), 16, 40, bold);
    ColorBox = new QComboBox(this);
    ColorBox->setFont(plain);
    ColorBox->setGeometry(16, 56, 289, 20);
    // Eleven rows at a time, in every style (some show the whole list).
    ColorBox->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    ColorBox->setMaxVisibleItems(11);
    for (int m = 0; m < kModeCount; ++m) ColorBox->addItem(QString::fromUtf8(modeInfo(m).caption));
    connect(ColorBox, &QComboBox::activated, this, [this] { ColorBoxChange(); });

    ColorsLabel = label(this, QStringLiteral("任意色数の設定"), 16, 104, plain);
    Edit1 = new QLineEdit(QStringLiteral("256"), this);
    Edit1->setFont(plain);
    Edit1->setGeometry(112, 100, 41, 20);
    // Letters typed are forced to upper case.
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text) return;
        const int cursor = Edit1->cursorPosition();
        Edit1->setText(upper);
        Edit1->setCursorPosition(cursor);
    });
    UpDown1 = new UpDown(this, Edit1);
    UpDown1->setGeometry(153, 100, 14, 20);
    UpDown1->setRange(0, 256);
    UpDown1->setPosition(256);
    RangeLabel = label(this, QStringLiteral("指定範囲（１～２５６）"), 168, 104, plain);
    RangeLabel->hide();
    for (QWidget* w : {static_cast<QWidget*>(ColorsLabel), static_cast<QWidget*>(Edit1),
                       static_cast<QWidget*>(UpDown1)})
        w->setEnabled(false);

    MenuLabel = label(this, QStringLiteral("〓\u3000減色メニュー\u3000〓"), 360, 40, bold);
    MenuButton1 = new QRadioButton(QStringLiteral("個々に減色"), this);
    MenuButton2 = new QRadioButton(QStringLiteral("基準パレットを作成して統一"), this);
    MenuButton3 = new QRadioButton(QStringLiteral("任意パレットで統一"), this);
    const int menuTop[] = {64, 112, 160};
    int k = 0;
    for (QRadioButton* b : {MenuButton1, MenuButton2, MenuButton3}) {
        b->setFont(large);
        b->move(328, menuTop[k++]);
        b->resize(236, b->sizeHint().height());
        b->installEventFilter(this);
    }
    MenuButton1->setChecked(true);
    connect(MenuButton1, &QRadioButton::clicked, this,
            [this] { MenuButtonClick(ReductionMenu::Individual); });
    connect(MenuButton2, &QRadioButton::clicked, this,
            [this] { MenuButtonClick(ReductionMenu::Reference); });
    connect(MenuButton3, &QRadioButton::clicked, this,
            [this] { MenuButtonClick(ReductionMenu::GivenPalette); });

    PageControl1 = new QStackedWidget(this);
    PageControl1->setGeometry(8, 137, 305, 57);
    SetTab1 = new QWidget;
    SetTab2 = new QWidget;
    PageControl1->addWidget(SetTab1);
    PageControl1->addWidget(SetTab2);
    Label1 = label(SetTab1, QStringLiteral("減色基準ビットマップ指定"), 4, 6, plain);
    TargetBox = new GlyphChoiceBox(SetTab1, glyphs_, 1, [this](int n) {
        return n < targets_.size() ? std::vector<int>{targets_.at(n).depth} : std::vector<int>{};
    });
    PaletteLabel = label(SetTab2, QStringLiteral("パレット指定"), 8, 6, plain);
    PaletteBox = new GlyphChoiceBox(SetTab2, glyphs_, 2, [this](int n) {
        if (n >= palettes_.size()) return std::vector<int>{};
        const PaletteEntry& e = palettes_.at(n);
        return std::vector<int>{e.depth, static_cast<int>(e.origin)};
    });
    for (GlyphChoiceBox* box : {TargetBox, PaletteBox}) {
        box->setFont(plain);
        box->setGeometry(4, 20, 289, 22);
    }
    LoadButton = new QPushButton(QStringLiteral("読み込む"), SetTab2);
    LoadButton->setFont(plain);
    LoadButton->setGeometry(200, 0, 70, 20);
    connect(LoadButton, &QPushButton::clicked, this, [this] { LoadButtonClick(); });
    PageControl1->hide();

    OKButton = new QPushButton(QStringLiteral("減色GO!!"), this);
    OKButton->setFont(large);
    OKButton->setGeometry(152, 208, 75, 25);
    CancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    CancelButton->setFont(plain);
    CancelButton->setGeometry(336, 208, 75, 25);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButtonClick(); });

    ColorBox->installEventFilter(this);
    Edit1->installEventFilter(this);

    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, ColorBox);
    setTabOrder(ColorBox, MenuButton1);
    setTabOrder(MenuButton1, MenuButton2);
    setTabOrder(MenuButton2, MenuButton3);
    setTabOrder(MenuButton3, PageControl1);
    setTabOrder(PageControl1, Edit1);
}

bool TGenSetDlg::execute(int selectedImages) {
    selectedImages_ = selectedImages;
    return exec() == QDialog::Accepted;
}

ReductionMenu TGenSetDlg::reductionMenu() const {
    if (MenuButton2->isChecked()) return ReductionMenu::Reference;
    if (MenuButton3->isChecked()) return ReductionMenu::GivenPalette;
    return ReductionMenu::Individual;
}

int TGenSetDlg::reductionMode() const {
    return ColorBox->currentIndex();
}

int TGenSetDlg::referenceIndex() const {
    return TargetBox->currentIndex();
}

int TGenSetDlg::paletteIndex() const {
    return PaletteBox->currentIndex();
}

bool TGenSetDlg::isFreeMode() const {
    return isFreeCountMode(reductionMode());
}

void TGenSetDlg::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TGenSetDlg::FormShow() {
    placeCentred(*this, 20);
    ColorBox->setCurrentIndex(0);
    settings_.mode = 0;
    settings_.colorCount = 256;
    settings_.schemeName = "ノーマル";
    MenuButton1->setChecked(true);
    MenuButtonClick(ReductionMenu::Individual);
    MenuButton2->setEnabled(selectedImages_ != 1);
    // The lists were rebuilt by the run: nothing is chosen in them yet.
    TargetBox->setCurrentIndex(-1);
    PaletteBox->setCurrentIndex(-1);
    UpDown1->setPosition(256);
    ColorsLabel->setEnabled(false);
    Edit1->setEnabled(false);
    UpDown1->setEnabled(false);
    RangeLabel->hide();
    OKButton->setFocus();
}

std::optional<int> TGenSetDlg::checkedFreeCount(bool atOk) {
    const int mode = reductionMode();
    const std::optional<int> typed = parseCount(Edit1->text());
    if (!typed) {
        const std::string error =
            "'" + Edit1->text().toStdString() + "' は有効な整数値ではありません。";
        platform_.show(
            atOk ? Message{error, "警告：誤入力です！！", MessageIcon::Stop, MessageButtons::Ok}
                 : generalErrorMessage(error));
        Edit1->setText(defaultCountText(mode));
        return std::nullopt;
    }
    if (*typed < freeCountMin(mode) || *typed > freeCountMax(mode)) {
        Edit1->setText(defaultCountText(mode));
        return freeCountMax(mode);
    }
    return typed;
}

void TGenSetDlg::ColorBoxChange() {
    const int mode = reductionMode();
    const ModeInfo& info = modeInfo(mode);
    settings_.mode = mode;
    settings_.colorCount = info.colorCount;
    settings_.schemeName = info.schemeName;
    if (!isFreeCountMode(mode)) {
        RangeLabel->hide();
        ColorsLabel->setEnabled(false);
        Edit1->setEnabled(false);
        UpDown1->setEnabled(false);
        return;
    }
    RangeLabel->setText(mode == 25 ? QStringLiteral("指定範囲（１～２５６）")
                                   : QStringLiteral("指定範囲（０～２４０）"));
    RangeLabel->adjustSize();
    UpDown1->setRange(freeCountMin(mode), freeCountMax(mode));
    // A text that is no number is reported and replaced by the mode's
    // maximum, so the controls never stay half enabled.
    const int count = checkedFreeCount(false).value_or(freeCountMax(mode));
    RangeLabel->show();
    RangeLabel->setEnabled(true);
    ColorsLabel->setEnabled(true);
    Edit1->setEnabled(true);
    UpDown1->setPosition(count);
    UpDown1->setEnabled(true);
}

void TGenSetDlg::MenuButtonClick(ReductionMenu menu) {
    const bool colours = menu != ReductionMenu::GivenPalette;
    const bool free = colours && isFreeMode();
    ColorLabel->setEnabled(colours);
    ColorBox->setEnabled(colours);
    for (QWidget* w : {static_cast<QWidget*>(ColorsLabel), static_cast<QWidget*>(Edit1),
                       static_cast<QWidget*>(UpDown1), static_cast<QWidget*>(RangeLabel)})
        w->setEnabled(free);
    if (menu == ReductionMenu::Individual) {
        PageControl1->hide();
    } else {
        PageControl1->setCurrentWidget(menu == ReductionMenu::Reference ? SetTab1 : SetTab2);
        PageControl1->show();
    }
}

void TGenSetDlg::Edit1Enter() {
    const std::optional<int> count = checkedFreeCount(false);
    UpDown1->setPosition(count.value_or(freeCountMax(reductionMode())));
    if (count) OKButton->setFocus();
}

// The first chosen file is read; the palette it gives becomes the choice.
void TGenSetDlg::LoadButtonClick() {
    const std::vector<int> appended = loadPaletteFiles(platform_, palettes_, false);
    if (!appended.empty()) PaletteBox->setCurrentIndex(appended.back());
}

void TGenSetDlg::OKButtonClick() {
    if (isFreeMode()) {
        const std::optional<int> count = checkedFreeCount(true);
        if (!count) return;
        UpDown1->setPosition(*count);
        settings_.colorCount = *count;
    }
    switch (reductionMenu()) {
        case ReductionMenu::Individual:
            break;
        case ReductionMenu::Reference:
            if (referenceIndex() < 0) {
                platform_.show({"減色の基準となるビットマップが指定されていません。",
                                "設定しなおして下さい", MessageIcon::Exclamation,
                                MessageButtons::Ok});
                return;
            }
            break;
        case ReductionMenu::GivenPalette:
            if (paletteIndex() < 0) {
                platform_.show({"統一に使用するパレットが指定されていません。",
                                "設定しなおして下さい", MessageIcon::Exclamation,
                                MessageButtons::Ok});
                return;
            }
            break;
    }
    accept();
}

void TGenSetDlg::CancelButtonClick() {
    reject();
}

bool TGenSetDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == MenuButton1 || watched == MenuButton2 || watched == MenuButton3) {
        if (!enter) return false;
        OKButton->setFocus();
        return true;
    }
    if (watched == ColorBox) {
        // A character key (Enter included) moves on to what comes next.
        const bool character = !key->text().isEmpty() && key->key() != Qt::Key_Escape &&
                               key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab;
        if (!character) return false;
        if (isFreeMode()) {
            Edit1->setFocus();
        } else {
            OKButton->setFocus();
        }
        return true;
    }
    if (watched == Edit1 && enter) {
        Edit1Enter();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace kararisu
