#include <cstdio>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "support/printable.h"
#include "palette/merge_engines.h"
#include "palette/merge_rules.h"
#include "palette/palette_formats.h"
#include "palette/palette_input.h"
#include "worklists/bmp/bmp.h"

namespace kararisu::cli {

namespace {

const char* kMergeHelpText =
    "usage: kararisu-cli merge --base FILE... --plus FILE... -o DIR\n"
    "                          [--yes | --no | --answers yn...]\n"
    "                          [--save-palette [--format F] [--force]]\n"
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
    "gimp, jasc, riff, act or hex; the extension follows: .gpl, .pal, .act, .hex);\n"
    "a palette file that exists is replaced only with --force.\n"
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

const OptionSpec kBase{"base"};
const OptionSpec kPlus{"plus"};
const OptionSpec kOutput{"output", 'o', true};
const OptionSpec kYes{"yes"};
const OptionSpec kNo{"no"};
const OptionSpec kAnswers{"answers", 0, true};
const OptionSpec kFormat{"format", 0, true};
const OptionSpec kSavePalette{"save-palette"};
const OptionSpec kForce{"force"};
const OptionSpec* const kOptions[] = {&kBase, &kPlus,   &kOutput,      &kYes,  &kNo,
                                      &kAnswers, &kFormat, &kSavePalette, &kForce};

// Prints what the program would show; answers each question with the next
// letter of `answers`, and with `rest` past their end.
class PrintingReporter : public Reporter {
  public:
    PrintingReporter(Console& console, std::string answers, Answer rest)
        : console_(console), answers_(std::move(answers)), rest_(rest) {}
    Answer show(const Message& m) override {
        console_.error(messageText(m));
        if (m.buttons != MessageButtons::YesNo) return Answer::Ok;
        const Answer a =
            asked_ < answers_.size() ? (answers_[asked_] == 'y' ? Answer::Yes : Answer::No) : rest_;
        ++asked_;
        console_.error(a == Answer::Yes ? "-> はい" : "-> いいえ");
        return a;
    }
    void beep(Beep) override {}

  private:
    Console& console_;
    std::string answers_;
    Answer rest_;
    std::size_t asked_ = 0;
};

}  // namespace

int runMerge(Console& console, const std::vector<std::string>& args) {
    const CommandHelp help{withPaletteFolder(kMergeHelpText)};
    Arguments parsed;
    if (auto done = startCommand(console, args, kOptions, help, parsed)) return *done;
    auto usage = [&](const std::string& why) { return usageError(console, help, why); };
    std::vector<std::string> bases;
    std::vector<std::string> pluses;
    std::vector<std::string>* list = nullptr;  // the option the file names belong to
    std::optional<std::string> dir;
    std::string answers;  // one letter a question: y or n
    Answer rest = Answer::No;
    bool answered = false;
    bool savePalette = false, force = false;
    std::optional<PaletteFormat> format;
    for (const Argument& a : parsed.items) {
        if (a.is(kBase) || a.is(kPlus)) {
            list = a.is(kBase) ? &bases : &pluses;
        } else if (a.is(kOutput)) {
            dir = a.value;
            list = nullptr;
        } else if (a.is(kYes) || a.is(kNo) || a.is(kAnswers)) {
            if (answered) return usage("give one of --yes, --no and --answers");
            answered = true;
            if (a.is(kAnswers)) {
                answers = a.value;
                if (answers.empty() || answers.find_first_not_of("yn") != std::string::npos)
                    return usage("--answers takes only the letters y and n");
            } else if (a.is(kYes)) {
                rest = Answer::Yes;
            }
        } else if (a.is(kFormat)) {
            if (!(format = paletteFormatNamed(a.value)))
                return usage("--format takes " + paletteFormatNames());
        } else if (a.is(kSavePalette)) {
            savePalette = true;
        } else if (a.is(kForce)) {
            force = true;
        } else if (a.isOperand() && list) {
            list->push_back(a.value);
        } else if (a.isOperand()) {
            return usage("'" + printable(a.value) + "' belongs to neither --base nor --plus");
        }
    }
    if (bases.empty() || pluses.empty()) return usage("give at least one --base and one --plus");
    if (bases.size() > 1 && pluses.size() > 1) return usage("several bases and several plus");
    if (!dir) return usage("-o DIR is required");
    if (*dir == kStandardStream) return usage("the results go to a folder: -o - cannot hold them");
    if (format && !savePalette) return usage("--format needs --save-palette");
    if (force && !savePalette) return usage("--force is for the palette files of --save-palette");
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
                console.error(paletteInputFailureText(printable(path), in.problem()));
                status = 1;
            }
        }
        return out;
    };
    const std::vector<MergePalette> basePalettes = load(bases);
    const std::vector<MergePalette> plusPalettes = load(pluses);
    if (basePalettes.empty() || plusPalettes.empty()) return 1;

    if (!ensureFolder(console, *dir)) return 1;
    PrintingReporter reporter(console, answers, rest);
    ResultPrinter printer(console, false, " (use --force)");
    // A name taken by another program meanwhile: the next free one.
    auto renumber = [](Result& r, const std::vector<ResultRow>& rows) {
        r.path = mergeFileName(rows);
        r.paletteName = mergePaletteName(rows, r.path, r.modeLabel);
    };
    OutputFolder sink(*dir,
                      {.replacePalettes = force,
                       .savePalettes = savePalette,
                       .paletteFormat = format.value_or(PaletteFormat::Kararisu),
                       .renumber = renumber},
                      printer);
    const int made = kararisu::runMerge(mode, basePalettes, plusPalettes, reporter, sink);
    const std::size_t pairs = basePalettes.size() * plusPalettes.size();
    if (sink.failed() || static_cast<std::size_t>(made) < pairs) status = 1;
    return status;
}

}  // namespace kararisu::cli
