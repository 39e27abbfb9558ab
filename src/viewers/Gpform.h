#pragma once
// The result image viewer, one window created hidden at start-up. Its
// selector GenBox mirrors ResultList.

#include <QComboBox>
#include <QWidget>
#include <memory>

#include "app/list_mirrors.h"

namespace kararisu {

class TGPreForm : public QWidget {
    Q_OBJECT
  public:
    explicit TGPreForm(ResultList& results, QWidget* parent = nullptr);

    QComboBox* GenBox;

  private:
    std::unique_ptr<ComboMirror<ResultList>> selector_;
};

}  // namespace kararisu
