// The main window: layout, menus, tool bar, enabling rules, the tool bar and
// sound options, and closing. Loading images is in Mainform_load.cpp.
#include "app/Mainform.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>

#include "app/application.h"
#include "worklists/loading.h"
#include "palette/palette_file.h"
#include "viewers/Gpform.h"
#include "viewers/Mpform.h"
#include "viewers/Ppform.h"

#ifndef KARARISU_VERSION
#define KARARISU_VERSION "0"
#endif

namespace kararisu {

namespace {

constexpr int kClientWidth = 560;
constexpr int kClientHeight = 354;
constexpr int kToolBarHeight = 31;

QFont gothic(int pixelSize, bool bold = false) {
    QFont f(QStringLiteral("ＭＳ ゴシック"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

}  // namespace

TMain::TMain(Platform& platform, const std::vector<std::string>& arguments)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowCloseButtonHint),
      ImageList1(makeImageList1()),
      ImageList2(makeImageList2()),
      ImageList3(makeImageList3()),
      platform_(platform) {
    installFontSubstitutes();
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("カラリス\u3000Ver.") + QStringLiteral(KARARISU_VERSION));
    setWindowIcon(makeWindowIcon());
    setFont(gothic(12));

    Client = new QWidget(this);
    Client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(Client);
    // The window is as large as its menu bar and client area, never resized
    // by the user.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    buildMenus();
    buildToolBar();
    buildLists();
    buildPopups();
    connectCommands();

    setTabOrder(MotoListBox, GenListView);
    setTabOrder(GenListView, ToolBar1);
    setTabOrder(ToolBar1, DMotoButton);
    setTabOrder(DMotoButton, DGenButton);

    try {
        FormCreate(arguments);
    } catch (...) {
        // No destructor runs for a window that was never made: release the
        // lists here.
        FormClose();
        throw;
    }
}

TMain::~TMain() {
    if (!released_) FormClose();
}

void TMain::buildMenus() {
    MainMenu1 = new QMenuBar(this);
    setMenuBar(MainMenu1);
    File1 = MainMenu1->addMenu(QStringLiteral("ファイル(&F)"));
    Open1 = File1->addAction(QStringLiteral("開く(&O)"));
    File1->addSeparator();
    Save1 = File1->addAction(QStringLiteral("選択した作業後画像を場所を決めて保存(&F)"));
    Save3 = File1->addAction(QStringLiteral("選択した作業後画像に名前を付けて保存(&A)"));
    Save2 = File1->addAction(QStringLiteral("選択した作業後画像の上書き保存(&S)"));
    P4 = File1->addAction(QStringLiteral("選択した作業後画像のパレットを保存(&P)"));
    File1->addSeparator();
    Exit1 = File1->addAction(QStringLiteral("終了するよ(&X)"));
    for (QAction* a : {Save1, Save3, Save2, P4}) a->setEnabled(false);

    G1 = MainMenu1->addAction(QStringLiteral("減色(&G)"));
    G1->setEnabled(false);
    P3 = MainMenu1->addAction(QStringLiteral("パレット結合(&P)"));

    V3 = MainMenu1->addMenu(QStringLiteral("表示関係(&V)"));
    B2 = V3->addAction(QStringLiteral("作業前の画像を表示(&B)"));
    V3->addSeparator();
    A1 = V3->addAction(QStringLiteral("作業後の画像を表示(&A)"));
    P5 = V3->addAction(QStringLiteral("作業後のパレットを表示(&P)"));
    V3->addSeparator();
    T1 = V3->addAction(QStringLiteral("ツールバーの表示(&T)"));
    T1->setCheckable(true);
    T1->setChecked(true);

    N3 = MainMenu1->addMenu(QStringLiteral("設定(&S)"));
    B1 = N3->addAction(QStringLiteral("減色終了を音で知らせる(&B)"));
    B1->setCheckable(true);
    B1->setChecked(false);
}

void TMain::buildToolBar() {
    ToolBar1 = new ToolBar(Client, QSize(27, 26), QSize(20, 20), 5);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(0, 0, kClientWidth, kToolBarHeight);
    OpenButton = ToolBar1->addButton(ImageList2.icon(0), QStringLiteral("画像の読み込み"));
    ToolBar1->addDivider();
    Save1Button = ToolBar1->addButton(ImageList2.icon(1), QStringLiteral("場所を指定して保存"));
    Save3Button = ToolBar1->addButton(ImageList2.icon(3), QStringLiteral("名前を付けて保存"));
    Save2Button = ToolBar1->addButton(ImageList2.icon(2), QStringLiteral("上書き保存"));
    Save4Button = ToolBar1->addButton(ImageList2.icon(6), QStringLiteral("パレットの保存"));
    ToolBar1->addDivider();
    GenButton = ToolBar1->addButton(ImageList2.icon(4), QStringLiteral("減色実行！！"));
    PAddButton = ToolBar1->addButton(ImageList2.icon(7), QStringLiteral("パレットを結合させます"));
    ToolBar1->addDivider();
    PalButton = ToolBar1->addButton(ImageList2.icon(5), QStringLiteral("パレット内容を表示"));
    ToolBar1->addDivider(8);
    SoundCheck = new QCheckBox(QStringLiteral("減色終了を音で知らせる"));
    SoundCheck->setFocusPolicy(Qt::NoFocus);
    ToolBar1->addControl(SoundCheck, 159);
    for (QToolButton* b :
         {Save1Button, Save3Button, Save2Button, Save4Button, GenButton, PalButton})
        b->setEnabled(false);
}

void TMain::buildLists() {
    Bevel1 = new QFrame(Client);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(0, 32, 200, 25);
    Label1 = new QLabel(QStringLiteral("作業前"), Client);
    Label1->setFont(gothic(17, true));
    Label1->adjustSize();
    Label1->move(8, 35);
    DMotoButton = new QPushButton(QStringLiteral("削除"), Client);
    DMotoButton->setGeometry(128, 36, 65, 17);
    DMotoButton->setFont(gothic(13));
    DMotoButton->setToolTip(QStringLiteral("選択されたファイルを削除"));
    DMotoButton->setEnabled(false);

    Bevel2 = new QFrame(Client);
    Bevel2->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel2->setGeometry(208, 32, 352, 25);
    Label2 = new QLabel(QStringLiteral("作業後"), Client);
    Label2->setFont(gothic(17, true));
    Label2->adjustSize();
    Label2->move(216, 35);
    DGenButton = new QPushButton(QStringLiteral("削除"), Client);
    DGenButton->setGeometry(488, 36, 65, 17);
    DGenButton->setFont(gothic(13));
    DGenButton->setToolTip(QStringLiteral("選択されたファイルを削除"));
    DGenButton->setEnabled(false);

    MotoListBox = new kararisu::MotoListBox(Client, ImageList1, [this](int i) {
        ImageEntry* e = entryAt(SourceList, i);
        return e ? e->depth : -1;
    });
    MotoListBox->setObjectName(QStringLiteral("MotoListBox"));
    MotoListBox->setFont(gothic(12));
    MotoListBox->setGeometry(0, 56, 200, 277);

    GenListView = new kararisu::GenListView(Client);
    GenListView->setObjectName(QStringLiteral("GenListView"));
    GenListView->setFont(gothic(12));
    GenListView->setGeometry(208, 56, 353, 277);

    StatusBar1 = new QStatusBar(Client);
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFont(gothic(11, true));
    StatusBar1->setGeometry(0, kClientHeight - 19, kClientWidth, 19);
}

void TMain::buildPopups() {
    PopupMenu1 = new QMenu(this);
    V1 = PopupMenu1->addAction(QStringLiteral("画像の表示(&V)"));
    G2 = PopupMenu1->addAction(QStringLiteral("選択した画像を減色(&G)"));
    D1 = PopupMenu1->addAction(QStringLiteral("選択した画像の削除(&D)"));

    PopupMenu2 = new QMenu(this);
    V2 = PopupMenu2->addAction(QStringLiteral("画像の表示(&V)"));
    P1 = PopupMenu2->addAction(QStringLiteral("パレット内容の表示(&P)"));
    S1 = PopupMenu2->addMenu(QStringLiteral("選択した画像の保存(&S)"));
    F1 = S1->addAction(QStringLiteral("場所を決めて保存(&F)"));
    S3 = S1->addAction(QStringLiteral("名前を付けて保存(&A)"));
    S2 = S1->addAction(QStringLiteral("上書き保存(&S)"));
    P2 = S1->addAction(QStringLiteral("パレットを保存(&P)"));
    D2 = PopupMenu2->addAction(QStringLiteral("選択した画像の削除(&D)"));

    MotoListBox->setContextMenuPolicy(Qt::CustomContextMenu);
    GenListView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(MotoListBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(MotoListBox->viewport()->mapToGlobal(at));
    });
    connect(GenListView, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu2->popup(GenListView->viewport()->mapToGlobal(at));
    });
}

void TMain::connectCommands() {
    // Every command runs guarded: an error it raises is shown and ends only
    // that command.
    auto on = [this](auto* sender, auto signal, void (TMain::*handler)()) {
        connect(sender, signal, this, [this, handler] { runCommand([&] { (this->*handler)(); }); });
    };
    on(File1, &QMenu::aboutToShow, &TMain::File1Click);
    on(V3, &QMenu::aboutToShow, &TMain::V3Click);
    on(N3, &QMenu::aboutToShow, &TMain::N3Click);
    on(PopupMenu1, &QMenu::aboutToShow, &TMain::PopupMenu1Popup);
    on(PopupMenu2, &QMenu::aboutToShow, &TMain::PopupMenu2Popup);

    on(Open1, &QAction::triggered, &TMain::Open1Click);
    on(Save1, &QAction::triggered, &TMain::Save1Click);
    on(Save3, &QAction::triggered, &TMain::Save3Click);
    on(Save2, &QAction::triggered, &TMain::Save2Click);
    on(P4, &QAction::triggered, &TMain::P4Click);
    on(Exit1, &QAction::triggered, &TMain::Exit1Click);
    on(G1, &QAction::triggered, &TMain::G1Click);
    on(P3, &QAction::triggered, &TMain::P3Click);
    on(B2, &QAction::triggered, &TMain::B2Click);
    on(A1, &QAction::triggered, &TMain::A1Click);
    on(P5, &QAction::triggered, &TMain::P5Click);
    on(T1, &QAction::triggered, &TMain::T1Click);
    on(B1, &QAction::triggered, &TMain::B1Click);
    on(V1, &QAction::triggered, &TMain::V1Click);
    on(G2, &QAction::triggered, &TMain::G2Click);
    on(D1, &QAction::triggered, &TMain::D1Click);
    on(V2, &QAction::triggered, &TMain::V2Click);
    on(P1, &QAction::triggered, &TMain::P1Click);
    on(F1, &QAction::triggered, &TMain::F1Click);
    on(S3, &QAction::triggered, &TMain::S3Click);
    on(S2, &QAction::triggered, &TMain::S2Click);
    on(P2, &QAction::triggered, &TMain::P2Click);
    on(D2, &QAction::triggered, &TMain::D2Click);

    on(OpenButton, &QToolButton::clicked, &TMain::OpenButtonClick);
    on(Save1Button, &QToolButton::clicked, &TMain::Save1ButtonClick);
    on(Save3Button, &QToolButton::clicked, &TMain::Save3ButtonClick);
    on(Save2Button, &QToolButton::clicked, &TMain::Save2ButtonClick);
    on(Save4Button, &QToolButton::clicked, &TMain::Save4ButtonClick);
    on(GenButton, &QToolButton::clicked, &TMain::GenButtonClick);
    on(PAddButton, &QToolButton::clicked, &TMain::PAddButtonClick);
    on(PalButton, &QToolButton::clicked, &TMain::PalButtonClick);
    on(DMotoButton, &QPushButton::clicked, &TMain::DMotoButtonClick);
    on(DGenButton, &QPushButton::clicked, &TMain::DGenButtonClick);

    on(&MotoListBox->input, &kararisu::ListInput::mouseMoved, &TMain::MotoListBoxMouseMove);
    on(&MotoListBox->input, &kararisu::ListInput::mouseReleased, &TMain::MotoListBoxMouseUp);
    on(&MotoListBox->input, &kararisu::ListInput::keyReleased, &TMain::MotoListBoxKeyUp);
    on(MotoListBox, &QListWidget::itemDoubleClicked, &TMain::MotoListBoxDblClick);
    on(&GenListView->input, &kararisu::ListInput::mouseMoved, &TMain::GenListViewMouseMove);
    on(&GenListView->input, &kararisu::ListInput::mouseReleased, &TMain::GenListViewMouseUp);
    on(&GenListView->input, &kararisu::ListInput::keyReleased, &TMain::GenListViewKeyUp);
    on(GenListView, &QTreeWidget::itemDoubleClicked, &TMain::GenListViewDblClick);
}

void TMain::FormCreate(const std::vector<std::string>& arguments) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize room = screen->geometry().size();
        const QSize size = sizeHint();
        move((room.width() - size.width()) / 2, (room.height() - size.height()) / 2);
    }
    initialise(SourceList);
    initialise(ResultList);
    initialise(TargetList);
    initialise(PaletteList);
    MotoListBox->clear();
    ListExtent = SourceCount = ResultCount = PaletteCount = 0;
    OpenFolder = SaveFolder = programFolder();
    if (!arguments.empty()) loadCommandLine(arguments);
    setAcceptDrops(true);
}

int TMain::selectedLines() const {
    return int(MotoListBox->selectedItems().size());
}

int TMain::selectedRows() const {
    return int(GenListView->selectedItems().size());
}

QString TMain::statusText() const {
    return StatusBar1->currentMessage();
}

void TMain::File1Click() {
    bool rows = selectedRows() > 0;
    for (QAction* a : {Save1, Save2, Save3, P4}) a->setEnabled(rows);
}

void TMain::V3Click() {
    B2->setEnabled(selectedLines() > 0);
    A1->setEnabled(selectedRows() > 0);
    P5->setEnabled(selectedRows() > 0);
}

void TMain::PopupMenu1Popup() {
    bool lines = selectedLines() > 0;
    for (QAction* a : {V1, G2, D1}) a->setEnabled(lines);
}

void TMain::PopupMenu2Popup() {
    bool rows = selectedRows() > 0;
    for (QAction* a : {V2, P1, D2}) a->setEnabled(rows);
    S1->setEnabled(rows);
    for (QAction* a : {F1, S3, S2, P2}) a->setEnabled(rows);
}

void TMain::MotoListBoxMouseUp() {
    // Only ever enables: clearing the selection leaves the commands as they are.
    if (selectedLines() > 0) {
        G1->setEnabled(true);
        GenButton->setEnabled(true);
        DMotoButton->setEnabled(true);
    }
}

void TMain::MotoListBoxKeyUp() {
    MotoListBoxMouseUp();
}

void TMain::GenListViewMouseUp() {
    bool rows = selectedRows() > 0;
    for (QWidget* w : std::initializer_list<QWidget*>{DGenButton, PalButton, Save1Button,
                                                      Save2Button, Save3Button, Save4Button})
        w->setEnabled(rows);
}

void TMain::GenListViewKeyUp() {
    GenListViewMouseUp();
}

void TMain::MotoListBoxMouseMove() {
    StatusBar1->showMessage(
        QStringLiteral("減色するＢＭＰを選んで下さい。ダブルクリックでプレビューできます。"));
}

void TMain::GenListViewMouseMove() {
    StatusBar1->showMessage(QStringLiteral("ダブルクリックでプレビューできます。"));
}

void TMain::N3Click() {
    B1->setChecked(SoundCheck->isChecked());
}

void TMain::B1Click() {
    // Triggering B1 has already inverted its check mark.
    SoundCheck->setChecked(B1->isChecked());
}

void TMain::T1Click() {
    // Triggering T1 has already inverted its check mark: unchecked now means
    // the tool bar was shown and goes away.
    const int h = ToolBar1->height();
    const int dy = T1->isChecked() ? h : -h;
    ToolBar1->setVisible(T1->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*>{Label1, Label2, Bevel1, Bevel2, DMotoButton,
                                                      DGenButton, MotoListBox, GenListView})
        w->move(w->x(), w->y() + dy);
    setClientHeight(Client->height() + dy);
}

void TMain::setClientHeight(int height) {
    Client->setFixedHeight(height);
    // The status bar keeps to the bottom edge.
    StatusBar1->move(0, height - StatusBar1->height());
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
    // The controls mirror the lists; they are emptied with them so nothing
    // draws from a released list.
    MotoListBox->clear();
    GenListView->clear();
    release(SourceList);
    release(ResultList);
    release(TargetList);
    release(PaletteList);
    SourceCount = ResultCount = TargetCount = PaletteCount = 0;
    setAcceptDrops(false);
    released_ = true;
}

void TMain::closeEvent(QCloseEvent* event) {
    if (released_ || !FormCloseQuery()) {
        event->accept();
        return;
    }
    FormClose();
    event->accept();
    emit closed();
}

}  // namespace kararisu
