// Saving results: to a chosen folder, under a chosen name, over the source,
// and their palettes as palette files.
#include "app/Mainform.h"

namespace kararisu {

void TMain::F1Click() {}
void TMain::S3Click() {}
void TMain::S2Click() {}
void TMain::P2Click() {}

}  // namespace kararisu
