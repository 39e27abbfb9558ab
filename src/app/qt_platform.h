#pragma once
// The platform interface on Qt: QMessageBox, Qt's own file dialogs (with a
// picture preview where asked) and the desktop's beep.

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "support/platform.h"

namespace kararisu {

class QtPlatform : public Platform {
  public:
    // Message boxes and dialogs are owned by this window (may be null).
    void setOwner(QWidget* owner) { owner_ = owner; }

    Answer show(const Message& message) override;
    void beep(Beep kind) override;
    std::vector<std::string> openFiles(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    std::optional<SaveChoice> saveFileAs(const FileDialogRequest& request) override;
    std::optional<std::string> chooseFolder(const std::string& caption,
                                            const std::string& start) override;

  private:
    QPointer<QWidget> owner_;
};

// "name|pattern|..." as Qt's name filters: "name (pattern)" unless the name
// already shows its pattern in parentheses.
QStringList nameFilters(const std::string& filter);

}  // namespace kararisu
