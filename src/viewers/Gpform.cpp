#include "viewers/Gpform.h"

namespace kararisu {

TGPreForm::TGPreForm(ResultList& results, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("GPreForm"));
    setWindowTitle(QStringLiteral("GPreForm"));
    GenBox = new QComboBox(this);
    GenBox->setGeometry(50, 0, 145, 26);
    selector_ = std::make_unique<ComboMirror<ResultList>>(results, GenBox);
}

}  // namespace kararisu
