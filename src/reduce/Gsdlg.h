#pragma once
// The reduction settings dialog, created hidden at start-up and shown modally
// before every reduction run.

#include <QDialog>

namespace kararisu {

class TGenSetDlg : public QDialog {
    Q_OBJECT
  public:
    explicit TGenSetDlg(QWidget* parent = nullptr);
};

}  // namespace kararisu
