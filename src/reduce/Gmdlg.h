#pragma once
// The progress monitor of a reduction run, created hidden at start-up and
// shown by the engines while they work. Every change is painted at once and
// the events other than user input that wait are handled, so the window
// stays painted and answering while a run holds the GUI thread.

#include <QDialog>

#include "reduce/monitor.h"

class QLabel;
class QProgressBar;

namespace kararisu {

class TGenMoniDlg : public QDialog, public RunMonitor {
    Q_OBJECT
  public:
    // parent: the window the monitor is kept above.
    explicit TGenMoniDlg(QWidget* parent = nullptr);

    // --- RunMonitor
    void setTitle(const std::string& text) override;
    void setNumber(const std::string& text) override;
    void setName(const std::string& text) override;
    void setStep(const std::string& text) override;
    void setPosition(int position) override;
    void show() override;
    void hide() override;
    void processEvents() override;

    // There is no cancel: Esc and the window's close do nothing.
    void reject() override {}

    QLabel* TitleLabel;
    QLabel* NoLabel;
    QLabel* Label3;
    QLabel* NameLabel;
    QLabel* ComentLabel;
    QProgressBar* PBar;

  signals:
    // After every change: the control's name ("show" and "hide" for the
    // window) and what it shows now.
    void monitorChanged(const QString& control, const QString& value);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void changed(QWidget* control, const QString& value);
};

}  // namespace kararisu
