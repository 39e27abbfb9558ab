#pragma once
// The fonts the forms name, by their Windows names: the application maps
// them to fonts with the same metrics (app/application.cpp).

#include <QFont>
#include <QString>

namespace kararisu {

inline const QString kGothic = QStringLiteral("ＭＳ ゴシック");
inline const QString kPropGothic = QStringLiteral("ＭＳ Ｐゴシック");

inline QFont uiFont(const QString& family, int pixelSize, bool bold = false) {
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

}  // namespace kararisu
