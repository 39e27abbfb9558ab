// Opening the viewers on an entry of either list.
#include "app/Mainform.h"

namespace kararisu {

void TMain::MotoListBoxDblClick() {}
void TMain::GenListViewDblClick() {}
void TMain::P1Click() {}

}  // namespace kararisu
