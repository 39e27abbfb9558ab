// Pictures of opening and saving as a person meets them: the open dialog,
// the folder chooser with a typed
// new folder and its creation question, the save dialog, the overwrite
// question, and the lists' 12-pixel text enlarged.
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "app/main_controls.h"
#include "app/program.h"
#include "app/qt_platform.h"
#include "app/save_texts.h"
#include "gui/screenshot_shots.h"

namespace kararisu {

namespace {

// Once the modal window is up and painted: its picture, then `next`.
void whenUp(bool& ok, const QString& file, std::function<void(QWidget*)> next) {
    QTimer::singleShot(300, [&ok, file, next] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) {
            ok = false;
            std::printf("no window for %s\n", qPrintable(file));
            return;
        }
        ok = saveShot(w, file) && ok;
        next(w);
    });
}

// The lists' text four times as large, pixel for pixel.
bool enlargedText(TMain& m, const QString& file) {
    const QPixmap before = m.ui().MotoListBox->grab(QRect(0, 0, 200, 60));
    const QPixmap after = m.ui().GenListView->grab(QRect(0, 0, 353, 60));
    QImage sheet(4 * 353, 4 * 124, QImage::Format_RGB32);
    sheet.fill(Qt::lightGray);
    QPainter p(&sheet);
    p.scale(4, 4);
    p.drawPixmap(0, 0, before);
    p.drawPixmap(0, 64, after);
    p.end();
    const bool ok = sheet.save(file);
    std::printf("wrote %s\n", qPrintable(file));
    return ok;
}

}  // namespace

bool shootSave(Program& program, const std::string& folder, const QString& prefix) {
    TMain& m = program.main();
    bool ok = enlargedText(m, prefix + "-text12.png");
    QtPlatform qt;
    qt.setOwner(&m);

    // The chooser with a new folder typed, the question it asks, then a cancel.
    whenUp(ok, prefix + "-save-folder-chooser.png", [&ok, prefix](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        if (!d) {
            w->close();
            return;
        }
        d->findChild<QLineEdit*>("fileNameEdit")->setText(QStringLiteral("結果/新しいフォルダ"));
        whenUp(ok, prefix + "-save-folder-question.png", [&ok, prefix](QWidget* box) {
            if (auto* b = qobject_cast<QMessageBox*>(box)) b->button(QMessageBox::No)->click();
            whenUp(ok, prefix + "-save-folder-typed.png",
                   [](QWidget* chooser) { chooser->close(); });
        });
        d->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Open)->click();
    });
    qt.chooseFolder(WindowRef(), kSaveFolderCaption, folder);

    // The open dialog as the open command shows it: pictures of both formats.
    FileDialogRequest open;
    open.filter = kImageOpenFilter;
    open.folder = folder;
    open.multiSelect = true;
    open.preview = true;
    whenUp(ok, prefix + "-open-dialog.png", [](QWidget* w) { w->close(); });
    qt.openFiles(WindowRef(), open);

    // The save dialog as save as opens it.
    FileDialogRequest r;
    r.filter = imageSaveFilter(ImageFormat::Bmp);
    r.folder = folder;
    r.fileName = "photo.bmp";
    r.defaultSuffix = "bmp";
    r.preview = true;
    r.confirmOverwrite = true;
    whenUp(ok, prefix + "-save-dialog.png", [](QWidget* w) { w->close(); });
    qt.saveFile(WindowRef(), r);

    whenUp(ok, prefix + "-save-overwrite-question.png", [](QWidget* w) {
        if (auto* b = qobject_cast<QMessageBox*>(w)) b->button(QMessageBox::Cancel)->click();
    });
    qt.show(WindowRef(), overwriteQuestion("photo.bmp"));
    return ok;
}

}  // namespace kararisu
