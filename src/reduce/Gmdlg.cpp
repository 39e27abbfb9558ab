#include "reduce/Gmdlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

#include "widgets/fonts.h"
#include "widgets/window_place.h"

namespace kararisu {

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y, bool bold) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(uiFont(kGothic, 12, bold));
    l->move(x, y);
    l->adjustSize();
    return l;
}

}  // namespace

TGenMoniDlg::TGenMoniDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("GenMoniDlg"));
    setWindowTitle(QStringLiteral("減色モニター"));
    setFont(uiFont(kGothic, 12));
    setFixedSize(233, 103);
    TitleLabel = label(this, "TitleLabel", QStringLiteral("ターゲット"), 8, 8, true);
    NoLabel = label(this, "NoLabel", QStringLiteral("\u3000／\u3000"), 160, 8, true);
    Label3 = label(this, "Label3", QStringLiteral("ＢＭＰ名："), 8, 32, true);
    NameLabel = label(this, "NameLabel", QString(), 80, 32, false);
    ComentLabel = label(this, "ComentLabel", QStringLiteral("減色中．．．"), 8, 56, false);
    PBar = new QProgressBar(this);
    PBar->setObjectName(QStringLiteral("PBar"));
    PBar->setGeometry(8, 72, 217, 25);
    PBar->setRange(0, 1000);
    PBar->setValue(0);
    PBar->setTextVisible(false);
}

void TGenMoniDlg::changed(QWidget* control, const QString& value) {
    if (auto* l = qobject_cast<QLabel*>(control)) l->adjustSize();
    if (isVisible()) control->repaint();
    emit monitorChanged(control->objectName(), value);
    processEvents();
}

void TGenMoniDlg::setTitle(const std::string& text) {
    TitleLabel->setText(QString::fromStdString(text));
    changed(TitleLabel, TitleLabel->text());
}

void TGenMoniDlg::setNumber(const std::string& text) {
    NoLabel->setText(QString::fromStdString(text));
    changed(NoLabel, NoLabel->text());
}

void TGenMoniDlg::setName(const std::string& text) {
    NameLabel->setText(QString::fromStdString(text));
    changed(NameLabel, NameLabel->text());
}

void TGenMoniDlg::setStep(const std::string& text) {
    ComentLabel->setText(QString::fromStdString(text));
    changed(ComentLabel, ComentLabel->text());
}

void TGenMoniDlg::setPosition(int position) {
    PBar->setValue(position);
    changed(PBar, QString::number(position));
}

void TGenMoniDlg::show() {
    QDialog::show();
    if (isVisible()) repaint();
    emit monitorChanged(QStringLiteral("show"), QString());
    processEvents();
}

void TGenMoniDlg::hide() {
    QDialog::hide();
    emit monitorChanged(QStringLiteral("hide"), QString());
    processEvents();
}

void TGenMoniDlg::processEvents() {
    // Input waits: the run holds the GUI thread, and no second command may
    // start while it works.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TGenMoniDlg::showEvent(QShowEvent* event) {
    placeCentred(*this);
    QDialog::showEvent(event);
}

void TGenMoniDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace kararisu
