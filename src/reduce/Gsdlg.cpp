// The settings dialog's rules: opening, the mode and menu choices, the free
// count, the keys, loading a palette and closing.
#include "reduce/Gsdlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

#include "palette/palette_dialogs.h"
#include "reduce/glyph_choice_box.h"
#include "reduce/up_down.h"
#include "support/platform.h"
#include "widgets/fonts.h"
#include "widgets/window_place.h"
#include "widgets/window_ref.h"

namespace kararisu {

namespace {

constexpr int kWidth = 578;
constexpr int kHeight = 237;

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
            windowRef(this),
            atOk ? Message{error, "警告：誤入力です！！", MessageIcon::Stop, MessageButtons::Ok}
                 : generalErrorMessage(error));
        // Only OK puts the mode's maximum in; Enter and a mode choice leave
        // the text as typed, to be mended.
        if (atOk) Edit1->setText(defaultCountText(mode));
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
    RangeLabel->setText(QString::fromUtf8(modeInfo(mode).freeCountRange));
    RangeLabel->adjustSize();
    UpDown1->setRange(freeCountMin(mode), freeCountMax(mode));
    // A text that is no number is reported and kept; the controls are
    // enabled all the same, so that it can be mended.
    const std::optional<int> count = checkedFreeCount(false);
    RangeLabel->show();
    RangeLabel->setEnabled(true);
    ColorsLabel->setEnabled(true);
    Edit1->setEnabled(true);
    if (count) UpDown1->setPosition(*count);
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
    if (!count) return;  // the error was shown; the text stays as typed
    UpDown1->setPosition(*count);
    OKButton->setFocus();
}

// The first chosen file is read; the palette it gives becomes the choice.
void TGenSetDlg::LoadButtonClick() {
    const std::vector<int> appended = loadPaletteFiles(platform_, windowRef(this), palettes_, false);
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
                platform_.show(windowRef(this),
                               {"減色の基準となるビットマップが指定されていません。",
                                "設定しなおして下さい", MessageIcon::Exclamation,
                                MessageButtons::Ok});
                return;
            }
            break;
        case ReductionMenu::GivenPalette:
            if (paletteIndex() < 0) {
                platform_.show(windowRef(this),
                               {"統一に使用するパレットが指定されていません。",
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
