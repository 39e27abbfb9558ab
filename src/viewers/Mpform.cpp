#include "viewers/Mpform.h"

namespace kararisu {

TMPreForm::TMPreForm(const QStringList& sourceNames, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("MPreForm"));
    setWindowTitle(QStringLiteral("MPreForm"));
    resize(246, 216);
    Panel1 = new QFrame(this);
    Panel1->setGeometry(0, 0, 195, 27);
    Panel1->hide();
    UpButton = new QToolButton(Panel1);
    UpButton->setGeometry(0, 0, 25, 25);
    UpButton->setArrowType(Qt::UpArrow);
    UpButton->setAutoRaise(true);
    DownButton = new QToolButton(Panel1);
    DownButton->setGeometry(24, 0, 25, 25);
    DownButton->setArrowType(Qt::DownArrow);
    DownButton->setAutoRaise(true);
    MotoBox = new QComboBox(Panel1);
    MotoBox->setGeometry(50, 0, 145, 26);
    MotoBox->addItems(sourceNames);
}

}  // namespace kararisu
