#include "palette/palette_formats.h"

#include <algorithm>
#include <array>

#include "palette/foreign_palettes.h"
#include "support/atomic_file.h"
#include "support/files.h"

namespace kararisu {

namespace {

constexpr std::array<PaletteFormatInfo, 6> kFormats{{
    {PaletteFormat::Kararisu, "kararisu", kPaletteFilterDescription, "gpl"},
    {PaletteFormat::Gimp, "gimp", "GIMPパレット(*.gpl)", "gpl"},
    {PaletteFormat::Jasc, "jasc", "JASC-PALパレット(*.pal)", "pal"},
    {PaletteFormat::Riff, "riff", "RIFFパレット(*.pal)", "pal"},
    {PaletteFormat::Act, "act", "Adobeカラーテーブル(*.act)", "act"},
    {PaletteFormat::Hex, "hex", "16進カラーリスト(*.hex)", "hex"},
}};
constexpr const char* kAllPaletteFiles =
    "すべてのパレットファイル(*.gpl *.pal *.act *.hex)|*.gpl;*.pal;*.act;*.hex";

// Text palettes are short; a file past this is no palette. The program's own
// reader looks at its first 1048 bytes only, whatever follows.
constexpr std::size_t kMostRead = 1 << 20;

std::string_view textOf(std::span<const std::uint8_t> bytes) {
    std::string_view s(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (s.starts_with("\xEF\xBB\xBF")) s.remove_prefix(3);  // a UTF-8 byte order mark
    return s;
}

std::string lowerExtension(std::string_view fileName) {
    const std::size_t slash = fileName.rfind('/');
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    std::string ext(fileName.substr(dot + 1));
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

// The program's own header: version 0x0300 after a DepthCode of 0, 1 or 2.
bool looksLikeOwnFile(std::span<const std::uint8_t> b) {
    return b.size() >= 20 && b[16] == 0x00 && b[17] == 0x03 && b[12] <= 2 && b[13] == 0 &&
           b[14] == 0 && b[15] == 0;
}

using foreign::refused;

// UTF-16 text (as some Windows editors save): a byte order mark, or the
// first characters ASCII with a NUL beside each.
bool looksLikeUtf16(std::span<const std::uint8_t> b) {
    if (b.size() >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF)))
        return true;
    const std::size_t pairs = std::min<std::size_t>(b.size() / 2, 8);
    if (pairs < 2) return false;
    for (const std::size_t nul : {0, 1}) {
        bool all = true;
        for (std::size_t i = 0; i < pairs && all; ++i) {
            const std::uint8_t c = b[2 * i + 1 - nul];
            all = b[2 * i + nul] == 0 && c >= 0x09 && c < 0x7F;
        }
        if (all) return true;
    }
    return false;
}

}  // namespace

std::span<const PaletteFormatInfo> paletteFormats() {
    return kFormats;
}

const PaletteFormatInfo& paletteFormatInfo(PaletteFormat format) {
    return kFormats[static_cast<std::size_t>(format)];
}

std::optional<PaletteFormat> paletteFormatNamed(std::string_view name) {
    for (const PaletteFormatInfo& f : kFormats)
        if (name == f.name) return f.format;
    return std::nullopt;
}

std::string paletteFormatNames() {
    std::string s;
    for (const PaletteFormatInfo& f : kFormats) s += (s.empty() ? "" : "|") + std::string(f.name);
    return s;
}

std::string paletteSaveFilter() {
    std::string filter;
    for (const PaletteFormatInfo& f : kFormats)
        filter += (filter.empty() ? "" : "|") + std::string(f.description) + "|*." + f.extension;
    return filter;
}

std::string paletteOpenFilter() {
    return std::string(kPaletteFilterDescription) + "|" + kPaletteFilterPattern + "|" +
           kAllPaletteFiles;
}

PaletteFormat paletteFormatOfFilter(std::string_view name) {
    for (const PaletteFormatInfo& f : kFormats)
        if (name == f.description) return f.format;
    return PaletteFormat::Kararisu;
}

PaletteFormat sniffPaletteFormat(std::span<const std::uint8_t> bytes, std::string_view fileName) {
    const std::string ext = lowerExtension(fileName);
    // An Adobe table has no header of its own: its colours may happen to
    // read as the program's header, so a file of its size named .act is one.
    const bool actSize = bytes.size() == 768 || bytes.size() == 772;
    if (actSize && ext == "act") return PaletteFormat::Act;
    // The program's own header first: its label may be any 11 bytes, even
    // "JASC-PAL", but no text palette has the NUL bytes of its header.
    if (looksLikeOwnFile(bytes)) return PaletteFormat::Kararisu;
    const std::string_view text = textOf(bytes);
    if (text.starts_with("GIMP Palette")) return PaletteFormat::Gimp;
    if (text.starts_with("JASC-PAL")) return PaletteFormat::Jasc;
    if (bytes.size() >= 12 && text.starts_with("RIFF") && text.substr(8, 4) == "PAL ")
        return PaletteFormat::Riff;
    if (actSize) return PaletteFormat::Act;
    if (foreign::looksLikeHexList(text)) return PaletteFormat::Hex;
    if (ext == "act") return PaletteFormat::Act;
    if (ext == "hex") return PaletteFormat::Hex;
    return PaletteFormat::Kararisu;
}

PaletteFile importedPalette(std::span<const Rgb> colours) {
    const std::size_t k = std::min(colours.size(), Palette::kMaxEntries);
    PaletteFile file;
    file.depthCode = k <= 2 ? 0 : k <= 16 ? 1 : 2;
    std::vector<Rgb> entries(colours.begin(), colours.begin() + static_cast<std::ptrdiff_t>(k));
    entries.resize(entriesForDepthCode(file.depthCode));  // black after the k colours
    file.palette = Palette(std::move(entries));
    file.label = PaletteLabel::fromText("カスタム" + std::to_string(k));
    return file;
}

Outcome<PaletteFile> decodeAnyPalette(std::span<const std::uint8_t> bytes,
                                      std::string_view fileName) {
    const PaletteFormat format = sniffPaletteFormat(bytes, fileName);
    // Text saved as UTF-16 falls to the program's own reader (or the hex
    // list's, by its name), which would refuse it for numbers not there.
    if ((format == PaletteFormat::Kararisu && !looksLikeOwnFile(bytes)) ||
        format == PaletteFormat::Hex) {
        if (looksLikeUtf16(bytes))
            return refused("UTF-16 text, not a palette this program reads (save text palettes "
                           "as UTF-8)");
    }
    Outcome<foreign::Colours> read = foreign::Colours{};
    switch (format) {
        case PaletteFormat::Kararisu:
            return decodePaletteFile(bytes);
        case PaletteFormat::Gimp:
            read = foreign::readGimp(textOf(bytes));
            break;
        case PaletteFormat::Jasc:
            read = foreign::readJasc(textOf(bytes));
            break;
        case PaletteFormat::Riff:
            read = foreign::readRiff(bytes);
            break;
        case PaletteFormat::Act:
            read = foreign::readAct(bytes);
            break;
        case PaletteFormat::Hex:
            read = foreign::readHexList(textOf(bytes));
            break;
    }
    if (!read) return read.problem();
    return importedPalette(*read);
}

Outcome<PaletteFile> readAnyPaletteFile(const std::string& path) {
    // Only a regular file is read: a pipe or a device is refused at once.
    std::uint64_t size = 0;
    const Outcome<UniqueFd> fd = openForReading(path, &size);
    if (!fd) return fd.problem();
    std::vector<std::uint8_t> bytes(std::min<std::uint64_t>(size, kMostRead) + 1);
    const Outcome<std::size_t> got = readFully(fd->get(), bytes);
    if (!got) return got.problem();
    bytes.resize(*got);
    if (*got > kMostRead) {
        // Only the program's own reader takes a file this long: it ignores
        // everything after its first 1048 bytes.
        bytes.resize(kMostRead);
        if (sniffPaletteFormat(bytes, path) != PaletteFormat::Kararisu)
            return refused("larger than 1 MiB, too large for a palette");
    }
    return decodeAnyPalette(bytes, path);
}

std::vector<std::uint8_t> encodePalette(PaletteFormat format, const PaletteLabel& label,
                                        std::int32_t depthCode, const Palette& palette,
                                        std::string_view name) {
    if (format == PaletteFormat::Kararisu) return encodePaletteFile(label, depthCode, palette);
    std::vector<Rgb> colours(entriesForDepthCode(depthCode));
    for (std::size_t i = 0; i < colours.size(); ++i) colours[i] = palette.at(i);
    auto bytesOf = [](const std::string& s) {
        return std::vector<std::uint8_t>(s.begin(), s.end());
    };
    switch (format) {
        case PaletteFormat::Gimp:
            return bytesOf(foreign::writeGimp(colours, name));
        case PaletteFormat::Jasc:
            return bytesOf(foreign::writeJasc(colours));
        case PaletteFormat::Riff:
            return foreign::writeRiff(colours);
        case PaletteFormat::Act:
            return foreign::writeAct(colours);
        case PaletteFormat::Hex:
            return bytesOf(foreign::writeHexList(colours));
        case PaletteFormat::Kararisu:
            break;
    }
    return encodePaletteFile(label, depthCode, palette);
}

Outcome<void> savePaletteAs(PaletteFormat format, const std::string& path,
                            const PaletteLabel& label, std::int32_t depthCode,
                            const Palette& palette, std::string_view name) {
    return writeFileAtomically(path, encodePalette(format, label, depthCode, palette, name));
}

}  // namespace kararisu
