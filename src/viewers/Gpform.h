#pragma once
// The result image viewer, one window created hidden at start-up. Its
// selector GenBox holds the names of the results, in list order.

#include <QComboBox>
#include <QWidget>

namespace kararisu {

class TGPreForm : public QWidget {
    Q_OBJECT
  public:
    explicit TGPreForm(QWidget* parent = nullptr);

    QComboBox* GenBox;
};

}  // namespace kararisu
