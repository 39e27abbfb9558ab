#include "gui/gui_fixture.h"

#include <fstream>

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
    for (int i = 0; i < m.ui().MotoListBox->count(); ++i)
        out.push_back(m.ui().MotoListBox->item(i)->text().toStdString());
    return out;
}

void GuiTest::selectLines(std::initializer_list<int> rows) {
    TMain& m = main();
    m.ui().MotoListBox->clearSelection();
    for (int r : rows) m.ui().MotoListBox->item(r)->setSelected(true);
}

void GuiTest::addResultRow(const std::string& name) {
    main().resultSink().add(
        Result{smallBitmap(PixelFormat::Bpp8), name, name + "(1)", "ノーマル256"});
}

}  // namespace kararisu::test
