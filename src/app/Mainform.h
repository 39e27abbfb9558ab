#pragma once
// The main window: the "before" and "after" lists side by side under a menu
// bar and a tool bar, with a status bar. It owns the four work lists and
// their counters for the whole life of the program.

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <string>
#include <vector>

#include "app/gen_list_view.h"
#include "app/glyphs.h"
#include "app/moto_list_box.h"
#include "app/platform.h"
#include "app/tool_bar.h"
#include "worklists/work_list.h"

namespace kararisu {

class TGenSetDlg;
class TGenMoniDlg;
class TPPreForm;
class TMPreForm;
class TGPreForm;
class TPalAddDlg;

// The secondary windows, created after the main window; null until then.
struct SecondaryWindows {
    TGenSetDlg* GenSetDlg = nullptr;
    TGenMoniDlg* GenMoniDlg = nullptr;
    TPPreForm* PPreForm = nullptr;
    TMPreForm* MPreForm = nullptr;
    TGPreForm* GPreForm = nullptr;
    TPalAddDlg* PalAddDlg = nullptr;
};

class TMain : public QMainWindow {
    Q_OBJECT
  public:
    // arguments: the command line after the program name; every one names an
    // image to load while the window is created.
    TMain(Platform& platform, const std::vector<std::string>& arguments);
    ~TMain() override;
    TMain(const TMain&) = delete;
    TMain& operator=(const TMain&) = delete;

    void attach(const SecondaryWindows& windows) { windows_ = windows; }
    const SecondaryWindows& windows() const { return windows_; }

    // --- pictures
    GlyphList ImageList1;
    GlyphList ImageList2;
    GlyphList ImageList3;

    // --- controls
    QWidget* Client;  // the client area below the menu bar
    QMenuBar* MainMenu1;
    QMenu* File1;
    QAction* Open1;
    QAction* Save1;
    QAction* Save3;
    QAction* Save2;
    QAction* P4;
    QAction* Exit1;
    QAction* G1;
    QAction* P3;
    QMenu* V3;
    QAction* B2;
    QAction* A1;
    QAction* P5;
    QAction* T1;
    QMenu* N3;
    QAction* B1;

    ToolBar* ToolBar1;
    QToolButton* OpenButton;
    QToolButton* Save1Button;
    QToolButton* Save3Button;
    QToolButton* Save2Button;
    QToolButton* Save4Button;
    QToolButton* GenButton;
    QToolButton* PAddButton;
    QToolButton* PalButton;
    QCheckBox* SoundCheck;

    QFrame* Bevel1;
    QLabel* Label1;
    QPushButton* DMotoButton;
    QFrame* Bevel2;
    QLabel* Label2;
    QPushButton* DGenButton;
    kararisu::MotoListBox* MotoListBox;
    kararisu::GenListView* GenListView;
    QStatusBar* StatusBar1;

    QMenu* PopupMenu1;
    QAction* V1;
    QAction* G2;
    QAction* D1;
    QMenu* PopupMenu2;
    QAction* V2;
    QAction* P1;
    QMenu* S1;
    QAction* F1;
    QAction* S3;
    QAction* S2;
    QAction* P2;
    QAction* D2;

    // --- the work lists and the fields several commands share
    ImageList SourceList;
    ImageList ResultList;
    ImageList TargetList;
    kararisu::PaletteList PaletteList;
    int SourceCount = 0;
    int ResultCount = 0;
    int TargetCount = 0;
    int PaletteCount = 0;
    int ListExtent = 0;
    int ColorCount = 0;
    std::string SchemeName;
    std::string OpenFolder;
    std::string SaveFolder;
    bool AllocFailed = false;

    // --- event handlers
    void File1Click();
    void V3Click();
    void N3Click();
    void B1Click();
    void T1Click();
    void Exit1Click();
    void PopupMenu1Popup();
    void PopupMenu2Popup();
    void MotoListBoxMouseMove();
    void GenListViewMouseMove();
    void MotoListBoxMouseUp();
    void MotoListBoxKeyUp();
    void GenListViewMouseUp();
    void GenListViewKeyUp();

    // Loading images.
    void Open1Click();
    void OpenButtonClick() { Open1Click(); }
    void DropFiles(const std::vector<std::string>& paths);

    // Commands whose work is done elsewhere; connected, doing nothing yet.
    void Save1Click() {}
    void Save2Click() {}
    void Save3Click() {}
    void P4Click() {}
    void Save1ButtonClick() { Save1Click(); }
    void Save2ButtonClick() { Save2Click(); }
    void Save3ButtonClick() { Save3Click(); }
    void Save4ButtonClick() { P4Click(); }
    void F1Click() { Save1Click(); }
    void S2Click() { Save2Click(); }
    void S3Click() { Save3Click(); }
    void P2Click() { P4Click(); }
    void G1Click() {}
    void G2Click() { G1Click(); }
    void GenButtonClick() { G1Click(); }
    void P3Click() {}
    void PAddButtonClick() { P3Click(); }
    // Deleting the selected lines or rows, with their entries.
    void D1Click();
    void DMotoButtonClick() { D1Click(); }
    void D2Click();
    void DGenButtonClick() { D2Click(); }
    void MotoListBoxDblClick() {}
    void V1Click() { MotoListBoxDblClick(); }
    void B2Click() { MotoListBoxDblClick(); }
    void GenListViewDblClick() {}
    void V2Click() { GenListViewDblClick(); }
    void A1Click() { GenListViewDblClick(); }
    void P1Click() {}
    void PalButtonClick() { P1Click(); }
    void P5Click() { P1Click(); }

    // The status bar's simple text.
    QString statusText() const;
    int selectedLines() const;
    int selectedRows() const;

  signals:
    // The window has closed and released its lists; the program ends.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildMenus();
    void buildToolBar();
    void buildLists();
    void buildPopups();
    void connectCommands();
    void FormCreate(const std::vector<std::string>& arguments);
    bool FormCloseQuery();
    void FormClose();
    void setClientHeight(int height);

    // Loading: one accepted file into the list and every control mirroring it.
    void addSource(const std::string& path, Bitmap bitmap, bool toViewer);
    void recomputeExtent();
    void refreshViewerArrows();
    void loadCommandLine(const std::vector<std::string>& arguments);
    // A dropped or named file: taken, rejected (name added to rejected), or
    // an error that cannot be read at all, which is thrown.
    void loadChecked(const std::string& path, bool toViewer, std::vector<std::string>& rejected);
    void showRejected(const std::vector<std::string>& rejected);

    Platform& platform_;
    SecondaryWindows windows_;
    bool released_ = false;
};

}  // namespace kararisu
