#pragma once
// What the main window hears of the user's hand on its two lists: a mouse
// button or a key let go, the mouse moved, a double-click. Each is told after the list has
// handled the event itself, so a selection read then is already the new one.

#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>

namespace kararisu {

class ListInput : public QObject {
    Q_OBJECT
  signals:
    void mouseReleased();
    void keyReleased();
    void mouseMoved();
    void doubleClicked();
};

// A list widget (QListWidget, QTreeWidget) that reports through `input`.
template <typename List>
class ReportingList : public List {
  public:
    using List::List;
    ListInput input;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        List::mouseReleaseEvent(event);
        emit input.mouseReleased();
    }
    void keyReleaseEvent(QKeyEvent* event) override {
        List::keyReleaseEvent(event);
        emit input.keyReleased();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        List::mouseMoveEvent(event);
        emit input.mouseMoved();
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        List::mouseDoubleClickEvent(event);
        emit input.doubleClicked();
    }
};

}  // namespace kararisu
