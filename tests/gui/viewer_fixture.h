#pragma once
// Shared set-up of the viewer tests: list entries of any size, made in
// memory, and simulated mouse and key input.

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "gui/gui_fixture.h"
#include "viewers/Gpform.h"
#include "viewers/Mpform.h"
#include "viewers/Ppform.h"

namespace kararisu::test {

class ViewerTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        start();
    }
    TMPreForm& source() { return *program->windows().MPreForm; }
    TGPreForm& result() { return *program->windows().GPreForm; }
    TPPreForm& palette() { return *program->windows().PPreForm; }

    void addSource(const std::string& name, int w, int h, PixelFormat f = PixelFormat::Bpp24) {
        main().lists().sources.append(makeImageEntry(path(name), Bitmap(w, h, f)), name);
    }
    void addResult(const std::string& name, Bitmap bitmap) {
        main().resultSink().add(Result{std::move(bitmap), path(name), name + "(1)", "ノーマル256"});
    }
    void addResult(const std::string& name, PixelFormat f = PixelFormat::Bpp8) {
        addResult(name, Bitmap(8, 8, f));
    }
    // Lets the first paint and what it queued happen.
    static void settle() {
        for (int i = 0; i < 4; ++i) QApplication::processEvents();
    }
    static void mouseMove(QWidget* w, QPoint at) {
        QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    static void press(QWidget* w, QPoint at) {
        QMouseEvent e(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    static void click(QWidget* w, QPoint at) {
        press(w, at);
        QMouseEvent e(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    static void escape(QWidget* w) {
        QKeyEvent e(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
        QApplication::sendEvent(w, &e);
    }
};

}  // namespace kararisu::test
