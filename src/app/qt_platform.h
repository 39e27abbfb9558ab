#pragma once
// The platform interface on Qt: QMessageBox, Qt's own file dialogs (with a
// picture preview where asked) and the desktop's beep. Each box and dialog
// is a child of the window it is asked for, so the window manager keeps it
// above that window; a window kept above all others passes that on.

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "support/platform.h"

namespace kararisu {

class QtPlatform : public Platform {
  public:
    // The window of a request that names none while no modal window is
    // open (the main window; may be null).
    void setOwner(QWidget* owner) { owner_ = owner; }
    // The window a box or dialog asked for window belongs to.
    QWidget* ownerOf(WindowRef window) const;

    Answer show(WindowRef window, const Message& message) override;
    void beep(Beep kind) override;
    std::vector<std::string> openFiles(WindowRef window,
                                       const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(WindowRef window,
                                        const FileDialogRequest& request) override;
    std::optional<SaveChoice> saveFileAs(WindowRef window,
                                         const FileDialogRequest& request) override;
    std::optional<std::string> chooseFolder(WindowRef window, const std::string& caption,
                                            const std::string& start) override;

  private:
    QPointer<QWidget> owner_;
};

// "name|pattern|..." as Qt's name filters: "name (pattern)" unless the name
// already shows its pattern in parentheses.
QStringList nameFilters(const std::string& filter);

}  // namespace kararisu
