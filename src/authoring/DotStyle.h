#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace vorlane {

// How the dots of every picture look, drawn by hand or traced.
inline QColor DotColour() { return QColor(0x26, 0x32, 0x38); }
inline QColor StartColour() { return QColor(0x2E, 0x9D, 0x3A); }  // the first dot, where the child begins

struct DotSize {
    double radius;     // the first dot is 2 pixels wider
    double labelSize;  // pixel size of the numbers
};
// Pictures of a few dots are for the youngest: their dots and numbers are big.
// They grow smaller a step at a time with the count, so that a child going
// from one picture to the next of a theme never meets a sudden change.
struct DotSizeStep {
    std::size_t mostDots;
    DotSize size;
};
inline constexpr std::size_t kFewDots = 12;
inline constexpr std::array<DotSizeStep, 4> kDotSizeSteps = {{
    {kFewDots, {9, 26}},
    {19, {7.5, 22}},
    {26, {6.5, 19}},
    {SIZE_MAX, {6, 18}},
}};
// The youngest child a picture of `count` dots suits, as the help's age table
// has it: one year older at each step of the sizes.
inline constexpr int YoungestAgeFor(std::size_t count)
{
    int age = 3;
    for (const DotSizeStep& step : kDotSizeSteps) {
        if (count <= step.mostDots)
            return age;
        ++age;
    }
    return age;
}
// The atelier's, the tracer's and the library's size for a picture of `count` dots.
inline constexpr DotSize DotSizeFor(std::size_t count)
{
    for (const DotSizeStep& step : kDotSizeSteps)
        if (count <= step.mostDots)
            return step.size;
    return kDotSizeSteps.back().size;
}
// The radius a dot is drawn with: the first, where the child begins, is larger.
inline double RadiusOf(std::size_t index, const DotSize& size)
{
    return index == 0 ? size.radius + 2 : size.radius;
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

// A label's glyphs, as the path to fill. Winding: where a letter's strokes
// overlap (Andika's N at some sizes), the even-odd rule leaves a white scratch.
inline QPainterPath LabelGlyphs(const QFont& font, const QString& text)
{
    QPainterPath glyphs;
    glyphs.setFillRule(Qt::WindingFill);
    glyphs.addText(0, 0, font, text);
    return glyphs;
}

}  // namespace vorlane
