#pragma once
// The source image viewer, one window created hidden at start-up. Its
// selector MotoBox mirrors SourceList: it holds the names of the source
// images in list order, and the arrows follow the list.

#include <QComboBox>
#include <QFrame>
#include <QToolButton>
#include <QWidget>
#include <memory>

#include "app/list_mirrors.h"

namespace kararisu {

class TMPreForm : public QWidget {
    Q_OBJECT
  public:
    explicit TMPreForm(SourceList& sources, QWidget* parent = nullptr);

    QFrame* Panel1;
    QToolButton* UpButton;
    QToolButton* DownButton;
    QComboBox* MotoBox;

    // The arrows by the list's length and the selector's index: none with
    // one image, no up on the first, no down on the last.
    void UpdateButtons();

  private:
    SourceList& sources_;
    std::unique_ptr<ComboMirror<SourceList>> selector_;
};

}  // namespace kararisu
