#include "cli/output_folder.h"

#include <filesystem>

#include "palette/palette_formats.h"
#include "support/atomic_file.h"
#include "worklists/image_file.h"

namespace kararisu {

OutputFolder::OutputFolder(std::string folder, OutputOptions options, OutputObserver& observer)
    : folder_(std::move(folder)), options_(std::move(options)), observer_(observer) {
    while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder_, ec))
        rows_.push_back({e.path().filename().string(), "", ""});
}

void OutputFolder::add(Result result) {
    rows_.push_back({fileNameOf(result.path), result.paletteName, result.modeLabel});
    std::string target;
    if (!writeImage(result, target)) return;
    observer_.written(result, target);
    if (options_.savePalettes) writePalette(result);
}

WriteMode OutputFolder::writeMode(OutputFile what) const {
    const bool replace =
        options_.replace || (what == OutputFile::Palette && options_.replacePalettes);
    return replace ? WriteMode::Replace : WriteMode::CreateOnly;
}

bool OutputFolder::refuse(OutputFile what, const std::string& path, const Problem& problem) {
    // Numbered names are never replaced, asked or not.
    const bool numbered = what == OutputFile::Image && options_.renumber;
    const bool replaceable = problem.kind == ProblemKind::FileExists && !numbered &&
                             writeMode(what) == WriteMode::CreateOnly;
    observer_.notWritten({what, path, problem, replaceable});
    failed_ = true;
    return false;
}

bool OutputFolder::refuseTakenName(OutputFile what, const std::string& path, std::string why) {
    observer_.notWritten({what, path, {ProblemKind::FileExists, std::move(why)}, false});
    failed_ = true;
    return false;
}

bool OutputFolder::writeImage(Result& result, std::string& target) {
    const WriteMode mode = writeMode(OutputFile::Image);
    const ImageFormat format = options_.imageFormat.value_or(result.format);
    for (int attempt = 0;; ++attempt) {
        target = folder_ + "/" + fileNameInFormat(fileNameOf(result.path), format);
        if (const auto it = written_.find(target); it != written_.end())
            return refuseTakenName(OutputFile::Image, target,
                                   "written already by this run with the result of " +
                                       it->second + ", which is kept; the result of " +
                                       result.path + " is not written");
        const Outcome<void> saved = saveImage(result.bitmap, target, format, mode);
        if (saved) {
            written_.emplace(target, result.path);
            return true;
        }
        if (saved.problem().kind != ProblemKind::FileExists || !options_.renumber ||
            attempt == 1000)
            return refuse(OutputFile::Image, target, saved.problem());
        // The name was taken after it was chosen: its row now stands for the
        // other file, and the result takes the next free name.
        rows_.back() = {fileNameOf(result.path), "", ""};
        options_.renumber(result, rows_);
        rows_.push_back({fileNameOf(result.path), result.paletteName, result.modeLabel});
    }
}

void OutputFolder::writePalette(const Result& result) {
    const std::string gpl = folder_ + "/" + result.paletteName + "." +
                            paletteFormatInfo(options_.paletteFormat).extension;
    std::vector<std::uint8_t> bytes = encodePalette(
        options_.paletteFormat, PaletteLabel::fromText(result.modeLabel),
        depthCode(result.bitmap.format()), result.bitmap.palette(), result.paletteName);
    if (const auto it = palettes_.find(gpl); it != palettes_.end()) {
        // Results of one unification share their palette file.
        if (it->second == bytes) return;
        refuseTakenName(
            OutputFile::Palette, gpl,
            "another result of this run has a different palette of this name; not written");
        return;
    }
    const Outcome<void> saved = writeFileAtomically(
        gpl, bytes, writeMode(OutputFile::Palette));
    if (!saved) {
        refuse(OutputFile::Palette, gpl, saved.problem());
        return;
    }
    palettes_.emplace(gpl, std::move(bytes));
}

}  // namespace kararisu
