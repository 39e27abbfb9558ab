#pragma once
// The main window TMain: the "before" and "after" lists side by side under a
// menu bar and a tool bar, with a status bar. It owns the four work lists
// for the whole life of the program; every control that shows a list is
// registered with it and follows each change (worklists/mirrored_list.h).
//
// Split by command family: layout (Mainform.cpp), the command table, the
// enabling rules and options, then loading, deleting, saving, reducing,
// merging and viewing (Mainform_*.cpp), a file each.

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "app/secondary_windows.h"
#include "reduce/engines.h"
#include "widgets/window_ref.h"
#include "worklists/image_file.h"
#include "worklists/mirrored_list.h"

namespace kararisu {

class ListInput;
struct MainControls;

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

    WorkLists& lists() { return lists_; }
    // Where every finished result enters the window: ResultList, the rows of
    // the "after" list and the viewers' selectors, in one step.
    ResultSink& resultSink() { return resultSink_; }
    MainControls& ui() { return *ui_; }
    Platform& platform() { return platform_; }

    // ColorCount and SchemeName: written by the settings dialog (the merges
    // set SchemeName "カスタム"), read by the reductions.
    ReductionSettings settings;
    std::string OpenFolder;  // where the open dialog starts
    std::string SaveFolder;  // where the save dialog and folder chooser start
    int ListExtent = 0;      // the "before" list's horizontal scroll extent

    // --- menus opening, and the lists under the mouse and keys
    void File1Click();
    void V3Click();
    void N3Click();
    void PopupMenu1Popup();
    void PopupMenu2Popup();
    void MotoListBoxMouseMove();
    void GenListViewMouseMove();
    void MotoListBoxMouseUp();
    void MotoListBoxKeyUp();
    void GenListViewMouseUp();
    void GenListViewKeyUp();
    // --- options and closing
    void B1Click();
    void H1Click();  // settings.refine follows the check mark
    void E1Click();  // settings.dither: the automatic error diffusion while ticked
    void T1Click();
    void Exit1Click();

    // --- commands, each reached from the controls the command table lists
    void Open1Click();
    void DropFiles(const std::vector<std::string>& paths);
    void F1Click();  // save to a chosen folder
    void S3Click();  // save as
    void S2Click();  // overwrite
    void P2Click();  // save palettes
    void G1Click();  // reduce
    void P3Click();  // merge palettes
    void D1Click();  // delete source images
    void D2Click();  // delete result images
    void MotoListBoxDblClick();
    void GenListViewDblClick();
    void P1Click();  // show a result's palette

    // The command table: a control, the handler name it has on the form,
    // the command it runs and, for the two lists, the event that runs it.
    using Command = void (TMain::*)();
    struct CommandRow {
        QObject* control;
        const char* handler;
        Command command;
        void (ListInput::*listEvent)() = nullptr;
    };
    std::vector<CommandRow> commandTable();

    QString statusText() const;  // the status bar's simple text
    int selectedLines() const;
    int selectedRows() const;

  signals:
    // The window has closed and cleared its lists; the program ends.
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

    // Enabling rules (Mainform_enabling.cpp).
    void enableSourceCommands(bool lines);
    void enableResultCommands(bool rows);
    // Loading (Mainform_load.cpp).
    void addSource(const std::string& path, ImageFile image);
    void recomputeExtent();
    void loadCommandLine(const std::vector<std::string>& arguments);
    // A dropped or named file: taken, rejected (name added to rejected), or
    // an error that cannot be read at all, which is thrown.
    void loadChecked(const std::string& path, std::vector<std::string>& rejected);
    void showRejected(const std::vector<std::string>& rejected);

    // Saving (Mainform_save.cpp): one result through the save dialog.
    void saveAs(const ImageEntry& entry);

    Platform& platform_;
    // The main window's own messages, and those of the work it starts.
    WindowReporter reporter_;
    std::unique_ptr<MainControls> ui_;
    WorkLists lists_;
    ResultListSink resultSink_{lists_.results};
    // The main window's own mirrors: the "before" list and the "after" rows.
    std::unique_ptr<ListMirror<ImageEntry, std::string>> sourceLines_;
    std::unique_ptr<ListMirror<ImageEntry, ResultRow>> resultRows_;
    SecondaryWindows windows_;
};

}  // namespace kararisu
