#include "palette/merge_rules.h"

#include "palette/palette_file.h"

namespace kararisu {

namespace {

constexpr int kSystemColours = 8;

int sizeOf(const MergePalette& p) {
    return static_cast<int>(entriesForDepthCode(p.depthCode));
}

bool isBlack(const Palette& p, int i) {
    return p.at(static_cast<std::size_t>(i)) == Rgb{};
}

}  // namespace

bool beginsWithSystemColours(const MergePalette& p) {
    if (p.depthCode == 0) return true;
    if (p.depthCode != 1 && p.depthCode != 2) return false;
    const auto& system = systemPalette();
    for (int i = 0; i < kSystemColours; ++i)
        if (!(p.palette.at(static_cast<std::size_t>(i)) == system[static_cast<std::size_t>(i)]))
            return false;
    return true;
}

std::optional<int> freeStart(const Palette& p, int first, int last) {
    for (int i = first; i <= last; ++i)
        if (isBlack(p, i) && (i == last || isBlack(p, i + 1))) return i;
    return std::nullopt;
}

std::optional<FreeArea> freeArea(const MergePalette& base) {
    const bool system = beginsWithSystemColours(base);
    int first = 0;
    int last = 0;
    if (base.depthCode == 2) {
        first = system ? 8 : 0;
        last = system ? 247 : 255;
    } else if (base.depthCode == 1 && !system) {
        last = 15;
    } else {
        return std::nullopt;  // 2 colours, 16 with the system colours, any other size
    }
    const std::optional<int> start = freeStart(base.palette, first, last);
    if (!start) return std::nullopt;
    return FreeArea{*start, last + 1 - *start};
}

PlusColours plusColours(const MergePalette& plus) {
    const bool system = beginsWithSystemColours(plus);
    if (plus.depthCode == 2 && system)
        return {8, freeStart(plus.palette, 8, 247).value_or(248) - 8};
    if (plus.depthCode == 2) return {0, freeStart(plus.palette, 0, 255).value_or(256)};
    if (plus.depthCode == 1 && !system) return {0, freeStart(plus.palette, 0, 15).value_or(16)};
    return {0, sizeOf(plus)};  // 16 with the system colours, 2, or one entry
}

Palette mergedPalette(const MergePalette& base, const FreeArea& area, const MergePalette& plus,
                      const PlusColours& colours, int used) {
    const int size = sizeOf(base);
    std::vector<Rgb> entries(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i) entries[std::size_t(i)] = base.palette.at(std::size_t(i));
    for (int j = 0; j < used && area.start + j < size; ++j)
        entries[std::size_t(area.start + j)] = plus.palette.at(std::size_t(colours.first + j));
    return Palette(std::move(entries));
}

std::string mergeModeLabel(const MergePalette& base, const FreeArea& area, int used) {
    return std::string(kMergeSchemeName) + std::to_string(sizeOf(base) - area.count + used);
}

Message partialMergeQuestion(const std::string& baseName, int freeCount,
                             const std::string& plusName, int plusCount) {
    return {"ベースパレット" + baseName + "空き領域：" + std::to_string(freeCount) +
                "\nプラスパレット" + plusName + "色　　数：" + std::to_string(plusCount) +
                "\nプラスパレットが入り切れません！！\n入るだけ入れますか？",
            "警告：空き領域が足りません", MessageIcon::Exclamation, MessageButtons::YesNo};
}

Message noFreeSpaceMessage() {
    return {"ベースパレットに空き領域がありません。\nパレット結合を終了します。",
            "警告：結合できません", MessageIcon::Exclamation, MessageButtons::Ok};
}

Message noFreeSpaceMessage(const std::string& baseName) {
    return {
        "ベースパレット" + baseName + "に空き領域がありません。\nこのパレット結合を終了します。",
        "警告：結合できません", MessageIcon::Exclamation, MessageButtons::Ok};
}

Bitmap swatchImage(const Palette& merged) {
    const bool wide = merged.size() > 16;
    Bitmap image(256, 256, wide ? PixelFormat::Bpp8 : PixelFormat::Bpp4);
    image.setPaletteEntries(merged);
    for (int y = 0; y < 256; ++y) {
        const unsigned index = wide ? unsigned(y) : unsigned(y) / 16;
        for (int x = 0; x < 256; ++x) image.setIndex(x, y, index);
    }
    return image;
}

std::string mergeFileName(const std::vector<ResultRow>& rows) {
    for (unsigned long k = 1;; ++k) {
        std::string candidate = "NewPalette(" + std::to_string(k) + ").bmp";
        bool taken = false;
        for (const ResultRow& row : rows) {
            if (row.fileName == candidate) {
                taken = true;
                break;
            }
        }
        if (!taken) return candidate;
    }
}

std::string mergePaletteName(const std::vector<ResultRow>& rows, const std::string& fileName,
                             const std::string& modeLabel) {
    return paletteNameFor(rows, stemOf(fileName), NameForm::Individual, modeLabel);
}

}  // namespace kararisu
