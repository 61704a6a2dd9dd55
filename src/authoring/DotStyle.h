#pragma once

#include <QColor>
#include <QFont>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace vorlane {

// How the dots of every picture look, drawn by hand or traced.
inline QColor DotColour() { return QColor(0x26, 0x32, 0x38); }
inline QColor StartColour() { return QColor(0x2E, 0x9D, 0x3A); }  // the first dot, where the child begins

// Pictures of a few dots are for the youngest: their dots and numbers are
// bigger, as in the library's first pictures. The first dot is 2 pixels wider.
inline constexpr std::size_t kFewDots = 12;
struct DotSize {
    double radius;
    double labelSize;  // pixel size of the numbers
};
inline DotSize DotSizeFor(std::size_t count)
{
    return count <= kFewDots ? DotSize{9, 26} : DotSize{6, 18};
}

// The bold face of the numbers and of every text drawn into content.
inline QFont ContentFont(double pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
    font.setBold(true);
    font.setKerning(false);
    return font;
}

// The dot labels, in Andika: a typeface made for beginning readers, whose l is
// not an I and whose a and g are written as a child learns them. The game only
// shows bitmaps; the tools that draw labels need the font (fonts-sil-andika).
inline QFont LabelFont(double pixelSize)
{
    QFont font = ContentFont(pixelSize);
    font.setFamily(QStringLiteral("Andika"));
    return font;
}

}  // namespace vorlane
