#pragma once

#include "LineArt.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace vorlane {

// The picture size of the demo themes, which the game's appearances show whole.
inline constexpr QSize kPictureSize{704, 560};

// The two pages made of a drawing, which a parent can rub strokes out of.
enum class DrawingPage { Dots, Colour };

// The rubber's radius, in picture pixels: a drag rubs out this far on each
// side of the pointer, and a click on the outline takes this much of it.
inline constexpr int kRubberRadius = 9;

// A drawing read and analysed once: the picture to colour and the outline the
// child will draw. The costly step; placing dots on it afterwards is cheap.
class TracedDrawing {
public:
    TracedDrawing() = default;

    // SVG, PNG, JPEG, BMP, GIF or WebP. Raises EVorlaneError with a French
    // message for a file that cannot be read or holds nothing to trace.
    static TracedDrawing FromFile(const QString& path, QSize pictureSize = kPictureSize);
    // A pasted or dropped image; transparent pixels count as white.
    static TracedDrawing FromImage(const QImage& image, QSize pictureSize = kPictureSize);
    // The encoded bytes of a drawing; `suffix` ("svg", "png"...) names its format.
    static TracedDrawing FromBytes(const QByteArray& bytes, const QString& suffix, QSize pictureSize = kPictureSize);

    QSize PictureSize() const { return m_pictureToColour.size(); }
    // Where the drawing's lines are on the picture.
    QRect Extent() const { return m_extent; }
    // Image<NN>.bmp: pure black aliased lines on white, every region closed.
    const QImage& PictureToColour() const { return m_pictureToColour; }
    // The closed outline of the figure, one point per pixel step, in picture
    // pixels: the main piece of the drawing without its thin parts. Dots go
    // on its points that lie on a black pixel of the picture to colour.
    const std::vector<QPoint>& Outline() const { return m_outline; }
    // The index of the outline point nearest `at` (0 without an outline).
    std::size_t OutlineIndexNear(QPoint at) const;

    // How far the point is from the drawing's edge, its lines next to the
    // page's outside, in pixels (0 outside the picture).
    float EdgeDistance(QPoint point) const
    {
        return QRect(QPoint(), PictureSize()).contains(point)
                   ? m_edgeDistance[static_cast<std::size_t>(point.y()) * PictureSize().width() + point.x()]
                   : 0;
    }

    // The lines of the picture to colour (Grayscale8, 255 on a line), and
    // the same without the outline's band: the lines the dots picture keeps.
    const QImage& Lines() const { return m_lines; }
    const QImage& InnerLines() const { return m_innerLines; }
    // The black band of the outline, each pixel with the outline point it lies
    // beside: the stretches of it the child's line does not follow stay drawn
    // on the dots picture.
    const std::vector<BandPixel>& OutlineBand() const { return m_outlineBand; }
    // The figure the outline goes round (Grayscale8, 255 inside): labels go outside it.
    const QImage& Figure() const { return m_figure; }
    // Whether a point lies on a line; a point outside the picture does not.
    bool OnLine(QPoint point) const
    {
        return m_lines.rect().contains(point) && m_lines.constScanLine(point.y())[point.x()] != 0;
    }

    // The drawing with a stroke rubbed out of `page`. A click (one point) takes
    // the whole stroke under it, or only the rubber's width of it when that
    // stroke is the outline or spans much of the drawing; a drag (several
    // points) rubs out what it passes over. None when no line is under it.
    std::optional<TracedDrawing> Erased(DrawingPage page, const std::vector<QPoint>& path) const;
    // The drawing with these pixels of `page` rubbed out (Grayscale8, 255
    // rubbed out, the picture's size): what a reopened picture replays.
    TracedDrawing Erased(DrawingPage page, const QImage& pixels) const;
    // All that was rubbed out of `page` so far; null while nothing was.
    const QImage& ErasedPixels(DrawingPage page) const { return m_erased[static_cast<std::size_t>(page)]; }
    // Where rubbing out the picture to colour's outline let the outside in,
    // so that a colour poured round the figure would run into it; empty
    // while the picture is closed.
    const std::vector<QPoint>& Openings() const { return m_openings; }

    // The drawing as it was read, kept so that the picture can be traced again.
    const QByteArray& SourceBytes() const { return m_sourceBytes; }
    const QString& SourceSuffix() const { return m_sourceSuffix; }

private:
    QImage m_pictureToColour;
    std::vector<QPoint> m_outline;
    std::vector<float> m_edgeDistance;
    QImage m_lines;
    QImage m_innerLines;
    std::vector<BandPixel> m_outlineBand;
    QImage m_figure;
    QRect m_extent;
    std::array<QImage, 2> m_erased;
    std::vector<QPoint> m_openings;
    int m_closedReach = -1;  // figure pixels a fill from outside reached before any rubbing
    QByteArray m_sourceBytes;
    QString m_sourceSuffix;
};

}  // namespace vorlane
