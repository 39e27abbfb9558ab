#include "reduce/Gmdlg.h"

namespace kararisu {

TGenMoniDlg::TGenMoniDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("GenMoniDlg"));
    setWindowTitle(QStringLiteral("減色モニター"));
}

}  // namespace kararisu
