#include "app/run_input_guard.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>

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

// The top-level widget that watched stands for: its window for a widget,
// the widget shown in it for a window of the platform.
QWidget* topLevelOf(QObject* watched) {
    if (auto* w = qobject_cast<QWidget*>(watched)) return w->window();
    if (auto* window = qobject_cast<QWindow*>(watched))
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowHandle() == window) return w;
    return nullptr;
}

}  // namespace

RunInputGuard::RunInputGuard() : modalAtStart_(QApplication::activeModalWidget()) {
    QCoreApplication::instance()->installEventFilter(this);
}

RunInputGuard::~RunInputGuard() {
    // What was held back arrives now and is dropped here.
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(this);
    for (const QPointer<QWidget>& w : closeRequested_)
        if (w) QMetaObject::invokeMethod(w, &QWidget::close, Qt::QueuedConnection);
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

void RunInputGuard::keepClose(QObject* watched) {
    QWidget* w = topLevelOf(watched);
    if (w != nullptr &&
        std::find(closeRequested_.begin(), closeRequested_.end(), w) == closeRequested_.end())
        closeRequested_.emplace_back(w);
}

bool RunInputGuard::eventFilter(QObject* watched, QEvent* event) {
    // The box's own close (its button pressed) passes with the rest of its
    // input.
    if (!isHeldBack(event->type()) || inRunsOwnBox(watched)) return false;
    if (event->type() == QEvent::Close) keepClose(watched);
    return true;
}

}  // namespace kararisu
