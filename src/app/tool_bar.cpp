#include "app/tool_bar.h"

#include <QPainter>

namespace kararisu {

namespace {
constexpr int kTop = 2;  // below the top border line
}

ToolBar::ToolBar(QWidget* parent, QSize buttonSize, QSize glyphSize, int indent)
    : QFrame(parent), buttonSize_(buttonSize), glyphSize_(glyphSize), next_(indent) {}

QToolButton* ToolBar::addButton(const QIcon& glyph, const QString& tooltip) {
    auto* b = new QToolButton(this);
    b->setIcon(glyph);
    b->setIconSize(glyphSize_);
    b->setToolTip(tooltip);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(next_, kTop, buttonSize_.width(), buttonSize_.height());
    next_ += buttonSize_.width();
    return b;
}

void ToolBar::addDivider(int width) {
    dividers_.push_back(next_ + width / 2);
    next_ += width;
}

void ToolBar::addControl(QWidget* control, int width) {
    control->setParent(this);
    control->setGeometry(next_, kTop, width, buttonSize_.height());
    next_ += width;
}

void ToolBar::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    const QPalette& pal = palette();
    // Etched lines: a dark one with a light one beside it.
    p.setPen(pal.color(QPalette::Mid));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, height() - 2, width() - 1, height() - 2);
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(0, 1, width() - 1, 1);
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
    for (int x : dividers_) {
        p.setPen(pal.color(QPalette::Mid));
        p.drawLine(x - 1, kTop + 1, x - 1, kTop + buttonSize_.height() - 2);
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(x, kTop + 1, x, kTop + buttonSize_.height() - 2);
    }
}

}  // namespace kararisu
