#pragma once
// The controls of the main window, named as on the form. The window builds
// and owns them; tests and the screenshot tool reach them through TMain::ui().

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

#include "app/gen_list_view.h"
#include "app/moto_list_box.h"
#include "app/tool_bar.h"
#include "widgets/glyphs.h"

namespace kararisu {

struct MainControls {
    // --- pictures
    GlyphList ImageList1 = makeImageList1();  // depth and origin glyphs
    GlyphList ImageList2 = makeImageList2();  // tool bar
    GlyphList ImageList3 = makeImageList3();  // row glyphs of the "after" list

    QWidget* Client = nullptr;  // the client area below the menu bar
    QMenuBar* MainMenu1 = nullptr;
    QMenu* File1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* Save3 = nullptr;
    QAction* Save2 = nullptr;
    QAction* P4 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* G1 = nullptr;
    QAction* P3 = nullptr;
    QMenu* V3 = nullptr;
    QAction* B2 = nullptr;
    QAction* A1 = nullptr;
    QAction* P5 = nullptr;
    QAction* T1 = nullptr;
    QMenu* N3 = nullptr;
    QAction* B1 = nullptr;
    QAction* H1 = nullptr;  // refine the palette (ReductionSettings::refine)
    QAction* E1 = nullptr;  // error diffusion (ReductionSettings::dither)

    ToolBar* ToolBar1 = nullptr;
    QToolButton* OpenButton = nullptr;
    QToolButton* Save1Button = nullptr;
    QToolButton* Save3Button = nullptr;
    QToolButton* Save2Button = nullptr;
    QToolButton* Save4Button = nullptr;
    QToolButton* GenButton = nullptr;
    QToolButton* PAddButton = nullptr;
    QToolButton* PalButton = nullptr;
    QCheckBox* SoundCheck = nullptr;

    QFrame* Bevel1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* DMotoButton = nullptr;
    QFrame* Bevel2 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* DGenButton = nullptr;
    kararisu::MotoListBox* MotoListBox = nullptr;
    kararisu::GenListView* GenListView = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    QMenu* PopupMenu1 = nullptr;
    QAction* V1 = nullptr;
    QAction* G2 = nullptr;
    QAction* D1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* V2 = nullptr;
    QAction* P1 = nullptr;
    QMenu* S1 = nullptr;
    QAction* F1 = nullptr;
    QAction* S3 = nullptr;
    QAction* S2 = nullptr;
    QAction* P2 = nullptr;
    QAction* D2 = nullptr;
};

}  // namespace kararisu
