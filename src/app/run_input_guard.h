#pragma once
// What a reduction run does with input while it holds the GUI thread.
//
// The monitor lets waiting events other than input be handled, so the
// windows stay painted. Input that waited is dropped when it arrives, so no
// second command starts and no list changes under the run. Two things pass:
// - a modal box the run itself raised (a size or memory message) takes its
//   keys and clicks, which reach its window first and then its controls;
// - a request to close a window is not acted on during the run but kept:
//   the window is closed once the run has ended.

#include <QObject>
#include <QPointer>
#include <vector>

class QWidget;
class QWindow;

namespace kararisu {

class RunInputGuard : public QObject {
  public:
    RunInputGuard();
    // Drops the input still waiting, then asks each window whose close was
    // requested during the run to close, once the event loop is back.
    ~RunInputGuard() override;
    RunInputGuard(const RunInputGuard&) = delete;
    RunInputGuard& operator=(const RunInputGuard&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Whether watched (a widget or a window of the platform) belongs to a
    // modal window opened since the run began.
    bool inRunsOwnBox(QObject* watched) const;
    void keepClose(QObject* watched);

    QPointer<QWidget> modalAtStart_;
    std::vector<QPointer<QWidget>> closeRequested_;
};

}  // namespace kararisu
