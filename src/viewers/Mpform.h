#pragma once
// The source image viewer, one window created hidden at start-up. Its
// selector MotoBox holds the names of the source images, in list order.

#include <QComboBox>
#include <QFrame>
#include <QStringList>
#include <QToolButton>
#include <QWidget>

namespace kararisu {

class TMPreForm : public QWidget {
    Q_OBJECT
  public:
    // sourceNames: the lines of the main window's list at the time of creation.
    explicit TMPreForm(const QStringList& sourceNames, QWidget* parent = nullptr);

    QFrame* Panel1;
    QToolButton* UpButton;
    QToolButton* DownButton;
    QComboBox* MotoBox;
};

}  // namespace kararisu
