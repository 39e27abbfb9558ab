// The palette merge command: the merge dialog, then the engine of the
// chosen merge.
#include "app/Mainform.h"

namespace kararisu {

void TMain::P3Click() {}

}  // namespace kararisu
