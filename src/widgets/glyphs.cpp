#include "widgets/glyphs.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace kararisu {

void GlyphList::draw(QPainter& painter, int x, int y, int index) const {
    if (index < 0 || index >= count()) return;
    painter.drawPixmap(x, y, glyphs_[std::size_t(index)]);
}

QPixmap GlyphList::pixmap(int index) const {
    if (index < 0 || index >= count()) return QPixmap();
    return glyphs_[std::size_t(index)];
}

namespace {

const QColor kGlyphRed(0xd0, 0, 0);

// Text glyphs are drawn without smoothing: at 16 pixels smoothing only blurs.
// Heavy strokes are made by drawing twice, one pixel apart, which stays
// crisp where a synthesised bold face smears. IPA Gothic's thin strokes
// suit the doubling; the forms' own gothic is heavier and closes up.
QFont glyphFont(int pixelSize, int stretch = 100) {
    QFont f(QStringLiteral("IPAGothic"));
    f.setPixelSize(pixelSize);
    f.setStyleStrategy(QFont::NoAntialias);
    if (stretch != 100) f.setStretch(stretch);
    return f;
}

void heavyText(QPainter& p, const QRect& r, const QString& text) {
    p.drawText(r, Qt::AlignCenter, text);
    p.drawText(r.translated(1, 0), Qt::AlignCenter, text);
}

QPixmap textGlyph(QSize size, const QString& text, QColor ink, int pixelSize, bool heavy,
                  int stretch = 100) {
    QPixmap pm(size);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setFont(glyphFont(pixelSize, stretch));
    p.setPen(ink);
    QRect r(QPoint(0, 0), size);
    if (heavy)
        heavyText(p, r.adjusted(0, 0, -1, 0), text);
    else
        p.drawText(r, Qt::AlignCenter, text);
    return pm;
}

// The columns `text` inks when drawn as textGlyph draws it, cut to those
// columns (the rows stay, so the baseline does too).
QImage inkColumns(QSize size, const QString& text, QColor ink, int pixelSize, int stretch) {
    QImage wide(size.width() * 2, size.height(), QImage::Format_RGB32);
    wide.fill(Qt::white);
    QPainter p(&wide);
    p.setFont(glyphFont(pixelSize, stretch));
    p.setPen(ink);
    heavyText(p, QRect(QPoint(0, 0), wide.size()).adjusted(0, 0, -1, 0), text);
    p.end();
    int left = wide.width(), right = -1;
    for (int x = 0; x < wide.width(); ++x)
        for (int y = 0; y < wide.height(); ++y)
            if (wide.pixel(x, y) != QColor(Qt::white).rgb()) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    if (right < left) return QImage();
    return wide.copy(left, 0, right - left + 1, wide.height());
}

// Two heavy digits with one blank column between them, centred: drawn as
// one text in a narrow face they touch and read as a blot.
QPixmap digitPairGlyph(QSize size, const QString& text, QColor ink, int pixelSize, int stretch) {
    const QImage first = inkColumns(size, text.left(1), ink, pixelSize, stretch);
    const QImage second = inkColumns(size, text.mid(1), ink, pixelSize, stretch);
    const int width = first.width() + 1 + second.width();
    QPixmap pm(size);
    pm.fill(Qt::white);
    QPainter p(&pm);
    const int x = std::max(0, (size.width() - width) / 2);
    p.drawImage(x, 0, first);
    p.drawImage(x + first.width() + 1, 0, second);
    return pm;
}

QPixmap blank(int w, int h) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

void folder(QPainter& p, QRect r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top() + 2);
    path.lineTo(r.left() + r.width() / 3, r.top() + 2);
    path.lineTo(r.left() + r.width() / 3 + 2, r.top());
    path.lineTo(r.right(), r.top());
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QColor(0x80, 0x60, 0x00));
    p.setBrush(QColor(0xf0, 0xc8, 0x40));
    p.drawPath(path);
    p.setBrush(QColor(0xff, 0xe0, 0x70));
    p.drawRect(QRect(r.left(), r.top() + 4, r.width() - 1, r.height() - 5));
}

void disk(QPainter& p, QRect r) {
    p.setPen(QColor(0x10, 0x20, 0x60));
    p.setBrush(QColor(0x30, 0x50, 0xb0));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    // label
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRect(r.left() + 2, r.top() + 1, r.width() - 4, r.height() / 2 - 1));
    // shutter
    p.setBrush(QColor(0xb0, 0xb0, 0xb8));
    int sw = r.width() / 2;
    p.drawRect(QRect(r.left() + (r.width() - sw) / 2, r.bottom() - r.height() / 3 + 1, sw,
                     r.height() / 3 - 1));
}

void swatches(QPainter& p, QRect r) {
    const QColor colours[4] = {QColor(0xe0, 0x20, 0x20), QColor(0x20, 0xa0, 0x20),
                               QColor(0x20, 0x40, 0xe0), QColor(0xf0, 0xd0, 0x00)};
    int w = r.width() / 2, h = r.height() / 2;
    p.setPen(Qt::black);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(colours[i]);
        p.drawRect(QRect(r.left() + (i % 2) * w, r.top() + (i / 2) * h, w - 1, h - 1));
    }
}

void picture(QPainter& p, QRect r) {
    p.setPen(Qt::black);
    p.setBrush(QColor(0x90, 0xd0, 0xff));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0xa0, 0x30));
    QPolygon hill;
    hill << QPoint(r.left() + 1, r.bottom()) << QPoint(r.left() + r.width() / 3, r.top() + 4)
         << QPoint(r.left() + 2 * r.width() / 3, r.bottom() - 2) << QPoint(r.right(), r.bottom());
    p.drawPolygon(hill);
    p.setBrush(QColor(0xff, 0x60, 0x20));
    p.drawEllipse(QRect(r.right() - 4, r.top() + 1, 3, 3));
}

QPixmap toolGlyph(int i) {
    QPixmap pm = blank(20, 20);
    QPainter p(&pm);
    switch (i) {
        case 0:  // picture and folder
            folder(p, QRect(0, 8, 14, 11));
            picture(p, QRect(8, 1, 12, 10));
            break;
        case 1:  // folder and disk
            folder(p, QRect(0, 2, 13, 11));
            disk(p, QRect(8, 8, 12, 12));
            break;
        case 2:  // disk
            disk(p, QRect(2, 2, 16, 16));
            break;
        case 3: {  // disk with a name tag
            disk(p, QRect(0, 0, 15, 15));
            p.setPen(Qt::black);
            p.setBrush(QColor(0xff, 0xf4, 0xc0));
            p.drawRect(QRect(9, 11, 10, 8));
            p.drawLine(11, 14, 17, 14);
            p.drawLine(11, 16, 15, 16);
            break;
        }
        case 4:  // 減
            p.setFont(glyphFont(19));
            p.setPen(kGlyphRed);
            heavyText(p, QRect(0, 0, 19, 20), QStringLiteral("減"));
            break;
        case 5:  // Pal
            p.setPen(Qt::black);
            p.setBrush(QColor(0xff, 0xff, 0xd0));
            p.drawRect(QRect(0, 3, 19, 13));
            p.setFont(glyphFont(12));
            p.setPen(QColor(0x00, 0x30, 0xa0));
            p.drawText(QRect(0, 3, 20, 14), Qt::AlignCenter, QStringLiteral("Pal"));
            break;
        case 6:  // colour squares and disk
            swatches(p, QRect(0, 0, 12, 12));
            disk(p, QRect(8, 8, 12, 12));
            break;
        case 7:  // colour squares and cross
            swatches(p, QRect(0, 0, 12, 12));
            p.setPen(QPen(QColor(0xc0, 0, 0), 3));
            p.drawLine(15, 9, 15, 19);
            p.drawLine(10, 14, 19, 14);
            break;
        default:
            break;
    }
    return pm;
}

}  // namespace

GlyphList makeImageList1() {
    const char* texts[] = {"1", "4", "8", "16", "24", "32", "前", "後", "外"};
    std::vector<QPixmap> glyphs;
    for (int i = 0; i < 9; ++i) {
        const QString t = QString::fromUtf8(texts[i]);
        if (i >= 6)
            glyphs.push_back(textGlyph(QSize(16, 16), t, kGlyphRed, 15, false));
        else if (t.size() == 2)
            glyphs.push_back(digitPairGlyph(QSize(16, 16), t, kGlyphRed, 13, 80));
        else
            glyphs.push_back(textGlyph(QSize(16, 16), t, kGlyphRed, 14, true));
    }
    return GlyphList(QSize(16, 16), std::move(glyphs));
}

GlyphList makeImageList2() {
    std::vector<QPixmap> glyphs;
    for (int i = 0; i < 8; ++i) glyphs.push_back(toolGlyph(i));
    return GlyphList(QSize(20, 20), std::move(glyphs));
}

GlyphList makeImageList3() {
    const char* texts[] = {"1", "4", "8"};
    std::vector<QPixmap> glyphs;
    for (const char* t : texts)
        glyphs.push_back(textGlyph(QSize(16, 20), QString::fromUtf8(t), kGlyphRed, 15, true));
    return GlyphList(QSize(16, 20), std::move(glyphs));
}

QIcon makeWindowIcon() {
    QIcon icon;
    for (int side : {16, 32, 48}) {
        QPixmap pm = blank(side, side);
        QPainter p(&pm);
        picture(p, QRect(0, 0, side * 3 / 4, side * 3 / 4));
        swatches(p, QRect(side / 2, side / 2, side / 2, side / 2));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

}  // namespace kararisu
