#include "gui/gui_fixture.h"

#include <fstream>

#include "worklists/loading.h"
#include "viewers/Gpform.h"
#include "viewers/Ppform.h"

namespace kararisu::test {

std::string GuiTest::junk(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
    return path(name);
}

std::vector<std::string> GuiTest::lines() const {
    std::vector<std::string> out;
    TMain& m = program->main();
    for (int i = 0; i < m.MotoListBox->count(); ++i)
        out.push_back(m.MotoListBox->item(i)->text().toStdString());
    return out;
}

void GuiTest::selectLines(std::initializer_list<int> rows) {
    TMain& m = main();
    m.MotoListBox->clearSelection();
    for (int r : rows) m.MotoListBox->item(r)->setSelected(true);
}

void GuiTest::addResultRow(const std::string& name) {
    auto* item = new QTreeWidgetItem(main().GenListView);
    item->setText(0, QString::fromStdString(name));
    item->setText(1, QString::fromStdString(name + "(1)"));
    item->setText(2, QStringLiteral("ノーマル256"));
    item->setIcon(0, main().ImageList3.icon(2));
    // The list stays in step with its rows.
    appendImage(main().ResultList, main().ResultCount, name, smallBitmap(PixelFormat::Bpp8));
    const SecondaryWindows& w = main().windows();
    if (w.GPreForm) w.GPreForm->GenBox->addItem(QString::fromStdString(name));
    if (w.PPreForm) w.PPreForm->PalBox->addItem(QString::fromStdString(name));
}

}  // namespace kararisu::test
