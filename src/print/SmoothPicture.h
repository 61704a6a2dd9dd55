#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QSize>

#include <vector>

class QPainter;

namespace vorlane {

// A picture of the game (black line art, a dots page, a coloured picture)
// made ready to be drawn much larger than its pixels: its dark flat colours
// (outlines, dots, numbers) become smooth shapes that follow their curves
// instead of the pixels' steps, and its light colours lie underneath as
// they are, each spread under the outlines next to it, where no step shows.
//
// Each dark colour's outline is traced between its pixels and those around
// it (an anti-aliased edge placed by how much of each colour its pixels
// hold), then smoothed along itself, every point kept within half a pixel
// of where the drawing passed: the steps go, and thin strokes, small numbers,
// round dots and sharp corners stay what they were. A picture of many colours
// (a photograph, a gradient) has no flat colours to trace, and one already
// as fine as a page needs none: either is drawn as it is, smoothly stretched.
class SmoothPicture {
public:
    // How the dark shapes are printed: in the picture's own colours (a
    // child's coloured picture), or all pure black (a dots page, a picture
    // to colour: the slate of the dots and numbers would come out of a laser
    // printer as a grey screen of specks).
    enum class Ink { AsDrawn, Black };

    SmoothPicture() = default;
    explicit SmoothPicture(const QImage& picture, Ink ink = Ink::AsDrawn);

    QSize Size() const { return m_size; }
    bool IsNull() const { return m_size.isEmpty(); }

    // Draws the picture stretched over `target` (in the painter's
    // coordinates), as vector paths on a printer or a PDF.
    void Draw(QPainter& painter, const QRectF& target) const;
    // The picture at `size` pixels on white, its edges anti-aliased.
    QImage Render(QSize size) const;

private:
    struct Layer {
        QColor colour;
        QPainterPath outline;  // in the picture's pixels
    };

    QSize m_size;
    QImage m_underneath;  // null when nothing but white lies under the layers
    bool m_smoothUnderneath = false;  // a picture of too many colours, drawn as it is
    std::vector<Layer> m_layers;  // drawn in order, the darkest last
};

}  // namespace vorlane
