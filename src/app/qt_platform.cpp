#include "app/qt_platform.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <functional>

#include "app/bitmap_image.h"
#include "app/folder_creation.h"
#include "widgets/window_ref.h"
#include "worklists/image_file.h"

namespace kararisu {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string s(const QString& q) {
    return q.toStdString();
}

QMessageBox::Icon iconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton first;
};

ButtonSet buttonsOf(MessageButtons b) {
    switch (b) {
        case MessageButtons::YesNo:
            return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes};
        case MessageButtons::YesNoCancel:
            return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes};
        case MessageButtons::RetryCancel:
            return {QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry};
        case MessageButtons::Ok:
            break;
    }
    return {QMessageBox::Ok, QMessageBox::Ok};
}

Answer answerOf(int button) {
    switch (button) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Retry:
            return Answer::Retry;
        case QMessageBox::Ok:
            return Answer::Ok;
        default:
            return Answer::Cancel;
    }
}

// Larger files are not decoded for the preview: the list must stay quick
// while the user moves through a folder.
constexpr qint64 kPreviewLimit = 64 * 1024 * 1024;

// A picture of the highlighted file beside the dialog's list, drawn by the
// program's own BMP and PNG readers, with its size below it.
class BmpPreview : public QWidget {
  public:
    explicit BmpPreview(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("preview"));
        auto* layout = new QGridLayout(this);
        picture_ = new QLabel(this);
        picture_->setObjectName(QStringLiteral("previewPicture"));
        picture_->setFixedSize(160, 160);
        picture_->setAlignment(Qt::AlignCenter);
        picture_->setFrameShape(QFrame::StyledPanel);
        size_ = new QLabel(this);
        size_->setObjectName(QStringLiteral("previewSize"));
        size_->setAlignment(Qt::AlignCenter);
        layout->addWidget(picture_, 0, 0);
        layout->addWidget(size_, 1, 0);
        layout->setRowStretch(2, 1);
    }
    void showFile(const QString& path) {
        picture_->clear();
        size_->clear();
        QFileInfo info(path);
        if (!info.isFile() || info.size() > kPreviewLimit) return;
        Outcome<ImageFile> r = readImageFile(s(path));
        if (!r || r->bitmap.isEmpty()) {
            size_->setText(QStringLiteral("（表示できません）"));
            return;
        }
        QImage image = toQImage(r->bitmap);
        QSize box = picture_->size() - QSize(4, 4);
        if (image.width() > box.width() || image.height() > box.height())
            image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        picture_->setPixmap(QPixmap::fromImage(image));
        size_->setText(QStringLiteral("%1 x %2").arg(r->bitmap.width()).arg(r->bitmap.height()));
    }

  private:
    QLabel* picture_;
    QLabel* size_;
};

// A box or dialog of a window kept above all others is kept there too, or
// it would open behind its own window.
Qt::WindowFlags keptAboveLike(const QWidget* owner) {
    return owner != nullptr && owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint)
               ? Qt::WindowStaysOnTopHint
               : Qt::WindowFlags();
}

void keepAboveLike(QDialog& dialog, const QWidget* owner) {
    if (const Qt::WindowFlags above = keptAboveLike(owner))
        dialog.setWindowFlags(dialog.windowFlags() | above);
}

void prepare(QFileDialog& dialog, const FileDialogRequest& request) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!request.title.empty()) dialog.setWindowTitle(q(request.title));
    QStringList filters = nameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!request.folder.empty()) dialog.setDirectory(q(request.folder));
    if (!request.fileName.empty()) dialog.selectFile(q(request.fileName));
    if (!request.defaultSuffix.empty()) dialog.setDefaultSuffix(q(request.defaultSuffix));
    if (request.preview) {
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            auto* preview = new BmpPreview(&dialog);
            grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
            QObject::connect(&dialog, &QFileDialog::currentChanged, preview,
                             [preview](const QString& path) { preview->showFile(path); });
            // The proposed file is shown before the user moves.
            if (!request.fileName.empty())
                preview->showFile(
                    QFileInfo(QDir(q(request.folder)), q(request.fileName)).filePath());
            // Room for the list's columns beside the picture.
            dialog.resize(dialog.sizeHint().expandedTo(QSize(800, 440)));
        }
    }
}

// Qt's folder dialog, except that its choose button also takes the name of
// a folder that does not exist yet: the folder is offered for creation, and
// the dialog closes only once it is there.
class FolderDialog : public QFileDialog {
  public:
    using Offer = std::function<bool(const std::string&)>;
    FolderDialog(QWidget* parent, const QString& caption, const QString& start, Offer offer)
        : QFileDialog(parent, caption, start), offer_(std::move(offer)) {
        setFileMode(QFileDialog::Directory);
        setOption(QFileDialog::ShowDirsOnly, true);
        setOption(QFileDialog::DontUseNativeDialog, true);
        edit_ = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (auto* box = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))) {
            choose_ = box->button(QDialogButtonBox::Open);
            if (choose_) choose_->installEventFilter(this);
        }
    }

    void accept() override {
        const QStringList chosen = selectedFiles();
        if (chosen.isEmpty()) return;
        if (!QFileInfo(chosen.front()).isDir() && !offer_(s(chosen.front()))) return;
        QFileDialog::accept();
    }

  protected:
    // Qt disables the button for a name that is not a folder yet.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == choose_ && event->type() == QEvent::EnabledChange && !choose_->isEnabled() &&
            edit_ && !edit_->text().trimmed().isEmpty())
            choose_->setEnabled(true);
        return QFileDialog::eventFilter(watched, event);
    }

  private:
    Offer offer_;
    QLineEdit* edit_ = nullptr;
    QPushButton* choose_ = nullptr;
};

}  // namespace

QStringList nameFilters(const std::string& filter) {
    QStringList parts = q(filter).split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (name.contains(QLatin1Char('(') + patterns + QLatin1Char(')')))
            out << name;
        else
            out << name + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return out;
}

QWidget* QtPlatform::ownerOf(WindowRef window) const {
    if (QWidget* w = widgetOf(window)) return w->window();
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return owner_.data();
}

Answer QtPlatform::show(WindowRef window, const Message& message) {
    QString caption = q(message.caption.empty() ? std::string(kApplicationTitle) : message.caption);
    ButtonSet set = buttonsOf(message.buttons);
    QWidget* owner = ownerOf(window);
    QMessageBox box(iconOf(message.icon), caption, q(message.text), set.buttons, owner,
                    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | keptAboveLike(owner));
    box.setDefaultButton(set.first);
    return answerOf(box.exec());
}

void QtPlatform::beep(Beep) {
    QApplication::beep();
}

std::vector<std::string> QtPlatform::openFiles(WindowRef window,
                                               const FileDialogRequest& request) {
    QWidget* owner = ownerOf(window);
    QFileDialog dialog(owner);
    keepAboveLike(dialog, owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles
                                           : QFileDialog::ExistingFile);
    prepare(dialog, request);
    std::vector<std::string> out;
    if (dialog.exec() != QDialog::Accepted) return out;
    for (const QString& f : dialog.selectedFiles()) out.push_back(s(f));
    return out;
}

std::optional<std::string> QtPlatform::saveFile(WindowRef window,
                                                const FileDialogRequest& request) {
    std::optional<SaveChoice> choice = saveFileAs(window, request);
    if (!choice) return std::nullopt;
    return std::move(choice->path);
}

std::optional<SaveChoice> QtPlatform::saveFileAs(WindowRef window,
                                                 const FileDialogRequest& request) {
    QWidget* owner = ownerOf(window);
    QFileDialog dialog(owner);
    keepAboveLike(dialog, owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    prepare(dialog, request);
    const QStringList filters = nameFilters(request.filter);
    const QStringList parts = q(request.filter).split(QLatin1Char('|'));
    // A typed name without an extension takes the one of the chosen filter.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& chosen) {
        const qsizetype i = filters.indexOf(chosen);
        const QString pattern = 2 * i + 1 < parts.size() ? parts[2 * i + 1] : QString();
        if (pattern.startsWith(QStringLiteral("*.")) && !pattern.contains(QLatin1Char(';')))
            dialog.setDefaultSuffix(pattern.mid(2));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const qsizetype i = std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter()));
    return SaveChoice{s(dialog.selectedFiles().front()),
                      2 * i < parts.size() ? s(parts[2 * i]) : std::string()};
}

std::optional<std::string> QtPlatform::chooseFolder(WindowRef window, const std::string& caption,
                                                    const std::string& start) {
    QWidget* owner = ownerOf(window);
    // The creation question belongs to the dialog, above it.
    const QWidget* asking = nullptr;
    FolderDialog dialog(owner, q(caption), q(start), [&](const std::string& folder) {
        WindowReporter question(*this, windowRef(asking));
        return offerToCreateFolder(question, folder);
    });
    keepAboveLike(dialog, owner);
    asking = &dialog;
    const int result = dialog.exec();
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return s(dialog.selectedFiles().front());
}

}  // namespace kararisu
