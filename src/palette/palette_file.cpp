#include "palette/palette_file.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "palette/shift_jis.h"
#include "support/atomic_file.h"
#include "support/files.h"

namespace kararisu {

namespace {

constexpr std::size_t kLabelField = 12;
constexpr std::size_t kHeader = kLabelField + 4;  // label and depth code
constexpr std::size_t kReserved = 4;

Problem refused(std::string why) {
    return {ProblemKind::PaletteRefused, std::move(why)};
}

}  // namespace

PaletteLabel PaletteLabel::fromText(const std::string& modeLabel) {
    PaletteLabel label;
    label.bytes.fill(' ');
    const std::string sjis = encodeShiftJisExact(modeLabel);
    for (std::size_t i = 0; i < kSize && i < sjis.size(); ++i)
        label.bytes[i] = static_cast<std::uint8_t>(sjis[i]);
    return label;
}

std::string PaletteLabel::text() const {
    return decodeShiftJisExact({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

std::string PaletteLabel::display() const {
    return shiftJisToUtf8({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

std::size_t entriesForDepthCode(std::int32_t depthCode) {
    switch (depthCode) {
        case 0:
            return 2;
        case 1:
            return 16;
        case 2:
            return 256;
        default:
            return 1;
    }
}

std::string sourcePaletteLabel(int depthCode) {
    return "ノーマル" + std::to_string(entriesForDepthCode(depthCode));
}

std::vector<std::uint8_t> encodePaletteFile(const PaletteLabel& label, std::int32_t depthCode,
                                            const Palette& palette) {
    const std::size_t n = entriesForDepthCode(depthCode);
    std::vector<std::uint8_t> out(kHeader + 4 + 4 * n + kReserved, 0);
    std::copy(label.bytes.begin(), label.bytes.end(), out.begin());
    out[11] = 0;
    const auto code = static_cast<std::uint32_t>(depthCode);
    for (int i = 0; i < 4; ++i) out[12 + i] = static_cast<std::uint8_t>(code >> (8 * i));
    out[16] = Palette::kRecordVersion & 0xff;
    out[17] = Palette::kRecordVersion >> 8;
    out[18] = static_cast<std::uint8_t>(n & 0xff);
    out[19] = static_cast<std::uint8_t>(n >> 8);
    for (std::size_t i = 0; i < n; ++i) {
        const Rgb c = palette.at(i);
        out[20 + 4 * i] = c.r;
        out[21 + 4 * i] = c.g;
        out[22 + 4 * i] = c.b;
    }
    return out;
}

Outcome<PaletteFile> decodePaletteFile(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHeader) return refused("the file ends inside the label and depth code");
    PaletteFile file;
    std::copy(bytes.begin(), bytes.begin() + PaletteLabel::kSize, file.label.bytes.begin());
    std::uint32_t code = 0;
    for (int i = 0; i < 4; ++i) code |= std::uint32_t{bytes[12 + i]} << (8 * i);
    file.depthCode = static_cast<std::int32_t>(code);
    const std::size_t n = entriesForDepthCode(file.depthCode);
    // The block read is the record and the reserved bytes; only the record
    // itself must be present.
    const std::size_t blockSize = 4 + 4 * n + kReserved;
    const std::span<const std::uint8_t> block =
        bytes.subspan(kHeader, std::min(blockSize, bytes.size() - kHeader));
    if (block.size() < 4 + 4 * n)
        return refused("the file ends before the " + std::to_string(n) +
                       " entries its depth code announces");
    const std::size_t count = block[2] | (block[3] << 8);
    if (count == 0 || count > n)
        return refused("entry count " + std::to_string(count) + " is not 1 to " +
                       std::to_string(n));
    std::optional<Palette> palette = Palette::fromRecord(block.first(4 + 4 * count));
    if (!palette) return refused("unknown palette record version");
    file.palette = std::move(*palette);
    return file;
}

Outcome<PaletteFile> readPaletteFile(const std::string& path) {
    Outcome<UniqueFd> fd = openForReading(path);
    if (!fd) return fd.problem();
    // The largest file the reader looks at; anything after it is ignored.
    constexpr std::size_t kMost = kHeader + 4 + 4 * 256 + kReserved;
    std::vector<std::uint8_t> bytes(kMost);
    const Outcome<std::size_t> got = readFully(fd->get(), bytes);
    if (!got) return got.problem();
    bytes.resize(*got);
    return decodePaletteFile(bytes);
}

Outcome<void> savePaletteFile(const std::string& path, const PaletteLabel& label,
                              std::int32_t depthCode, const Palette& palette) {
    return writeFileAtomically(path, encodePaletteFile(label, depthCode, palette));
}

Message paletteNotCreatedMessage() {
    return {"パレットが作成できません！！\n有効なパレットデータではない可能性があります。",
            "警告：パレットが作成できません", MessageIcon::Stop, MessageButtons::Ok};
}

Message paletteSaveFailedMessage() {
    return {"パレットの保存に失敗しました", "ファイルが作成できません", MessageIcon::Exclamation,
            MessageButtons::Ok};
}

namespace {

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir) return pw->pw_dir;
    return "/";
}

std::string dataHome() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        return withoutTrailingSlashes(xdg);
    const std::string home = withoutTrailingSlashes(homeFolder());
    return (home == "/" ? "" : home) + "/.local/share";
}

}  // namespace

std::string paletteFolder() {
    return dataHome() + "/kararisu/Palette/";
}

std::string ensurePaletteFolder() {
    const std::string folder = paletteFolder();
    // Each missing level is made private to the user, as the data folder is.
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        const std::string level = folder.substr(0, slash);
        if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) break;
    }
    return folder;
}

std::string defaultPaletteSavePath(const std::string& paletteName) {
    return paletteFolder() + paletteName + "." + kPaletteExtension;
}

std::string programFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || !exe.has_parent_path()) return ".";
    return exe.parent_path().string();
}

}  // namespace kararisu
