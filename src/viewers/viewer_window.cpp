#include "viewers/viewer_window.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QWidget>

namespace kararisu {

void useDesktopColours(QWidget& widget) {
    QPalette colours = QGuiApplication::palette();
    colours.setResolveMask(~QPalette::ResolveMask(0));
    widget.setPalette(colours);
    widget.setAutoFillBackground(true);
}

void restoreIfMinimised(QWidget& window) {
    if (window.isMinimized()) window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
}

QPixmap arrowGlyph(bool up) {
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tri;
    if (up) {
        tri.moveTo(10, 3);
        tri.lineTo(18, 16);
        tri.lineTo(2, 16);
    } else {
        tri.moveTo(2, 4);
        tri.lineTo(18, 4);
        tri.lineTo(10, 17);
    }
    tri.closeSubpath();
    QLinearGradient shade(0, 0, 20, 20);
    shade.setColorAt(0, QColor(150, 150, 150));
    shade.setColorAt(1, QColor(40, 40, 40));
    p.fillPath(tri, shade);
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.drawPath(tri);
    return pm;
}

QToolButton* makeArrowButton(QWidget* parent, bool up, int left) {
    auto* b = new QToolButton(parent);
    b->setGeometry(left, 0, 25, 25);
    b->setIcon(QIcon(arrowGlyph(up)));
    b->setIconSize(QSize(20, 20));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

}  // namespace kararisu
