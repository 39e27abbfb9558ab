#include "reduce/dialog_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kararisu {

void placeCentred(QWidget& w, int lift) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect s = screen->geometry();
    const QSize size = w.frameGeometry().size();
    w.move(s.left() + (s.width() - size.width()) / 2,
           s.top() + (s.height() - size.height()) / 2 - lift);
}

}  // namespace kararisu
