// The reduction run: the settings dialog, then the engine of the chosen menu
// over the selected images.
#include "app/Mainform.h"

namespace kararisu {

void TMain::G1Click() {}

}  // namespace kararisu
