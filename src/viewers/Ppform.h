#pragma once
// The palette viewer, one window created hidden at start-up. Its selector
// PalBox holds the names of the results, in list order.

#include <QComboBox>
#include <QWidget>

namespace kararisu {

class TPPreForm : public QWidget {
    Q_OBJECT
  public:
    explicit TPPreForm(QWidget* parent = nullptr);

    QComboBox* PalBox;
};

}  // namespace kararisu
