#include "palette/Padlg.h"

#include <QShowEvent>

#include "palette/palette_dialogs.h"
#include "support/platform.h"
#include "widgets/fonts.h"
#include "widgets/window_place.h"
#include "widgets/window_ref.h"

namespace kararisu {

namespace {

constexpr int kClientWidth = 433;
constexpr int kClientHeight = 306;
// The room left beside the widest name for the two glyphs and a margin.
constexpr int kExtentMargin = 84;

QFrame* bevel(QWidget* parent, QRect r, int shape) {
    auto* f = new QFrame(parent);
    f->setFrameStyle(shape | QFrame::Raised);
    f->setGeometry(r);
    return f;
}

QLabel* label(QWidget* parent, const char* text, QPoint at, bool bold = false) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    l->move(at);
    l->adjustSize();
    return l;
}

QRadioButton* radio(QWidget* parent, const char* text, QPoint at) {
    auto* b = new QRadioButton(QString::fromUtf8(text), parent);
    b->setFont(uiFont(kPropGothic, 16));
    b->move(at);
    b->adjustSize();
    return b;
}

QPushButton* button(QWidget* parent, const char* text, QRect r) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setGeometry(r);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

Message incompleteChoiceMessage() {
    return {"パレットが正しく指定されていません！！\n指定し直して下さい。",
            "警告：パレット指定が足りません", MessageIcon::Exclamation, MessageButtons::Ok};
}

TPalAddDlg::TPalAddDlg(PaletteList& palettes, const GlyphList& glyphs, Platform& platform,
                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      palettes_(palettes),
      platform_(platform) {
    setObjectName(QStringLiteral("PalAddDlg"));
    setWindowTitle(QStringLiteral("パレットを結合します"));
    setFont(uiFont(kPropGothic, 12));
    setFixedSize(kClientWidth, kClientHeight);

    TitleLabel = label(this, "結合するパレットを選んで下さい", {4, 8});
    TitleLabel->setFont(uiFont(kPropGothic, 16, true));
    TitleLabel->adjustSize();
    Bevel1 = bevel(this, {0, 32, 433, 233}, QFrame::Panel);
    Bevel3 = bevel(this, {8, 40, 217, 105}, QFrame::Box);
    Bevel4 = bevel(this, {8, 152, 217, 105}, QFrame::Box);
    Bevel2 = bevel(this, {232, 40, 193, 113}, QFrame::Panel);
    Bevel5 = bevel(this, {232, 160, 193, 97}, QFrame::Panel);

    BaseLabel = label(this, "ベース（基盤）パレット指定", {16, 48}, true);
    BasePalListBox = new PaletteListBox(this, palettes_, glyphs);
    BasePalListBox->setGeometry(16, 64, 201, 73);
    PlusLabel = label(this, "プラス（結合）パレット指定", {16, 160}, true);
    PlusPalListBox = new PaletteListBox(this, palettes_, glyphs);
    PlusPalListBox->setGeometry(16, 176, 201, 73);
    for (PaletteListBox* box : {BasePalListBox, PlusPalListBox}) box->setFont(uiFont(kGothic, 12));

    MenuLabel = label(this, "〓　結合メニュー　〓", {242, 45}, true);
    MenuButton1 = radio(this, "１対１の結合", {248, 72});
    MenuButton2 = radio(this, "多対１の結合", {248, 96});
    MenuButton3 = radio(this, "１対多の結合", {248, 120});
    MenuButton1->setChecked(true);

    const char* lines[] = {"ベースパレットの空き部分にプラス", "パレットの色を追加します。",
                           "システムカラーはベースパレットの", "ものを使用し、プラスパレットのシス",
                           "テムカラーは無視されます。"};
    QLabel** explanation[] = {&Label1, &Label2, &Label3, &Label4, &Label5};
    for (int i = 0; i < 5; ++i) *explanation[i] = label(this, lines[i], {240, 168 + 16 * i});

    LoadButton = button(this, "読み込み", {64, 272, 75, 25});
    LoadButton->setToolTip(QStringLiteral("パレットデータを読み込みます"));
    OkButton = button(this, "結合", {184, 272, 75, 25});
    CancelButton = button(this, "キャンセル", {304, 272, 75, 25});

    QWidget* order[] = {MenuButton1,  MenuButton2,    MenuButton3,    OkButton,
                        CancelButton, BasePalListBox, PlusPalListBox, LoadButton};
    for (int i = 0; i + 1 < 8; ++i) setTabOrder(order[i], order[i + 1]);

    // A mode is chosen when its button becomes checked, by mouse or keys;
    // choosing the checked one again changes nothing.
    const std::pair<QRadioButton*, void (TPalAddDlg::*)()> modes[] = {
        {MenuButton1, &TPalAddDlg::MenuButton1Click},
        {MenuButton2, &TPalAddDlg::MenuButton2Click},
        {MenuButton3, &TPalAddDlg::MenuButton3Click}};
    for (const auto& [b, handler] : modes)
        connect(b, &QRadioButton::toggled, this, [this, handler](bool checked) {
            if (checked) (this->*handler)();
        });
    connect(LoadButton, &QPushButton::clicked, this, &TPalAddDlg::LoadButtonClick);
    connect(OkButton, &QPushButton::clicked, this, &TPalAddDlg::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TPalAddDlg::CancelButtonClick);
}

void TPalAddDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TPalAddDlg::FormShow() {
    placeCentred(*this);
    MenuButton1->setChecked(true);  // its rule applies when it was not checked
    BasePalListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    PlusPalListBox->setSelectionMode(QAbstractItemView::SingleSelection);
}

void TPalAddDlg::setScrollExtents() {
    for (PaletteListBox* box : {BasePalListBox, PlusPalListBox})
        box->setHorizontalExtent(box->widestText() + kExtentMargin);
}

void TPalAddDlg::chooseMode(QAbstractItemView::SelectionMode base,
                            QAbstractItemView::SelectionMode plus) {
    BasePalListBox->setSelectionMode(base);
    PlusPalListBox->setSelectionMode(plus);
    for (PaletteListBox* box : {BasePalListBox, PlusPalListBox}) {
        box->clearSelection();
        box->setCurrentRow(-1);
    }
    setScrollExtents();
}

void TPalAddDlg::MenuButton1Click() {
    chooseMode(QAbstractItemView::SingleSelection, QAbstractItemView::SingleSelection);
}

void TPalAddDlg::MenuButton2Click() {
    chooseMode(QAbstractItemView::ExtendedSelection, QAbstractItemView::SingleSelection);
}

void TPalAddDlg::MenuButton3Click() {
    chooseMode(QAbstractItemView::SingleSelection, QAbstractItemView::ExtendedSelection);
}

MergeMode TPalAddDlg::mode() const {
    if (MenuButton1->isChecked()) return MergeMode::OneToOne;
    if (MenuButton2->isChecked()) return MergeMode::ManyToOne;
    return MergeMode::OneToMany;
}

bool TPalAddDlg::choiceComplete() const {
    const std::size_t bases = chosenBases().size();
    const std::size_t pluses = chosenPluses().size();
    switch (mode()) {
        case MergeMode::OneToOne:
            return bases == 1 && pluses == 1;
        case MergeMode::ManyToOne:
            return bases >= 1 && pluses == 1;
        case MergeMode::OneToMany:
            return bases == 1 && pluses >= 1;
    }
    return false;
}

void TPalAddDlg::LoadButtonClick() {
    loadPaletteFiles(platform_, windowRef(this), palettes_, true);
}

void TPalAddDlg::OkButtonClick() {
    if (!choiceComplete()) {
        platform_.show(windowRef(this), incompleteChoiceMessage());
        return;
    }
    accept();
}

void TPalAddDlg::CancelButtonClick() {
    reject();
}

}  // namespace kararisu
