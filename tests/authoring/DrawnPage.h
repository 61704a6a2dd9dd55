#pragma once

// A page drawn here for the picture judge, good unless a test spoils it: a
// ring outline with its dots on it, each label outside beside its dot, and the
// stretch from the last dot back to the first drawn on the dots page.

#include "DotStyle.h"
#include "PictureJudge.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace vorlane::test {

struct PageSketch {
    int count = 16;
    double dotRadius = 6;
    double labelSize = 18;
    bool closingDrawn = true;  // else left to the child, who never draws it
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
        painter.drawEllipse(kRingCentre, kRingRadius, kRingRadius);
    }
    page.dotsPicture = QImage(page.finishedPicture.size(), QImage::Format_RGB32);
    page.dotsPicture.fill(Qt::white);
    QPainter painter(&page.dotsPicture);
    painter.setPen(QPen(Qt::black, 4));
    QPolygonF closing;
    for (double t = (sketch.count - 1.0) / sketch.count; t <= 1.0001; t += 0.002)
        closing << OnRing(t);
    if (sketch.closingDrawn)
        painter.drawPolyline(closing);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < sketch.count; ++i) {
        const QPointF at = OnRing(static_cast<double>(i) / sketch.count);
        page.dots.push_back(at.toPoint());
        const double radius = i == 0 ? sketch.dotRadius + 2 : sketch.dotRadius;
        painter.setBrush(i == 0 ? StartColour() : DotColour());
        painter.drawEllipse(QPointF(page.dots.back()) + QPointF(0.5, 0.5), radius, radius);
        const QPointF away = (at - kRingCentre) / kRingRadius;
        DrawLabel(painter, QString::number(i + 1), at, away, radius + 4, sketch.labelSize);
    }
    return page;
}

}  // namespace vorlane::test
