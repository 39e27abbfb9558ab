#pragma once
// The result image viewer, one window created hidden at start-up.

#include <QWidget>

namespace kararisu {

class TGPreForm : public QWidget {
    Q_OBJECT
  public:
    explicit TGPreForm(QWidget* parent = nullptr);
};

}  // namespace kararisu
