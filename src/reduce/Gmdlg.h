#pragma once
// The progress monitor of a reduction run, created hidden at start-up.

#include <QDialog>

namespace kararisu {

class TGenMoniDlg : public QDialog {
    Q_OBJECT
  public:
    explicit TGenMoniDlg(QWidget* parent = nullptr);
};

}  // namespace kararisu
