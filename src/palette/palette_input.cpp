#include "palette/palette_input.h"

#include "worklists/bmp/bmp.h"
#include "worklists/results.h"

namespace kararisu {

std::optional<PaletteInput> loadPaletteInput(const std::string& path, std::string& problem) {
    const BmpReadResult bmp = readBmpFile(path);
    if (bmp.ok()) {
        if (!isPaletted(bmp.bitmap.format())) {
            problem = path + ": has no palette (only 1-, 4- and 8-bit images carry one)";
            return std::nullopt;
        }
        PaletteInput in;
        in.palette = bmp.bitmap.palette();
        in.depthCode = depthCode(bmp.bitmap.format());
        in.labelText = sourcePaletteLabel(in.depthCode);
        in.label = PaletteLabel::fromText(in.labelText);
        in.fromBmp = true;
        in.name = fileNameOf(path);
        return in;
    }
    PaletteFileRead file = readPaletteFile(path);
    if (file.ok()) {
        PaletteInput in;
        in.palette = std::move(file.file->palette);
        in.depthCode = file.file->depthCode;
        in.label = file.file->label;
        in.labelText = in.label.display();
        in.name = fileNameOf(path);
        return in;
    }
    // A file that starts like a bitmap is told why it is not a valid one.
    if (bmp.problem != BmpProblem::CannotOpen && bmp.problem != BmpProblem::BadSignature)
        problem = "警告：読み込めません！！: " + fileNameOf(path) +
                  "は有効なビットマップデータではありません。 (" + bmp.reason + ")";
    else
        problem = path + ": " + messageText(file.message);
    return std::nullopt;
}

std::string messageText(const Message& m) {
    return m.caption.empty() ? m.text : m.caption + ": " + m.text;
}

}  // namespace kararisu
