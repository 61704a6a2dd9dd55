#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>

#include <cmath>

namespace vorlane {

// What the placing of the dots and of their labels measures with.

// Deviations above this part of the diagonal of the drawing's extent are worth
// a dot of their own.
inline constexpr double kWorthADot = 0.01;

inline double Diagonal(const QRect& extent)
{
    return std::hypot(extent.width(), extent.height());
}

inline double Distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// Which of a and b is nearer `to`, without square roots: searches along the
// outline make it often.
inline bool Nearer(QPoint a, QPoint b, QPoint to)
{
    const QPoint da = a - to, db = b - to;
    return QPoint::dotProduct(da, da) < QPoint::dotProduct(db, db);
}

}  // namespace vorlane
