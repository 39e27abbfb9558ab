#include "palette/Padlg.h"

namespace kararisu {

TPalAddDlg::TPalAddDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PalAddDlg"));
    setWindowTitle(QStringLiteral("パレットを結合します"));
}

}  // namespace kararisu
