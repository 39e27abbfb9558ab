#pragma once
// The palette viewer, one window created hidden at start-up.

#include <QWidget>

namespace kararisu {

class TPPreForm : public QWidget {
    Q_OBJECT
  public:
    explicit TPPreForm(QWidget* parent = nullptr);
};

}  // namespace kararisu
