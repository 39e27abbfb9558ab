#include "palette/palette_input.h"

#include "palette/palette_formats.h"
#include "worklists/image_file.h"
#include "worklists/loading.h"
#include "worklists/results.h"

namespace kararisu {

namespace {

// A reason why bytes that start like an image are none.
bool isImageProblem(ProblemKind kind) {
    return (kind >= ProblemKind::BmpTruncated && kind <= ProblemKind::BmpBadRle) ||
           (kind >= ProblemKind::PngTruncated && kind <= ProblemKind::PngTooLarge);
}

}  // namespace

Outcome<PaletteInput> loadPaletteInput(const std::string& path) {
    Outcome<ImageFile> bmp = readImageFile(path);
    if (bmp) {
        if (!isPaletted(bmp->bitmap.format()))
            return Problem{ProblemKind::NoPalette,
                           "has no palette (only 1-, 4- and 8-bit images carry one)"};
        PaletteInput in;
        in.palette = bmp->bitmap.palette();
        in.depthCode = depthCode(bmp->bitmap.format());
        in.labelText = sourcePaletteLabel(in.depthCode);
        in.label = PaletteLabel::fromText(in.labelText);
        in.fromBmp = true;
        in.name = fileNameOf(path);
        return in;
    }
    Outcome<PaletteFile> file = readAnyPaletteFile(path);
    if (!file) {
        // A file that starts like a bitmap is told why it is not a valid one.
        const ProblemKind kind = bmp.problem().kind;
        if (isImageProblem(kind) || kind == ProblemKind::OutOfMemory) return bmp.problem();
        return file.problem();
    }
    PaletteInput in;
    in.palette = std::move(file->palette);
    in.depthCode = file->depthCode;
    in.label = file->label;
    in.labelText = in.label.display();
    in.name = fileNameOf(path);
    return in;
}

std::string paletteInputFailureText(const std::string& path, const Problem& problem) {
    if (isImageProblem(problem.kind) || problem.kind == ProblemKind::OutOfMemory)
        return messageText(loadFailureMessage(path, problem));
    if (problem.kind == ProblemKind::NoPalette) return describe(path, problem);
    return path + ": " + messageText(paletteNotCreatedMessage()) + " (" + problem.reason + ")";
}

PaletteEntry paletteEntryOf(const PaletteInput& input) {
    PaletteEntry entry;
    entry.palette = std::make_shared<Palette>(input.palette);
    entry.depth = input.depthCode;
    entry.label = input.fromBmp ? input.labelText : input.label.text();
    entry.origin = input.fromBmp ? PaletteOrigin::SourceImage : PaletteOrigin::PaletteFile;
    return entry;
}

}  // namespace kararisu
