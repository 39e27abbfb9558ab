#include "app/run_input_guard.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace kararisu {

namespace {

bool isHeldBack(QEvent::Type t) {
    switch (t) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Close:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

}  // namespace

RunInputGuard::RunInputGuard() : modalAtStart_(QApplication::activeModalWidget()) {
    QCoreApplication::instance()->installEventFilter(this);
}

RunInputGuard::~RunInputGuard() {
    // What was held back arrives now and is dropped here.
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(this);
}

bool RunInputGuard::inRunsOwnBox(QObject* watched) const {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == modalAtStart_) return false;
    // Key and mouse events from the window system go to the box's window
    // before its controls.
    if (auto* window = qobject_cast<QWindow*>(watched)) return window == modal->windowHandle();
    if (auto* w = qobject_cast<QWidget*>(watched)) return w->window() == modal;
    return false;
}

bool RunInputGuard::eventFilter(QObject* watched, QEvent* event) {
    // The box's own close (its button pressed) passes with the rest of its
    // input.
    return isHeldBack(event->type()) && !inRunsOwnBox(watched);
}

}  // namespace kararisu
