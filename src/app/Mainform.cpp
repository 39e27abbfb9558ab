// The main window: construction, layout and closing. The commands are wired
// in Mainform_commands.cpp; each family of them has a file of its own.
#include "app/Mainform.h"

#include <QCloseEvent>
#include <QLayout>

#include "app/application.h"
#include "app/main_controls.h"
#include "app/result_rows_mirror.h"
#include "palette/palette_file.h"
#include "support/version.h"
#include "viewers/Gpform.h"
#include "viewers/Mpform.h"
#include "viewers/Ppform.h"
#include "widgets/fonts.h"
#include "widgets/window_place.h"
#include "worklists/loading.h"

namespace kararisu {

namespace {

constexpr int kClientWidth = 560;
constexpr int kClientHeight = 354;
constexpr int kToolBarHeight = 31;

}  // namespace

TMain::TMain(Platform& platform, const std::vector<std::string>& arguments)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowCloseButtonHint),
      platform_(platform),
      reporter_(platform, windowRef(this)),
      ui_(std::make_unique<MainControls>()) {
    MainControls& u = *ui_;
    installFontSubstitutes();
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("カラリス\u3000Ver.") + QString::fromUtf8(kVersion));
    setWindowIcon(makeWindowIcon());
    setFont(uiFont(kGothic, 12));

    u.Client = new QWidget(this);
    u.Client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(u.Client);
    // The window is as large as its menu bar and client area, never resized
    // by the user.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    buildMenus();
    buildToolBar();
    buildLists();
    buildPopups();
    connectCommands();

    setTabOrder(u.MotoListBox, u.GenListView);
    setTabOrder(u.GenListView, u.ToolBar1);
    setTabOrder(u.ToolBar1, u.DMotoButton);
    setTabOrder(u.DMotoButton, u.DGenButton);

    sourceLines_ = std::make_unique<ListBoxMirror<SourceList>>(lists_.sources, u.MotoListBox);
    resultRows_ = std::make_unique<ResultRowsMirror>(lists_.results, u.GenListView, u.ImageList3);
    FormCreate(arguments);
}

TMain::~TMain() = default;

void TMain::buildMenus() {
    MainControls& u = *ui_;
    u.MainMenu1 = new QMenuBar(this);
    setMenuBar(u.MainMenu1);
    u.File1 = u.MainMenu1->addMenu(QStringLiteral("ファイル(&F)"));
    u.Open1 = u.File1->addAction(QStringLiteral("開く(&O)"));
    u.File1->addSeparator();
    u.Save1 = u.File1->addAction(QStringLiteral("選択した作業後画像を場所を決めて保存(&F)"));
    u.Save3 = u.File1->addAction(QStringLiteral("選択した作業後画像に名前を付けて保存(&A)"));
    u.Save2 = u.File1->addAction(QStringLiteral("選択した作業後画像の上書き保存(&S)"));
    u.P4 = u.File1->addAction(QStringLiteral("選択した作業後画像のパレットを保存(&P)"));
    u.File1->addSeparator();
    u.Exit1 = u.File1->addAction(QStringLiteral("終了するよ(&X)"));
    for (QAction* a : {u.Save1, u.Save3, u.Save2, u.P4}) a->setEnabled(false);

    u.G1 = u.MainMenu1->addAction(QStringLiteral("減色(&G)"));
    u.G1->setEnabled(false);
    u.P3 = u.MainMenu1->addAction(QStringLiteral("パレット結合(&P)"));

    u.V3 = u.MainMenu1->addMenu(QStringLiteral("表示関係(&V)"));
    u.B2 = u.V3->addAction(QStringLiteral("作業前の画像を表示(&B)"));
    u.V3->addSeparator();
    u.A1 = u.V3->addAction(QStringLiteral("作業後の画像を表示(&A)"));
    u.P5 = u.V3->addAction(QStringLiteral("作業後のパレットを表示(&P)"));
    u.V3->addSeparator();
    u.T1 = u.V3->addAction(QStringLiteral("ツールバーの表示(&T)"));
    u.T1->setCheckable(true);
    u.T1->setChecked(true);

    u.N3 = u.MainMenu1->addMenu(QStringLiteral("設定(&S)"));
    u.B1 = u.N3->addAction(QStringLiteral("減色終了を音で知らせる(&B)"));
    u.B1->setCheckable(true);
    u.B1->setChecked(false);
    // Off at start, like every option; read by each run that starts.
    u.H1 = u.N3->addAction(QStringLiteral("パレットを最適化する（高画質）"));
    u.H1->setCheckable(true);
    u.H1->setChecked(false);
    u.E1 = u.N3->addAction(QStringLiteral("ディザリング（誤差拡散）"));
    u.E1->setCheckable(true);
    u.E1->setChecked(false);
}

void TMain::buildToolBar() {
    MainControls& u = *ui_;
    u.ToolBar1 = new ToolBar(u.Client, QSize(27, 26), QSize(20, 20), 5);
    u.ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    u.ToolBar1->setGeometry(0, 0, kClientWidth, kToolBarHeight);
    u.OpenButton = u.ToolBar1->addButton(u.ImageList2.icon(0), QStringLiteral("画像の読み込み"));
    u.ToolBar1->addDivider();
    u.Save1Button =
        u.ToolBar1->addButton(u.ImageList2.icon(1), QStringLiteral("場所を指定して保存"));
    u.Save3Button = u.ToolBar1->addButton(u.ImageList2.icon(3), QStringLiteral("名前を付けて保存"));
    u.Save2Button = u.ToolBar1->addButton(u.ImageList2.icon(2), QStringLiteral("上書き保存"));
    u.Save4Button = u.ToolBar1->addButton(u.ImageList2.icon(6), QStringLiteral("パレットの保存"));
    u.ToolBar1->addDivider();
    u.GenButton = u.ToolBar1->addButton(u.ImageList2.icon(4), QStringLiteral("減色実行！！"));
    u.PAddButton =
        u.ToolBar1->addButton(u.ImageList2.icon(7), QStringLiteral("パレットを結合させます"));
    u.ToolBar1->addDivider();
    u.PalButton = u.ToolBar1->addButton(u.ImageList2.icon(5), QStringLiteral("パレット内容を表示"));
    u.ToolBar1->addDivider(8);
    u.SoundCheck = new QCheckBox(QStringLiteral("減色終了を音で知らせる"));
    u.SoundCheck->setFocusPolicy(Qt::NoFocus);
    u.ToolBar1->addControl(u.SoundCheck, 159);
    for (QToolButton* b :
         {u.Save1Button, u.Save3Button, u.Save2Button, u.Save4Button, u.GenButton, u.PalButton})
        b->setEnabled(false);
}

void TMain::buildLists() {
    MainControls& u = *ui_;
    // Each list has a framed title with a delete button at its right.
    auto title = [&](int left, int width, const QString& text, QFrame*& bevel, QLabel*& label,
                     QPushButton*& button) {
        bevel = new QFrame(u.Client);
        bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
        bevel->setGeometry(left, 32, width, 25);
        label = new QLabel(text, u.Client);
        label->setFont(uiFont(kGothic, 17, true));
        label->adjustSize();
        label->move(left + 8, 35);
        button = new QPushButton(QStringLiteral("削除"), u.Client);
        button->setGeometry(left + width - 72, 36, 65, 17);
        button->setFont(uiFont(kGothic, 13));
        button->setToolTip(QStringLiteral("選択されたファイルを削除"));
        button->setEnabled(false);
    };
    title(0, 200, QStringLiteral("作業前"), u.Bevel1, u.Label1, u.DMotoButton);
    title(208, 352, QStringLiteral("作業後"), u.Bevel2, u.Label2, u.DGenButton);

    u.MotoListBox = new kararisu::MotoListBox(u.Client, u.ImageList1, [this](int i) {
        return i >= 0 && i < lists_.sources.size() ? lists_.sources.at(i).depth : -1;
    });
    u.MotoListBox->setObjectName(QStringLiteral("MotoListBox"));
    u.MotoListBox->setFont(uiFont(kGothic, 12));
    u.MotoListBox->setGeometry(0, 56, 200, 277);

    u.GenListView = new kararisu::GenListView(u.Client);
    u.GenListView->setObjectName(QStringLiteral("GenListView"));
    u.GenListView->setFont(uiFont(kGothic, 12));
    u.GenListView->setGeometry(208, 56, 353, 277);

    u.StatusBar1 = new QStatusBar(u.Client);
    u.StatusBar1->setSizeGripEnabled(false);
    u.StatusBar1->setFont(uiFont(kGothic, 11, true));
    u.StatusBar1->setGeometry(0, kClientHeight - 19, kClientWidth, 19);
}

void TMain::buildPopups() {
    MainControls& u = *ui_;
    u.PopupMenu1 = new QMenu(this);
    u.V1 = u.PopupMenu1->addAction(QStringLiteral("画像の表示(&V)"));
    u.G2 = u.PopupMenu1->addAction(QStringLiteral("選択した画像を減色(&G)"));
    u.D1 = u.PopupMenu1->addAction(QStringLiteral("選択した画像の削除(&D)"));

    u.PopupMenu2 = new QMenu(this);
    u.V2 = u.PopupMenu2->addAction(QStringLiteral("画像の表示(&V)"));
    u.P1 = u.PopupMenu2->addAction(QStringLiteral("パレット内容の表示(&P)"));
    u.S1 = u.PopupMenu2->addMenu(QStringLiteral("選択した画像の保存(&S)"));
    u.F1 = u.S1->addAction(QStringLiteral("場所を決めて保存(&F)"));
    u.S3 = u.S1->addAction(QStringLiteral("名前を付けて保存(&A)"));
    u.S2 = u.S1->addAction(QStringLiteral("上書き保存(&S)"));
    u.P2 = u.S1->addAction(QStringLiteral("パレットを保存(&P)"));
    u.D2 = u.PopupMenu2->addAction(QStringLiteral("選択した画像の削除(&D)"));

    u.MotoListBox->setContextMenuPolicy(Qt::CustomContextMenu);
    u.GenListView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(u.MotoListBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        ui_->PopupMenu1->popup(ui_->MotoListBox->viewport()->mapToGlobal(at));
    });
    connect(u.GenListView, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        ui_->PopupMenu2->popup(ui_->GenListView->viewport()->mapToGlobal(at));
    });
}

void TMain::FormCreate(const std::vector<std::string>& arguments) {
    placeCentred(*this);
    lists_.clear();
    ListExtent = 0;
    OpenFolder = startingOpenFolder();
    SaveFolder = programFolder();
    if (!arguments.empty()) loadCommandLine(arguments);
    setAcceptDrops(true);
}

int TMain::selectedLines() const {
    const MainControls& u = *ui_;
    return int(u.MotoListBox->selectedItems().size());
}

int TMain::selectedRows() const {
    const MainControls& u = *ui_;
    return int(u.GenListView->selectedItems().size());
}

QString TMain::statusText() const {
    const MainControls& u = *ui_;
    return u.StatusBar1->currentMessage();
}

void TMain::setClientHeight(int height) {
    MainControls& u = *ui_;
    u.Client->setFixedHeight(height);
    // The status bar keeps to the bottom edge.
    u.StatusBar1->move(0, height - u.StatusBar1->height());
}

void TMain::Exit1Click() {
    close();
}

bool TMain::FormCloseQuery() {
    if (windows_.MPreForm) windows_.MPreForm->close();
    if (windows_.GPreForm) windows_.GPreForm->close();
    if (windows_.PPreForm) windows_.PPreForm->close();
    return true;
}

void TMain::FormClose() {
    // Every control showing a list is emptied with it.
    lists_.clear();
    setAcceptDrops(false);
}

void TMain::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    FormClose();
    event->accept();
    emit closed();
}

}  // namespace kararisu
