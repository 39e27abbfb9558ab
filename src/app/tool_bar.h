#pragma once
// A flat tool bar laid out by hand: glyph buttons of one size side by side
// from an indent, dividers between groups, a border line at top and bottom.

#include <QFrame>
#include <QToolButton>
#include <vector>

namespace kararisu {

class ToolBar : public QFrame {
  public:
    ToolBar(QWidget* parent, QSize buttonSize, QSize glyphSize, int indent);

    // A flat button showing the glyph, with its tooltip.
    QToolButton* addButton(const QIcon& glyph, const QString& tooltip);
    void addDivider(int width = 8);
    // Any other control, as wide as given and as high as a button.
    void addControl(QWidget* control, int width);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QSize buttonSize_;
    QSize glyphSize_;
    int next_;
    std::vector<int> dividers_;  // centre x of each divider
};

}  // namespace kararisu
