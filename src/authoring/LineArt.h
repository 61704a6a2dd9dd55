#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <vector>

namespace vorlane {

// The width of every black line of the picture to colour: wide enough that a
// fill never leaks through a diagonal step, thin enough to look drawn.
inline constexpr int kLineWidth = 5;

// A pixel of the outline's band, with the outline point it lies beside.
struct BandPixel {
    QPoint at;
    std::size_t outlineIndex;
};

// A drawing turned into line art for colouring, with its outer outline.
struct LineArt {
    QImage pictureToColour;  // RGB32, pure black lines on white
    QImage lines;            // Grayscale8, 255 on the lines of pictureToColour
    QImage innerLines;       // Grayscale8, the same without the outline's band
    std::vector<BandPixel> outlineBand;  // the black band of the outline, filled areas hollowed
    QImage figure;           // Grayscale8, 255 on the figure the outline goes round
    QRect extent;            // the bounds of the lines
    std::vector<QPoint> outline;  // closed, clockwise, just inside the figure's edge
    std::vector<float> edgeDistance;  // per pixel, row by row: the distance to the drawing's outer edge
};

// Where the drawing lies on its page, in fractions of the page, with a little
// room. Raises EVorlaneError (French) for a page that is blank or all dark.
QRectF DrawingBounds(const QImage& page);

// Traces `drawing` (drawn on white, at most the picture's size less its
// margins) and centres the result on a white picture of `pictureSize`.
// Raises EVorlaneError when nothing closed enough to be coloured is found.
LineArt TraceLineArt(const QImage& drawing, QSize pictureSize);

}  // namespace vorlane
