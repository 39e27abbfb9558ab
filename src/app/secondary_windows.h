#pragma once
// The six windows the main window reaches, created after it by the program.

namespace kararisu {

class TGenSetDlg;
class TGenMoniDlg;
class TPPreForm;
class TMPreForm;
class TGPreForm;
class TPalAddDlg;

// The secondary windows; null until they are created.
struct SecondaryWindows {
    TGenSetDlg* GenSetDlg = nullptr;
    TGenMoniDlg* GenMoniDlg = nullptr;
    TPPreForm* PPreForm = nullptr;
    TMPreForm* MPreForm = nullptr;
    TGPreForm* GPreForm = nullptr;
    TPalAddDlg* PalAddDlg = nullptr;
};

}  // namespace kararisu
