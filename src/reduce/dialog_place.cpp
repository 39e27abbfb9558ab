#include "reduce/dialog_place.h"

namespace kararisu {

QFont uiFont(const QString& family, int pixelSize, bool bold) {
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

}  // namespace kararisu
