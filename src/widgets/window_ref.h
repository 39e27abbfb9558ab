#pragma once
// The platform interface names windows without the toolkit; these turn a
// form into that name and back.

#include <QWidget>

#include "support/platform.h"

namespace kararisu {

// The window w belongs to (w itself for a window).
inline WindowRef windowRef(const QWidget* w) {
    return WindowRef(w != nullptr ? static_cast<const void*>(w->window()) : nullptr);
}

// The window a WindowRef names, or null for the empty one.
inline QWidget* widgetOf(WindowRef window) {
    return const_cast<QWidget*>(static_cast<const QWidget*>(window.get()));
}

}  // namespace kararisu
