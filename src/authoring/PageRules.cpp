#include "PageRules.h"

#include <QLineF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vorlane::PageRules {

namespace {

double Distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

double Cross(QPointF a, QPointF b, QPointF c)
{
    const QPointF ab = b - a, ac = c - a;
    return ab.x() * ac.y() - ab.y() * ac.x();
}

bool Within(QPointF p, QPointF a, QPointF b)
{
    return std::min(a.x(), b.x()) <= p.x() && p.x() <= std::max(a.x(), b.x()) && std::min(a.y(), b.y()) <= p.y() &&
           p.y() <= std::max(a.y(), b.y());
}

}  // namespace

double SegmentDistance(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double length = QPointF::dotProduct(ab, ab);
    const double t = length > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length, 0.0, 1.0) : 0.0;
    return Distance(p, a + t * ab);
}

double BoxDistance(const QRectF& box, QPointF p)
{
    const double dx = std::max({box.left() - p.x(), 0.0, p.x() - box.right()});
    const double dy = std::max({box.top() - p.y(), 0.0, p.y() - box.bottom()});
    return std::hypot(dx, dy);
}

double BoxDistance(const QRectF& box, QPointF a, QPointF b)
{
    if (box.contains(a) || box.contains(b))
        return 0;
    const QPointF corners[] = {box.topLeft(), box.topRight(), box.bottomRight(), box.bottomLeft()};
    double nearest = std::min(BoxDistance(box, a), BoxDistance(box, b));
    for (int k = 0; k < 4; ++k) {
        if (SegmentsMeet(a, b, corners[k], corners[(k + 1) % 4]))
            return 0;
        nearest = std::min(nearest, SegmentDistance(corners[k], a, b));
    }
    return nearest;
}

bool SegmentsMeet(QPointF a, QPointF b, QPointF c, QPointF d)
{
    const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
    const bool proper = ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
    return proper || (d1 == 0 && Within(a, c, d)) || (d2 == 0 && Within(b, c, d)) || (d3 == 0 && Within(c, a, b)) ||
           (d4 == 0 && Within(d, a, b));
}

double Turn(QPointF a, QPointF b, QPointF c)
{
    const QPointF in = b - a, out = c - b;
    return std::abs(std::atan2(in.x() * out.y() - in.y() * out.x(), QPointF::dotProduct(in, out))) * 180 /
           std::numbers::pi;
}

bool OutAndBack(QPointF before, QPointF apex, QPointF after, double radius)
{
    const double in = QLineF(before, apex).length(), out = QLineF(apex, after).length();
    if (in <= kLongSide * radius || out <= kLongSide * radius || Turn(before, apex, after) <= kOutAndBack)
        return false;
    return in < out ? SegmentDistance(before, apex, after) < kThinPart * radius
                    : SegmentDistance(after, apex, before) < kThinPart * radius;
}

bool ReadAsOne(const QRectF& a, const QRectF& b, double height, const std::function<bool(const QRectF&)>& dotIn)
{
    const double overlapY = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top());
    const double overlapX = std::min(a.right(), b.right()) - std::max(a.left(), b.left());
    if (overlapX >= std::min(a.width(), b.width()) / 2)
        return -overlapY < kLabelsApart * height;
    if (overlapY <= 0)
        return false;
    const double gap = -overlapX;
    if (gap < kLabelsApart * height && overlapY >= std::min(a.height(), b.height()) / 2)
        return true;
    if (gap >= kLabelsFacing * height)
        return false;
    // Even a little out of line, two numbers with no dot between them pair
    // up; a dot between the two, at their height, keeps them apart.
    const QRectF& left = a.left() < b.left() ? a : b;
    const QRectF& right = a.left() < b.left() ? b : a;
    return !dotIn(QRectF(QPointF(left.right(), std::min(a.top(), b.top()) - height),
                         QPointF(right.left(), std::max(a.bottom(), b.bottom()) + height)));
}

}  // namespace vorlane::PageRules
