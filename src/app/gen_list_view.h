#pragma once
// The "after" list: a report-style list view of three columns with a row
// glyph, whole rows selected, several at once, the selection shown even
// without the focus.

#include <QTreeWidget>

namespace kararisu {

class GenListView : public QTreeWidget {
    Q_OBJECT
  public:
    explicit GenListView(QWidget* parent);

  signals:
    void mouseReleased();
    void keyReleased();
    void mouseMoved();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

}  // namespace kararisu
