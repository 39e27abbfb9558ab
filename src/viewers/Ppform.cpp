#include "viewers/Ppform.h"

namespace kararisu {

TPPreForm::TPPreForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("PPreForm"));
    setWindowTitle(QStringLiteral("PPreForm"));
}

}  // namespace kararisu
