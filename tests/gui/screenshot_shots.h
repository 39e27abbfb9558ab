#pragma once
// Pictures the screenshot tool takes beside the main window's, a family each.

#include <QApplication>
#include <QString>
#include <QWidget>
#include <string>

#include "gui/fake_platform.h"

namespace kararisu {

class Program;

// Grabs the widget into a PNG file and says so on standard output.
bool saveShot(QWidget* w, const QString& file);

// The merge dialog filled, then a many-to-one merge run (OUT_PREFIX-merge-*.png).
bool shootMerge(QApplication& app, Program& program, test::FakePlatform& platform,
                const std::string& folder, const QString& prefix);

// The settings dialog in its three menus, the monitor during a run and the
// results it made (OUT_PREFIX-reduce-*.png).
bool shootReduce(QApplication& app, Program& program, const QString& prefix);

// Saving: the folder chooser, its creation question, the save dialog, the
// overwrite question and the lists' text enlarged (OUT_PREFIX-save-*.png,
// OUT_PREFIX-text12.png).
bool shootSave(Program& program, const std::string& folder, const QString& prefix);

// The image viewers on a large and a small image with the strip shown, the
// palette viewer reading out a colour, a 16-colour result zoomed and against
// its source, and a fit (OUT_PREFIX-source-*.png, ..., -zoom-*.png,
// -compare-*.png).
bool shootViewers(QApplication& app, Program& program, const std::string& folder,
                  const QString& prefix);

}  // namespace kararisu
