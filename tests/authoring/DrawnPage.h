#pragma once

// A page drawn here for the picture judge, good unless a test spoils it: a
// ring outline (or a polygon, clockwise) with its dots on it, each label
// outside beside its dot, and the stretch from the last dot back to the first
// drawn on the dots page.

#include "DotStyle.h"
#include "PictureJudge.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <numbers>

namespace vorlane::test {

struct PageSketch {
    int count = 16;
    double dotRadius = 6;
    double labelSize = 18;
    bool closingDrawn = true;  // else left to the child, who never draws it
    QPolygonF corners;         // a dot on each; empty: the ring
};

inline constexpr QPointF kRingCentre{352, 280};
inline constexpr double kRingRadius = 200;

inline QPointF OnRing(double turns)
{
    const double angle = 2 * std::numbers::pi * turns - std::numbers::pi / 2;
    return kRingCentre + kRingRadius * QPointF(std::cos(angle), std::sin(angle));
}

// Label `text` beside `dot`, `away` being the unit direction it goes.
inline void DrawLabel(QPainter& painter, const QString& text, QPointF dot, QPointF away, double gap, double size)
{
    QPainterPath glyphs;
    glyphs.addText(0, 0, ContentFont(size), text);
    const QRectF ink = glyphs.boundingRect();
    const double reach = std::min(std::abs(away.x()) > 1e-9 ? ink.width() / 2 / std::abs(away.x()) : 1e9,
                                  std::abs(away.y()) > 1e-9 ? ink.height() / 2 / std::abs(away.y()) : 1e9);
    painter.fillPath(glyphs.translated(dot + away * (gap + reach) - ink.center()), DotColour());
}

inline JudgedPage DrawPage(const PageSketch& sketch = {})
{
    JudgedPage page;
    page.finishedPicture = QImage(704, 560, QImage::Format_RGB32);
    page.finishedPicture.fill(Qt::white);
    {
        QPainter painter(&page.finishedPicture);
        painter.setPen(QPen(Qt::black, 4));
        if (sketch.corners.empty())
            painter.drawEllipse(kRingCentre, kRingRadius, kRingRadius);
        else
            painter.drawPolygon(sketch.corners);
    }
    const int count = sketch.corners.empty() ? sketch.count : static_cast<int>(sketch.corners.size());
    const auto at = [&](int i) {
        return sketch.corners.empty() ? OnRing(static_cast<double>(i) / count) : sketch.corners[i];
    };
    // Outward: from the ring's centre, or between the outward normals of a
    // corner's sides.
    const auto away = [&](int i) {
        if (sketch.corners.empty())
            return (at(i) - kRingCentre) / kRingRadius;
        const QPointF in = at(i) - at((i + count - 1) % count), out = at((i + 1) % count) - at(i);
        const QPointF normal = QPointF(in.y(), -in.x()) / std::hypot(in.x(), in.y()) +
                               QPointF(out.y(), -out.x()) / std::hypot(out.x(), out.y());
        return normal / std::hypot(normal.x(), normal.y());
    };
    page.dotsPicture = QImage(page.finishedPicture.size(), QImage::Format_RGB32);
    page.dotsPicture.fill(Qt::white);
    QPainter painter(&page.dotsPicture);
    painter.setPen(QPen(Qt::black, 4));
    QPolygonF closing;
    if (sketch.corners.empty())
        for (double t = (sketch.count - 1.0) / sketch.count; t <= 1.0001; t += 0.002)
            closing << OnRing(t);
    else
        closing << sketch.corners.back() << sketch.corners.front();
    if (sketch.closingDrawn)
        painter.drawPolyline(closing);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        page.dots.push_back(at(i).toPoint());
        const double radius = i == 0 ? sketch.dotRadius + 2 : sketch.dotRadius;
        painter.setBrush(i == 0 ? StartColour() : DotColour());
        painter.drawEllipse(QPointF(page.dots.back()) + QPointF(0.5, 0.5), radius, radius);
        DrawLabel(painter, QString::number(i + 1), at(i), away(i), radius + 4, sketch.labelSize);
    }
    return page;
}

}  // namespace vorlane::test
