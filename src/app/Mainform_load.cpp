// Loading images into the "before" list: the open dialog, dropped files and
// the command line.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

#include "app/Mainform.h"
#include "app/application.h"
#include "viewers/Mpform.h"
#include "worklists/bmp/bmp.h"
#include "worklists/loading.h"
#include "worklists/results.h"

namespace kararisu {

namespace {

// File names are bytes on Linux; show them as the system decodes them.
QString displayName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(fileNameOf(path)));
}

}  // namespace

void TMain::addSource(const std::string& path, Bitmap bitmap, bool toViewer) {
    appendImage(SourceList, SourceCount, path, std::move(bitmap));
    const QString name = displayName(path);
    MotoListBox->addItem(name);
    if (toViewer && windows_.MPreForm) windows_.MPreForm->MotoBox->addItem(name);
}

void TMain::recomputeExtent() {
    QFontMetrics fm(MotoListBox->font());
    for (int i = 0; i < MotoListBox->count(); ++i)
        ListExtent = std::max(ListExtent, fm.horizontalAdvance(MotoListBox->item(i)->text()) + 22);
    MotoListBox->setHorizontalExtent(ListExtent);
}

void TMain::refreshViewerArrows() {
    TMPreForm* viewer = windows_.MPreForm;
    if (!viewer) return;
    const int n = SourceCount;
    const int k = viewer->MotoBox->currentIndex();
    bool up = true, down = true;
    // With no image at all there is nothing to step to either (the arrows
    // would walk off the list).
    if (n <= 1) {
        up = down = false;
    } else if (k == 0) {
        up = false;
    } else if (k == n - 1) {
        down = false;
    }
    viewer->UpButton->setEnabled(up);
    viewer->DownButton->setEnabled(down);
}

void TMain::Open1Click() {
    for (;;) {
        FileDialogRequest request;
        request.filter = "ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp";
        request.folder = OpenFolder;
        request.fileName.clear();
        request.multiSelect = true;
        request.preview = true;
        try {
            const std::vector<std::string> files = platform_.openFiles(request);
            if (files.empty()) return;
            for (const std::string& chosen : files) {
                const std::string path = longFormOf(chosen);
                OpenFolder = folderOf(path);
                addSource(path, loadSourceBmp(path).take(path), true);
            }
            recomputeExtent();
            refreshViewerArrows();
            return;
        } catch (const ProblemError& e) {
            // The files before it stay loaded and listed.
            recomputeExtent();
            refreshViewerArrows();
            // Not a bitmap: the general error display reports it; the rest of
            // the choice is not processed.
            if (!e.problem().cannotRead()) throw;
            Message m{e.what(), kOpenErrorCaption, MessageIcon::Stop, MessageButtons::RetryCancel};
            if (platform_.show(m) != Answer::Retry) return;
        } catch (...) {
            // Anything else ends the command too, after the same bookkeeping.
            recomputeExtent();
            refreshViewerArrows();
            throw;
        }
    }
}

void TMain::loadChecked(const std::string& path, bool toViewer,
                        std::vector<std::string>& rejected) {
    if (!hasBmpSuffix(path)) {
        rejected.push_back(fileNameOf(path));
        return;
    }
    // Read once: the picture that was checked is the one that is listed.
    Outcome<Bitmap> bitmap = loadSourceBmp(path);
    if (!bitmap && bitmap.problem().cannotRead()) throw ProblemError(bitmap.problem(), path);
    if (!bitmap) {
        rejected.push_back(fileNameOf(path));
        return;
    }
    addSource(path, std::move(*bitmap), toViewer);
}

void TMain::showRejected(const std::vector<std::string>& rejected) {
    if (rejected.empty()) return;
    platform_.show(Message{rejectedMessage(rejected), kRejectedCaption, MessageIcon::Exclamation,
                           MessageButtons::Ok});
}

void TMain::DropFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> rejected;
    try {
        for (const std::string& p : paths) loadChecked(longFormOf(p), true, rejected);
    } catch (...) {
        // A file that cannot be read at all ends the drop; what was taken
        // stays listed.
        recomputeExtent();
        refreshViewerArrows();
        throw;
    }
    recomputeExtent();
    refreshViewerArrows();
    showRejected(rejected);
}

void TMain::loadCommandLine(const std::vector<std::string>& arguments) {
    std::vector<std::string> rejected;
    for (const std::string& argument : arguments) {
        try {
            loadChecked(longFormOf(argument), false, rejected);
        } catch (const ProblemError& e) {
            // Reported, and start-up goes on with the other files.
            platform_.show(generalErrorMessage(e.what()));
        }
    }
    recomputeExtent();
    showRejected(rejected);
}

void TMain::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (!mime || !mime->hasUrls()) return;
    const QList<QUrl> urls = mime->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& u) { return u.isLocalFile(); }))
        event->acceptProposedAction();
}

void TMain::dropEvent(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (!mime || !mime->hasUrls()) return;
    std::vector<std::string> paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    if (paths.empty()) return;
    event->acceptProposedAction();
    runCommand([&] { DropFiles(paths); });
}

}  // namespace kararisu
