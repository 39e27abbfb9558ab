#include "app/program.h"

#include <QApplication>

#include "app/application.h"

namespace kararisu {

Program::Program(Platform& platform, const std::vector<std::string>& arguments)
    : main_(std::make_unique<TMain>(platform, arguments)) {
    genSetDlg_ = std::make_unique<TGenSetDlg>();
    genMoniDlg_ = std::make_unique<TGenMoniDlg>();
    pPreForm_ = std::make_unique<TPPreForm>();
    QStringList names;
    for (int i = 0; i < main_->MotoListBox->count(); ++i)
        names << main_->MotoListBox->item(i)->text();
    mPreForm_ = std::make_unique<TMPreForm>(names);
    gPreForm_ = std::make_unique<TGPreForm>();
    palAddDlg_ = std::make_unique<TPalAddDlg>();
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
