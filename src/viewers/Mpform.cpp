#include "viewers/Mpform.h"

namespace kararisu {

TMPreForm::TMPreForm(SourceList& sources, QWidget* parent)
    : QWidget(parent, Qt::Window), sources_(sources) {
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
    // Images named on the command line were listed before this window
    // existed: registering fills the selector with them.
    selector_ = std::make_unique<ComboMirror<SourceList>>(sources_, MotoBox, [this] {
        UpdateButtons();
        connect(MotoBox, &QComboBox::currentIndexChanged, this, [this] { UpdateButtons(); });
    });
}

void TMPreForm::UpdateButtons() {
    const int n = sources_.size();
    const int k = MotoBox->currentIndex();
    bool up = true, down = true;
    // With no image at all there is nothing to step to either.
    if (n <= 1) {
        up = down = false;
    } else if (k == 0) {
        up = false;
    } else if (k == n - 1) {
        down = false;
    }
    UpButton->setEnabled(up);
    DownButton->setEnabled(down);
}

}  // namespace kararisu
