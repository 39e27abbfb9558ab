#include "worklists/output_folder.h"

#include <sys/stat.h>

#include <filesystem>

#include "palette/palette_file.h"
#include "worklists/bmp/bmp.h"

namespace kararisu {

OutputFolder::OutputFolder(std::string folder, OutputOptions options, OutputObserver& observer)
    : folder_(std::move(folder)), options_(options), observer_(observer) {
    while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder_, ec))
        rows_.push_back({e.path().filename().string(), "", ""});
}

void OutputFolder::add(Result result) {
    const std::string file = fileNameOf(result.path);
    rows_.push_back({file, result.paletteName, result.modeLabel});
    const std::string target = folder_ + "/" + file;
    if (!write(OutputFile::Image, target, result)) return;
    observer_.written(result, target);
    if (!options_.savePalettes) return;
    // Results of one unification share a palette file.
    const std::string gpl = folder_ + "/" + result.paletteName + ".gpl";
    if (!written_.count(gpl)) write(OutputFile::Palette, gpl, result);
}

bool OutputFolder::write(OutputFile what, const std::string& path, const Result& result) {
    auto refuse = [&](const Problem& problem) {
        observer_.notWritten(what, path, problem);
        failed_ = true;
        return false;
    };
    if (written_.count(path))
        return refuse({ProblemKind::FileExists, "written already by this run; not replaced"});
    struct stat st {};
    if (!options_.replace && ::lstat(path.c_str(), &st) == 0)
        return refuse({ProblemKind::FileExists, "exists; not replaced"});
    const Outcome<void> saved =
        what == OutputFile::Image
            ? saveBmp(result.bitmap, path)
            : savePaletteFile(path, PaletteLabel::fromText(result.modeLabel),
                              depthCode(result.bitmap.format()), result.bitmap.palette());
    if (!saved) return refuse(saved.problem());
    written_.insert(path);
    return true;
}

}  // namespace kararisu
