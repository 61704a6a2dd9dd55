#pragma once

#include <QColor>
#include <QFont>

#include <algorithm>
#include <cmath>

namespace vorlane {

// How the dots of every picture look, drawn by hand or traced.
inline QColor DotColour() { return QColor(0x26, 0x32, 0x38); }
inline QColor StartColour() { return QColor(0x2E, 0x9D, 0x3A); }  // the first dot, where the child begins

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
