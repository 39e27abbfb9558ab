#include "reduce/Gsdlg.h"

namespace kararisu {

TGenSetDlg::TGenSetDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("GenSetDlg"));
    setWindowTitle(QStringLiteral("減色設定"));
}

}  // namespace kararisu
