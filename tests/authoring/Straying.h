#pragma once

// How far the child's line strays from a traced drawing's outline, measured
// here without the judge: from every point of the line (dot 1 to the last,
// not closed) to the nearest outline point, and from every outline point the
// dots picture leaves to the child (no line drawn there) to the line. Closed, the
// same of the polygon through the dots against the whole outline.

#include "DotPicture.h"
#include "TracedDrawing.h"

#include <QLineF>

#include <algorithm>
#include <cmath>

namespace vorlane::test {

enum class Path { ChildsLine, Closed };

inline double SegmentDistance(QPointF p, const QLineF& line)
{
    const QPointF ab = line.p2() - line.p1();
    const double length = QPointF::dotProduct(ab, ab);
    const double t = length > 0 ? std::clamp(QPointF::dotProduct(p - line.p1(), ab) / length, 0.0, 1.0) : 0.0;
    const QPointF gap = p - (line.p1() + t * ab);
    return std::hypot(gap.x(), gap.y());
}

// Whether the dots picture has a line (pure black) within half a line's
// width of `point`: the outline there is drawn for the child.
inline bool DrawnNear(const QImage& dotsPicture, QPoint point)
{
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx)
            if (dotsPicture.rect().contains(point + QPoint(dx, dy)) &&
                dotsPicture.pixel(point + QPoint(dx, dy)) == qRgb(0, 0, 0))
                return true;
    return false;
}

// The largest gap, in % of the diagonal of the drawing's extent (the whole
// figure, its thin parts too, as a parent sees its size).
inline double StrayingPercent(const TracedDrawing& drawing, const std::vector<Dot>& dots, const QImage& dotsPicture,
                              Path path = Path::ChildsLine)
{
    const std::vector<QPoint>& outline = drawing.Outline();
    if (outline.empty() || dots.size() < 2)
        return 100;
    const QRect bounds = drawing.Extent();
    std::vector<QLineF> sides;
    for (std::size_t i = 0; i + 1 < dots.size(); ++i)
        sides.emplace_back(QPointF(dots[i].position), QPointF(dots[i + 1].position));
    if (path == Path::Closed)
        sides.emplace_back(QPointF(dots.back().position), QPointF(dots.front().position));
    double worst = 0;
    for (const QLineF& side : sides)
        for (double t = 0; t <= 1; t += 2 / std::max(2.0, side.length())) {
            double nearest = 1e9;
            for (const QPoint& point : outline)
                nearest = std::min(nearest, QLineF(side.pointAt(t), QPointF(point)).length());
            worst = std::max(worst, nearest);
        }
    for (const QPoint& point : outline) {
        if (path == Path::ChildsLine && DrawnNear(dotsPicture, point))
            continue;  // drawn for the child: a tail, whiskers, the closing stretch
        double nearest = 1e9;
        for (const QLineF& side : sides)
            nearest = std::min(nearest, SegmentDistance(QPointF(point), side));
        worst = std::max(worst, nearest);
    }
    return 100 * worst / std::hypot(bounds.width(), bounds.height());
}

}  // namespace vorlane::test
