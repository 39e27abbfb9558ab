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

bool OutputFolder::refuse(OutputFile what, const std::string& path, const Problem& problem) {
    observer_.notWritten(what, path, problem);
    failed_ = true;
    return false;
}

bool OutputFolder::writeImage(Result& result, std::string& target) {
    const WriteMode mode = options_.replace ? WriteMode::Replace : WriteMode::CreateOnly;
    const ImageFormat format = options_.imageFormat.value_or(result.format);
    for (int attempt = 0;; ++attempt) {
        target = folder_ + "/" + fileNameInFormat(fileNameOf(result.path), format);
        if (written_.count(target))
            return refuse(OutputFile::Image, target,
                          {ProblemKind::FileExists, "written already by this run; not replaced"});
        const Outcome<void> saved = saveImage(result.bitmap, target, format, mode);
        if (saved) {
            written_.insert(target);
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
        refuse(OutputFile::Palette, gpl,
               {ProblemKind::FileExists,
                "another result of this run has a different palette of this name; not written"});
        return;
    }
    const Outcome<void> saved = writeFileAtomically(
        gpl, bytes, options_.replace ? WriteMode::Replace : WriteMode::CreateOnly);
    if (!saved) {
        refuse(OutputFile::Palette, gpl, saved.problem());
        return;
    }
    palettes_.emplace(gpl, std::move(bytes));
}

}  // namespace kararisu
