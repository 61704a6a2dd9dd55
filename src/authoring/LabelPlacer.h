#pragma once

#include "AreaSums.h"
#include "DotPicture.h"
#include "DotStyle.h"
#include "PageRules.h"
#include "TracedDrawing.h"

#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

namespace vorlane {

struct Label {
    QString text;
    QRectF box;  // where its ink goes
    QPainterPath glyphs;
    bool plain = false;  // plainly its dot's, touching nothing
};

// Where the labels go: beside their dot along the outline's outward normal
// where there is room, else turned further round it, always clear of the
// lines, the dots, the child's line and the other labels, and nearer their
// own dot than any other by a clear margin. `dots` is read as it is when
// asked, so that a dot moved is seen at its new place; `lines` is read once.
class LabelPlacer {
public:
    LabelPlacer(const TracedDrawing& drawing, const std::vector<Dot>& dots, const DotOptions& options,
                const QImage& lines);

    std::vector<Label> Place() const;

    // The label of dot `i` beside and outside it, or nothing when there is no
    // room for one there (the dots before `i` already labelled in `labels`).
    std::optional<Label> Outside(std::size_t i, const std::vector<Label>& labels) const;

    // The plain labels are still clear of the dots and the path, and still
    // plainly their dot's (after a dot moved).
    bool StillPlain(const std::vector<Label>& labels) const;

    // The label of dot `i`, clear of `labels`: outside the figure where there
    // is room, else in the best place round the dot.
    Label PlaceOne(std::size_t i, const std::vector<Label>& labels) const;

private:
    Label Glyphs(std::size_t i) const;

    QPointF Centre(std::size_t i) const { return QPointF(m_dots[i].position) + QPointF(0.5, 0.5); }

    static QRect Pixels(const QRectF& box, double margin = PageRules::kClearance);

    // Over no dot or side of the child's path.
    bool Clear(const QRectF& box) const;

    // Inside the picture, `apart` from every line and other label, over no
    // dot or side of the child's path.
    bool Fits(const QRectF& box, const std::vector<Label>& labels, double apart) const;

    // Plainly dot i's as the eye reads it: from the label's centre, every
    // other dot kOwnLabel times as far as its own; and every other dot's edge
    // a dot radius further from the label than its own dot's, and then some
    // (the ink of a number spreads a little when drawn).
    bool Owned(std::size_t i, const QRectF& box) const;

    class Mask {
    public:
        explicit Mask(const QImage& image) : m_size(image.size()), m_sums(image) {}
        int Sum(const QRect& box) const { return QRect(QPoint(), m_size).contains(box) ? m_sums.Sum(box) : 1; }
        double Width() const { return m_size.width(); }
        double Height() const { return m_size.height(); }

    private:
        QSize m_size;
        AreaSums m_sums;
    };

    const TracedDrawing& m_drawing;
    const std::vector<Dot>& m_dots;
    const DotOptions& m_options;
    DotSize m_size;
    Mask m_lines;
    Mask m_figure;
    QFont m_font;
    QRect m_inside;
    double m_height;     // of a digit
    double m_apart;      // from another dot's label
    double m_lineApart;  // from a line
};

}  // namespace vorlane
