#pragma once
// The palette viewer, one window created hidden at start-up. Its selector
// PalBox mirrors ResultList.

#include <QComboBox>
#include <QWidget>
#include <memory>

#include "app/list_mirrors.h"

namespace kararisu {

class TPPreForm : public QWidget {
    Q_OBJECT
  public:
    explicit TPPreForm(ResultList& results, QWidget* parent = nullptr);

    QComboBox* PalBox;

  private:
    std::unique_ptr<ComboMirror<ResultList>> selector_;
};

}  // namespace kararisu
