// Loading images into the "before" list: the open dialog, dropped files and
// the command line.
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <optional>

#include "app/Mainform.h"
#include "app/application.h"
#include "app/main_controls.h"
#include "app/problem_texts.h"
#include "app/save_texts.h"
#include "palette/palette_file.h"
#include "support/platform.h"
#include "worklists/loading.h"
#include "worklists/results.h"

namespace kararisu {

std::string startingOpenFolder() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path current = fs::current_path(ec);
    if (!ec && !fs::equivalent(current, fs::path(programFolder()), ec) && fs::is_directory(current))
        return current.string();
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QDir(pictures).exists())
        return QFile::encodeName(pictures).toStdString();
    return QFile::encodeName(QDir::homePath()).toStdString();
}

// One accepted file: its entry, its line in the "before" list and its item
// in the source viewer's selector, in one step.
void TMain::addSource(const std::string& path, ImageFile image) {
    lists_.sources.append(makeImageEntry(path, std::move(image.bitmap), image.format),
                          fileNameOf(path));
}

void TMain::recomputeExtent() {
    MotoListBox* box = ui_->MotoListBox;
    QFontMetrics fm(box->font());
    for (int i = 0; i < box->count(); ++i)
        ListExtent = std::max(ListExtent, fm.horizontalAdvance(box->item(i)->text()) + 22);
    box->setHorizontalExtent(ListExtent);
}

void TMain::Open1Click() {
    for (;;) {
        FileDialogRequest request;
        request.filter = kImageOpenFilter;
        request.folder = OpenFolder;
        request.fileName.clear();
        request.multiSelect = true;
        request.preview = true;
        const std::vector<std::string> files = platform_.openFiles(windowRef(this), request);
        if (files.empty()) return;
        std::optional<ProblemError> refused;
        try {
            for (const std::string& chosen : files) {
                const std::string path = longFormOf(chosen);
                OpenFolder = folderOf(path);
                Outcome<ImageFile> image = readSourceImage(path);
                if (!image) {
                    refused.emplace(image.problem(), path);
                    break;  // the rest of the choice is not processed
                }
                addSource(path, std::move(*image));
            }
        } catch (...) {
            // Anything else ends the command too, after the same bookkeeping.
            recomputeExtent();
            throw;
        }
        // The files before a refused one stay loaded and listed.
        recomputeExtent();
        if (!refused) return;
        // Not a bitmap: the general error display reports it.
        if (!refused->problem().cannotRead()) throw *refused;
        Message m{problemText(*refused), kOpenErrorCaption, MessageIcon::Stop,
                  MessageButtons::RetryCancel};
        if (reporter_.show(m) != Answer::Retry) return;
    }
}

void TMain::loadChecked(const std::string& path, std::vector<std::string>& rejected) {
    if (!hasImageSuffix(path)) {
        rejected.push_back(fileNameOf(path));
        return;
    }
    // Read once: the picture that was checked is the one that is listed.
    Outcome<ImageFile> bitmap = readSourceImage(path);
    if (!bitmap && bitmap.problem().cannotRead()) throw ProblemError(bitmap.problem(), path);
    if (!bitmap) {
        rejected.push_back(fileNameOf(path));
        return;
    }
    addSource(path, std::move(*bitmap));
}

void TMain::showRejected(const std::vector<std::string>& rejected) {
    if (rejected.empty()) return;
    reporter_.show(Message{rejectedMessage(rejected), kRejectedCaption, MessageIcon::Exclamation,
                           MessageButtons::Ok});
}

void TMain::DropFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> rejected;
    try {
        for (const std::string& p : paths) loadChecked(longFormOf(p), rejected);
    } catch (...) {
        // A file that cannot be read at all ends the drop; what was taken
        // stays listed.
        recomputeExtent();
        throw;
    }
    recomputeExtent();
    showRejected(rejected);
}

void TMain::loadCommandLine(const std::vector<std::string>& arguments) {
    std::vector<std::string> rejected;
    for (const std::string& argument : arguments) {
        try {
            loadChecked(longFormOf(pathOfArgument(argument)), rejected);
        } catch (const ProblemError& e) {
            // Reported, and start-up goes on with the other files.
            reporter_.show(generalErrorMessage(problemText(e)));
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
        if (url.isLocalFile()) paths.push_back(pathOfArgument(url.toEncoded().toStdString()));
    if (paths.empty()) return;
    event->acceptProposedAction();
    runCommand([&] { DropFiles(paths); });
}

}  // namespace kararisu
