#pragma once
// A spin control attached to an edit: two arrow buttons that step a position
// within a range (no wrap) and write it into the edit as decimal text. The
// Up and Down keys in the edit step it too.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace kararisu {

class UpDown : public QWidget {
  public:
    UpDown(QWidget* parent, QLineEdit* buddy);

    void setRange(int min, int max);
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    // Sets the position and shows it in the edit.
    void setPosition(int position);
    int position() const { return position_; }
    // One step up (+1) or down (-1) from the number the edit shows.
    void step(int delta);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QLineEdit* buddy_;
    QToolButton* up_;
    QToolButton* down_;
    int min_ = 0;
    int max_ = 256;
    int position_ = 256;
};

}  // namespace kararisu
