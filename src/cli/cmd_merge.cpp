#include <cstdio>
#include <filesystem>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "palette/merge_engines.h"
#include "palette/merge_rules.h"
#include "palette/palette_formats.h"
#include "palette/palette_input.h"
#include "worklists/bmp/bmp.h"

namespace kararisu::cli {

namespace {

namespace fs = std::filesystem;

const char* kMergeHelp =
    "usage: kararisu-cli merge --base FILE... --plus FILE... -o DIR\n"
    "                          [--yes | --no | --answers yn...] [--save-palette [--format F]]\n"
    "\n"
    "Puts the colours of a plus palette into the free part of a base palette.\n"
    "The system colours are those of the base; those of the plus are ignored.\n"
    "Each FILE is a palette file (the program's own, GIMP, JASC-PAL, RIFF, Adobe\n"
    "colour table or hex list, recognised by its content), a 1-, 4- or 8-bit BMP\n"
    "or a paletted PNG.\n"
    "The desktop program keeps palette files in {palette folder}\n"
    "  one base, one plus         one-to-one (１対１の結合)\n"
    "  several bases, one plus    many-to-one (多対１の結合): each base with the plus\n"
    "  one base, several plus     one-to-many (１対多の結合): the base with each plus\n"
    "Several of both is a usage error.\n"
    "\n"
    "When a plus has more colours than the base has room, the question goes to\n"
    "standard error. Without an answer given it is answered No: the pair is\n"
    "dropped. --yes answers Yes for every pair (as many colours as fit are\n"
    "merged), --no says No for every pair, and --answers yny answers the\n"
    "questions one letter each in the order they are asked (y or n; questions\n"
    "past the last letter are answered No).\n"
    "\n"
    "Each merged palette is written to DIR (created when missing) as a 256 x 256\n"
    "swatch image NewPalette(k).bmp, k the smallest number not yet used in DIR;\n"
    "existing files are never overwritten. --save-palette also writes the palette\n"
    "as DIR/<palette name>.gpl, or in another format with --format F (kararisu,\n"
    "gimp, jasc, riff, act or hex; the extension follows: .gpl, .pal, .act, .hex).\n"
    "Standard output: one line per result, tab-separated:\n"
    "file name, palette name, ModeLabel, bits per pixel, path written.\n"
    "\n"
    "Exit status: 0 every pair merged and written; 1 a file was rejected, a pair\n"
    "was not merged or a file not written (the others are still done); 2 usage error.\n"
    "\n"
    "examples:\n"
    "  kararisu-cli merge --base photo.bmp --plus logo.gpl -o merged --yes\n"
    "  kararisu-cli merge --base a.bmp --plus x.gpl y.pal z.act -o merged --answers yny\n"
    "  kararisu-cli merge --base a.bmp b.bmp c.bmp --plus extra.gpl -o merged\n";

int usage(const std::string& why) {
    std::fprintf(stderr, "kararisu-cli merge: %s\n\n%s", why.c_str(),
                 withPaletteFolder(kMergeHelp).c_str());
    return 2;
}

// Prints what the program would show; answers each question with the next
// letter of `answers`, and with `rest` past their end.
class PrintingReporter : public Reporter {
  public:
    PrintingReporter(std::string answers, Answer rest)
        : answers_(std::move(answers)), rest_(rest) {}
    Answer show(const Message& m) override {
        std::fprintf(stderr, "%s\n", messageText(m).c_str());
        if (m.buttons != MessageButtons::YesNo) return Answer::Ok;
        const Answer a =
            asked_ < answers_.size() ? (answers_[asked_] == 'y' ? Answer::Yes : Answer::No) : rest_;
        ++asked_;
        std::fprintf(stderr, "-> %s\n", a == Answer::Yes ? "はい" : "いいえ");
        return a;
    }
    void beep(Beep) override {}

  private:
    std::string answers_;
    Answer rest_;
    std::size_t asked_ = 0;
};

}  // namespace

int runMerge(const std::vector<std::string>& args) {
    std::vector<std::string> bases;
    std::vector<std::string> pluses;
    std::vector<std::string>* list = nullptr;  // the option the file names belong to
    std::optional<std::string> dir;
    std::string answers;  // one letter a question: y or n
    Answer rest = Answer::No;
    bool answered = false;
    bool savePalette = false;
    std::optional<PaletteFormat> format;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::fputs(withPaletteFolder(kMergeHelp).c_str(), stdout);
            return 0;
        }
        if (a == "--base" || a == "--plus") {
            list = a == "--base" ? &bases : &pluses;
        } else if (a == "-o" || a == "--output") {
            if (i + 1 >= args.size()) return usage(a + " needs a folder");
            dir = args[++i];
            list = nullptr;
        } else if (a == "--yes" || a == "--no" || a == "--answers") {
            if (answered) return usage("give one of --yes, --no and --answers");
            answered = true;
            if (a == "--answers") {
                if (i + 1 >= args.size()) return usage("--answers needs letters y and n");
                answers = args[++i];
                if (answers.empty() || answers.find_first_not_of("yn") != std::string::npos)
                    return usage("--answers takes only the letters y and n");
            } else if (a == "--yes") {
                rest = Answer::Yes;
            }
        } else if (a == "--format") {
            if (i + 1 >= args.size() || !(format = paletteFormatNamed(args[++i])))
                return usage("--format takes " + paletteFormatNames());
        } else if (a == "--save-palette") {
            savePalette = true;
        } else if (!a.empty() && a[0] == '-') {
            return usage("unknown option '" + a + "'");
        } else if (list) {
            list->push_back(a);
        } else {
            return usage("'" + a + "' belongs to neither --base nor --plus");
        }
    }
    if (bases.empty() || pluses.empty()) return usage("give at least one --base and one --plus");
    if (bases.size() > 1 && pluses.size() > 1) return usage("several bases and several plus");
    if (!dir) return usage("-o DIR is required");
    if (format && !savePalette) return usage("--format needs --save-palette");
    const MergeMode mode = bases.size() > 1    ? MergeMode::ManyToOne
                           : pluses.size() > 1 ? MergeMode::OneToMany
                                               : MergeMode::OneToOne;

    int status = 0;
    auto load = [&](const std::vector<std::string>& paths) {
        std::vector<MergePalette> out;
        for (const std::string& path : paths) {
            if (Outcome<PaletteInput> in = loadPaletteInput(path)) {
                out.push_back({std::move(in->palette), in->depthCode, in->name});
            } else {
                std::fprintf(stderr, "%s\n", paletteInputFailureText(path, in.problem()).c_str());
                status = 1;
            }
        }
        return out;
    };
    const std::vector<MergePalette> basePalettes = load(bases);
    const std::vector<MergePalette> plusPalettes = load(pluses);
    if (basePalettes.empty() || plusPalettes.empty()) return 1;

    std::error_code ec;
    fs::create_directories(*dir, ec);
    if (!fs::is_directory(*dir)) {
        std::fprintf(stderr, "%s: cannot make the folder: %s\n", dir->c_str(),
                     ec.message().c_str());
        return 1;
    }
    PrintingReporter reporter(answers, rest);
    ResultPrinter printer;
    // A name taken by another program meanwhile: the next free one.
    auto renumber = [](Result& r, const std::vector<ResultRow>& rows) {
        r.path = mergeFileName(rows);
        r.paletteName = mergePaletteName(rows, r.path, r.modeLabel);
    };
    OutputFolder sink(*dir,
                      {.savePalettes = savePalette,
                       .paletteFormat = format.value_or(PaletteFormat::Kararisu),
                       .renumber = renumber},
                      printer);
    const int made = kararisu::runMerge(mode, basePalettes, plusPalettes, reporter, sink);
    const std::size_t pairs = basePalettes.size() * plusPalettes.size();
    if (sink.failed() || static_cast<std::size_t>(made) < pairs) status = 1;
    return status;
}

}  // namespace kararisu::cli
