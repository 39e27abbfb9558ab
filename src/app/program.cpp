#include "app/program.h"

#include <QApplication>

#include "app/application.h"
#include "app/main_controls.h"

namespace kararisu {

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
