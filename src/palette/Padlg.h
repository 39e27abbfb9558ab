#pragma once
// The palette merge dialog, created hidden at start-up.

#include <QDialog>

namespace kararisu {

class TPalAddDlg : public QDialog {
    Q_OBJECT
  public:
    explicit TPalAddDlg(QWidget* parent = nullptr);
};

}  // namespace kararisu
