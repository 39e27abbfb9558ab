#include "viewers/Ppform.h"

namespace kararisu {

TPPreForm::TPPreForm(ResultList& results, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("PPreForm"));
    setWindowTitle(QStringLiteral("PPreForm"));
    PalBox = new QComboBox(this);
    PalBox->setGeometry(0, 0, 145, 26);
    selector_ = std::make_unique<ComboMirror<ResultList>>(results, PalBox);
}

}  // namespace kararisu
