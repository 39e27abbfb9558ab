#include "app/program.h"

#include <QApplication>

#include "app/application.h"
#include "app/main_controls.h"

namespace kararisu {

const char* const kUsageLine =
    "usage: kararisu [--help] [--version] [--] [FILE | file://URI ...]\n";

const char* const kHelpText =
    "usage: kararisu [--help] [--version] [--] [FILE | file://URI ...]\n"
    "\n"
    "Opens the window of カラリス, which reduces the colours of BMP and PNG images\n"
    "(to one of 27 targets: each image by itself, all on one reference palette,\n"
    "or all on a given palette), shows the results and their palettes, saves\n"
    "paletted BMP and PNG files and palette files, and merges palettes. The\n"
    "window is in Japanese whatever the locale.\n"
    "\n"
    "Each FILE is opened at start: a path (a relative one is taken against the\n"
    "current folder) or a file:// URI, as file managers pass them. Files that are\n"
    "no valid BMP or PNG image are named in one message before the window opens.\n"
    "\n"
    "options:\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "  --           take every later argument as a file name\n"
    "\n"
    "Qt's own command-line options are not taken; its environment variables\n"
    "(QT_QPA_PLATFORM, QT_SCALE_FACTOR, ...) are. kararisu-cli runs the same\n"
    "engines from scripts (kararisu-cli --help).\n"
    "Exit status: 0 when the main window is closed, 1 when start-up failed,\n"
    "2 usage error.\n";

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool options = true;
    for (const std::string& a : arguments) {
        if (!options || a.size() < 2 || a[0] != '-') {
            line.files.push_back(a);
        } else if (a == "--") {
            options = false;
        } else {
            if (line.action != CommandLine::Action::Run) continue;
            if (a == "--help" || a == "-h") {
                line.action = CommandLine::Action::Help;
            } else if (a == "--version") {
                line.action = CommandLine::Action::Version;
            } else {
                line.action = CommandLine::Action::Refuse;
                line.refused = a;
            }
        }
    }
    return line;
}

Program::Program(Platform& platform, const std::vector<std::string>& arguments)
    : main_(std::make_unique<TMain>(platform, arguments)) {
    WorkLists& lists = main_->lists();
    const GlyphList& glyphs = main_->ui().ImageList1;
    genSetDlg_ = std::make_unique<TGenSetDlg>(lists.targets, lists.palettes, main_->settings,
                                              glyphs, platform, main_.get());
    genMoniDlg_ = std::make_unique<TGenMoniDlg>(main_.get());
    pPreForm_ = std::make_unique<TPPreForm>(lists.results, glyphs);
    mPreForm_ = std::make_unique<TMPreForm>(lists.sources, glyphs, platform);
    gPreForm_ = std::make_unique<TGPreForm>(lists.results, glyphs, platform, *pPreForm_);
    palAddDlg_ = std::make_unique<TPalAddDlg>(lists.palettes, glyphs, platform);
    main_->attach(SecondaryWindows{genSetDlg_.get(), genMoniDlg_.get(), pPreForm_.get(),
                                   mPreForm_.get(), gPreForm_.get(), palAddDlg_.get()});
}

Program::~Program() {
    // The main window must not reach the secondary windows while they go.
    main_->attach(SecondaryWindows{});
}

int runProgram(Platform& platform, const std::vector<std::string>& arguments,
               const std::function<void(Program&)>& created) {
    try {
        Program program(platform, arguments);
        QObject::connect(&program.main(), &TMain::closed, QCoreApplication::instance(),
                         &QCoreApplication::quit);
        if (created) created(program);
        program.main().show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        showGeneralError(e);
        return 1;
    }
}

}  // namespace kararisu
