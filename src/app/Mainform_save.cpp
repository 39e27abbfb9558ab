// Saving results: to a chosen folder, under a chosen name, over the source,
// and their palettes as palette files.
#include <filesystem>
#include <vector>

#include "app/Mainform.h"
#include "app/folder_creation.h"
#include "app/main_controls.h"
#include "app/save_texts.h"
#include "palette/palette_commands.h"
#include "palette/palette_dialogs.h"
#include "palette/palette_formats.h"
#include "support/files.h"
#include "support/platform.h"
#include "worklists/image_file.h"

namespace kararisu {

namespace {

// A selected row of the "after" list with what it shows. The entries are
// taken before any dialog opens, so the command works on what was selected.
struct SelectedResult {
    ImageEntry entry;
    ResultRow row;
};

std::vector<SelectedResult> selectedResults(const ResultList& results, const GenListView& view) {
    std::vector<SelectedResult> out;
    const int n = std::min(results.size(), view.topLevelItemCount());
    for (int i = 0; i < n; ++i)
        if (view.topLevelItem(i)->isSelected()) out.push_back({results.at(i), results.line(i)});
    return out;
}

// A file that cannot be written ends the command through the general error
// display; the writer leaves whatever was at `path` as it was.
void writeImage(const ImageEntry& entry, const std::string& path, ImageFormat format) {
    saveImage(*entry.bitmap, path, format).take(path);
}

// Any directory entry of that name counts, a folder or a dangling link too:
// writing there would replace or fail, so the user is asked first.
bool nameTaken(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

}  // namespace

std::string imageSaveFilter(ImageFormat first) {
    return first == ImageFormat::Png ? std::string(kPngFilter) + "|" + kBitmapFilter
                                     : std::string(kBitmapFilter) + "|" + kPngFilter;
}

ImageFormat chosenImageFormat(const std::string& path, const std::string& filterName) {
    if (const std::optional<ImageFormat> named = formatOfExtension(path)) return *named;
    const std::string png(kPngFilter);
    return filterName == png.substr(0, png.find('|')) ? ImageFormat::Png : ImageFormat::Bmp;
}

Message overwriteQuestion(const std::string& name) {
    return Message{name + "を含め、同じ名前のファイルが存在します。" +
                       "\nすべて上書きしますか？\n「はい」だとすべて上書き、\n" + "「いいえ」だと" +
                       name + "を上書きします。",
                   "質問：上書きしますか？", MessageIcon::Question, MessageButtons::YesNoCancel};
}

void TMain::F1Click() {
    const std::optional<std::string> chosen =
        platform_.chooseFolder(windowRef(this), kSaveFolderCaption, SaveFolder);
    if (!chosen) return;
    // A folder typed into the chooser may be new, or gone since.
    if (!offerToCreateFolder(reporter_, *chosen)) return;
    const std::string folder = chosen->ends_with('/') ? *chosen : *chosen + "/";
    bool ask = true;
    for (const SelectedResult& r : selectedResults(lists_.results, *ui_->GenListView)) {
        const std::string name = fileNameOf(r.entry.path);
        const std::string target = folder + name;
        if (ask && nameTaken(target)) {
            const Answer a = reporter_.show(overwriteQuestion(name));
            if (a == Answer::Cancel) return;
            if (a == Answer::Yes) ask = false;
        }
        writeImage(r.entry, target, r.entry.format);
        SaveFolder = folderOf(target);
    }
}

// Save as for one result; a cancel skips it. The dialog offers BMP and
// PNG, the result's own format first.
void TMain::saveAs(const ImageEntry& entry) {
    FileDialogRequest request;
    request.filter = imageSaveFilter(entry.format);
    request.folder = SaveFolder;
    request.fileName = fileNameOf(entry.path);
    request.defaultSuffix = imageFormatExtension(entry.format);
    request.preview = true;
    request.confirmOverwrite = true;
    const std::optional<SaveChoice> choice = platform_.saveFileAs(windowRef(this), request);
    if (!choice) return;
    writeImage(entry, choice->path, chosenImageFormat(choice->path, choice->filter));
    SaveFolder = folderOf(choice->path);
}

void TMain::S3Click() {
    for (const SelectedResult& r : selectedResults(lists_.results, *ui_->GenListView))
        saveAs(r.entry);
}

void TMain::S2Click() {
    for (const SelectedResult& r : selectedResults(lists_.results, *ui_->GenListView)) {
        // A merge result has no folder yet: it is saved as a new file.
        if (folderOf(r.entry.path).empty())
            saveAs(r.entry);
        else
            writeImage(r.entry, r.entry.path, r.entry.format);
    }
}

void TMain::P2Click() {
    std::vector<PaletteToSave> palettes;
    for (const SelectedResult& r : selectedResults(lists_.results, *ui_->GenListView))
        palettes.push_back(
            {r.row.paletteName, r.row.modeLabel, r.entry.depth, r.entry.bitmap->palette()});
    // The program's own format first and by default, then the other
    // programs' formats; the filter chosen decides the format written.
    auto choose = [this](const std::string& proposed) -> std::optional<ChosenPaletteFile> {
        FileDialogRequest request;
        request.title = kPaletteSaveTitle;
        request.filter = paletteSaveFilter();
        request.folder = folderOf(proposed);
        request.fileName = proposed;
        request.defaultSuffix = kPaletteExtension;
        request.confirmOverwrite = true;
        std::optional<SaveChoice> choice = platform_.saveFileAs(windowRef(this), request);
        if (!choice) return std::nullopt;
        return ChosenPaletteFile{choice->path, paletteFormatOfFilter(choice->filter)};
    };
    savePalettesAs(palettes, choose, reporter_);
}

}  // namespace kararisu
