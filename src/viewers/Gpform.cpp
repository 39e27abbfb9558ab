#include "viewers/Gpform.h"

namespace kararisu {

TGPreForm::TGPreForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("GPreForm"));
    setWindowTitle(QStringLiteral("GPreForm"));
}

}  // namespace kararisu
