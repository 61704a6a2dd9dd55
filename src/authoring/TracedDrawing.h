#pragma once

#include "LineArt.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

namespace vorlane {

// The picture size of the demo themes, which the game's appearances show whole.
inline constexpr QSize kPictureSize{704, 560};

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
    QByteArray m_sourceBytes;
    QString m_sourceSuffix;
};

}  // namespace vorlane
