// The settings dialog's form: its controls where the form puts them, with
// their fonts, first states and tab order.
#include <QAbstractItemView>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <algorithm>

#include "reduce/Gsdlg.h"
#include "reduce/glyph_choice_box.h"
#include "reduce/up_down.h"
#include "widgets/fonts.h"

namespace kararisu {

namespace {

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

}  // namespace

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
    // The open list is as wide as the longest caption, which the closed box
    // cannot show whole.
    int widest = 0;
    for (int m = 0; m < kModeCount; ++m)
        widest = std::max(widest, QFontMetrics(plain).horizontalAdvance(ColorBox->itemText(m)));
    ColorBox->view()->setMinimumWidth(widest + 24);
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
    // Tab enters the group at its checked button; the arrows move within.
    auto tabStop = [this] {
        for (QRadioButton* b : {MenuButton1, MenuButton2, MenuButton3})
            b->setFocusPolicy(b->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    };
    tabStop();
    for (QRadioButton* b : {MenuButton1, MenuButton2, MenuButton3})
        connect(b, &QRadioButton::toggled, this, tabStop);
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
        return n < palettes_.size() ? paletteEntryGlyphs(palettes_.at(n)) : std::vector<int>{};
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

}  // namespace kararisu
