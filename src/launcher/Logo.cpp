#include "launcher/Logo.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <array>
#include <cmath>
#include <numbers>

namespace vorlane {

namespace {

// The ten corners of a five-pointed star, first at the top, clockwise.
QPolygonF StarCorners(QPointF centre, double outerRadius)
{
    QPolygonF corners;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? outerRadius : outerRadius * 0.45;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        corners << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    }
    return corners;
}

// The star as a child sees it half done: coloured, its first dots joined by a
// pencil line, the rest still waiting as numbered dots.
void DrawStar(QPainter& painter, QPointF centre, double radius, bool numbered)
{
    const QPolygonF corners = StarCorners(centre, radius);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xFF, 0xD2, 0x3C));
    painter.drawPolygon(corners);

    const double lineWidth = std::max(1.0, radius / 12);
    constexpr int kJoined = 7;
    painter.setPen(QPen(QColor(0x1E, 0x4E, 0xC8), lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(corners.data(), kJoined);
    painter.setPen(QPen(QColor(0x90, 0x90, 0x90), lineWidth / 2, Qt::DotLine));
    for (int i = kJoined - 1; i < corners.size(); ++i)
        painter.drawLine(corners[i], corners[(i + 1) % corners.size()]);

    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const double dot = std::max(1.0, radius / 14);
    for (const QPointF& corner : corners)
        painter.drawEllipse(corner, dot, dot);

    if (!numbered)
        return;
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(7);
    painter.setFont(font);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    for (int i = 0; i < corners.size(); ++i) {
        const QPointF outward = corners[i] - centre;
        const double length = std::hypot(outward.x(), outward.y());
        const QPointF at = corners[i] + outward / length * 6;
        painter.drawText(QRectF(at.x() - 6, at.y() - 5, 12, 10), Qt::AlignCenter, QString::number(i + 1));
    }
}

void DrawCrayon(QPainter& painter, double left, double bottom, double height, const QColor& colour)
{
    constexpr double kWidth = 13;
    constexpr double kTip = 10;
    const double top = bottom - height;
    QPainterPath tip;
    tip.moveTo(left, top + kTip);
    tip.lineTo(left + kWidth / 2, top);
    tip.lineTo(left + kWidth, top + kTip);
    tip.closeSubpath();
    painter.setPen(QPen(colour.darker(140), 1));
    painter.setBrush(QColor(0xF2, 0xD7, 0xA6));  // bare wood
    painter.drawPath(tip);
    painter.setBrush(colour);
    painter.drawPolygon(QPolygonF({QPointF(left + kWidth * 0.3, top + kTip * 0.3), QPointF(left + kWidth / 2, top),
                                   QPointF(left + kWidth * 0.7, top + kTip * 0.3)}));
    painter.drawRoundedRect(QRectF(left, top + kTip, kWidth, height - kTip), 2, 2);
    painter.setPen(QPen(colour.lighter(150), 1));
    painter.drawLine(QPointF(left + 3, top + kTip + 3), QPointF(left + 3, bottom - 3));
}

}  // namespace

QPixmap LogoPicture()
{
    QPixmap picture(180, 60);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawStar(painter, QPointF(34, 32), 22, true);

    const std::array<QColor, 6> colours = {QColor(0xE5, 0x39, 0x35), QColor(0xFB, 0x8C, 0x00), QColor(0xFD, 0xD8, 0x35),
                                           QColor(0x43, 0xA0, 0x47), QColor(0x1E, 0x88, 0xE5), QColor(0x8E, 0x24, 0xAA)};
    const std::array<double, 6> heights = {44, 52, 40, 48, 54, 42};
    for (std::size_t i = 0; i < colours.size(); ++i)
        DrawCrayon(painter, 76 + i * 16.5, 58, heights[i], colours[i]);
    return picture;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap picture(size, size);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        DrawStar(painter, QPointF(size / 2.0, size * 0.53), size * 0.47, false);
        painter.end();
        icon.addPixmap(picture);
    }
    return icon;
}

}  // namespace vorlane
