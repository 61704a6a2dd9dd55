#include "DotPicture.h"

#include "DotPlacer.h"
#include "DotStyle.h"
#include "DotsLines.h"
#include "LabelPlacer.h"
#include "LabelRoom.h"
#include "OutlineMeasures.h"
#include "PageRules.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <iterator>
#include <optional>

namespace vorlane {

namespace {

using namespace PageRules;

// Distances below are in parts of the diagonal of the drawing's extent.
// A stretch without room for more dots that the child would stray from goes
// between the last dot and the first.
// Dots slide along the outline to bring stretches straying more than this
// closer: those the child would stray from, or those near it.
constexpr double kMended = 0.028;
constexpr double kSettled = 0.022;

bool Clockwise(const std::vector<Dot>& dots)
{
    double twiceArea = 0;
    for (std::size_t i = 0; i < dots.size(); ++i) {
        const QPoint a = dots[i].position, b = dots[(i + 1) % dots.size()].position;
        twiceArea += static_cast<double>(a.x()) * b.y() - static_cast<double>(b.x()) * a.y();
    }
    return twiceArea >= 0;
}

QPolygonF Polygon(const std::vector<Dot>& dots)
{
    QPolygonF polygon;
    for (const Dot& dot : dots)
        polygon << QPointF(dot.position) + QPointF(0.5, 0.5);
    return polygon;
}

}  // namespace

std::vector<Dot> PlaceDots(const TracedDrawing& drawing, const DotOptions& options, Placement placement,
                           const std::vector<bool>& skipped)
{
    const std::vector<QPoint>& outline = drawing.Outline();
    if (outline.size() < 3)
        return {};
    const bool letters = options.style == LabelStyle::UpperLetters || options.style == LabelStyle::LowerLetters;
    const std::size_t wanted = static_cast<std::size_t>(
        std::clamp(options.count, kFewestDots, letters ? kMostLetterDots : kMostDots));
    const double worthADot = kWorthADot * Diagonal(drawing.Extent());
    double radius = DotSizeFor(wanted).radius;
    DotMap dots = Spread(DotPlacer(drawing, radius, skipped), wanted, worthADot);
    // An outline too short for the dots asked: the few it holds are a young
    // child's big ones, kept the further apart. Short of that, the spacing asked
    // stands, so that a drawing keeps the dots it holds.
    if (dots.size() <= kFewDots && DotSizeFor(dots.size()).radius > radius) {
        radius = DotSizeFor(dots.size()).radius;
        dots = Spread(DotPlacer(drawing, radius, skipped), dots.size(), worthADot);
    }
    if (dots.empty())
        return {};
    const DotPlacer placer(drawing, radius, skipped);
    if (placement == Placement::Evened)
        Exchange(placer, dots, kNearOutline * Diagonal(drawing.Extent()));
    if (placement != Placement::OneByOne)
        Settle(placer, dots,
               (placement == Placement::Mended ? kMended : placement == Placement::Settled ? kSettled : 0) *
                   Diagonal(drawing.Extent()));

    std::vector<Dot> placed;
    placed.reserve(dots.size());
    for (const auto& dot : dots)
        placed.push_back({outline[dot.first], placer.IsCorner(dot.first)});
    // The child's line does not close: where the dots follow the outline
    // least (the way back along a drawing made of a single line, a part too
    // intricate for the dots asked), that stretch is left between the last
    // dot and the first, drawn for the child.
    DotOptions order = options;
    const auto gap = std::max_element(dots.begin(), dots.end(),
                                      [](const auto& a, const auto& b) { return a.second.deviation < b.second.deviation; });
    if (!options.firstDot && gap->second.deviation > kNearOutline * Diagonal(drawing.Extent())) {
        const auto after = std::next(gap) == dots.end() ? dots.begin() : std::next(gap);
        order.firstDot = outline[options.direction == Direction::Clockwise ? after->first : gap->first];
    }
    return MakeRoomForLabels(drawing, OrderDots(std::move(placed), order), options);
}

std::vector<Dot> OrderDots(std::vector<Dot> dots, const DotOptions& options)
{
    if (dots.size() < 2)
        return dots;
    if (Clockwise(dots) != (options.direction == Direction::Clockwise))
        std::reverse(dots.begin(), dots.end());
    auto first = std::min_element(dots.begin(), dots.end(), [&](const Dot& a, const Dot& b) {
        if (options.firstDot)
            return Distance(a.position, *options.firstDot) < Distance(b.position, *options.firstDot);
        return a.position.y() != b.position.y() ? a.position.y() < b.position.y() : a.position.x() < b.position.x();
    });
    std::rotate(dots.begin(), first, dots.end());
    return dots;
}

QImage DrawDotsPicture(const TracedDrawing& drawing, const std::vector<Dot>& dots, const DotOptions& options)
{
    const QImage lines = DotsLines(drawing, dots);
    if (lines.isNull())
        return {};
    const std::vector<Label> labels = LabelPlacer(drawing, dots, options, lines).Place();
    QImage picture(lines.size(), QImage::Format_RGB32);
    for (int y = 0; y < lines.height(); ++y) {
        const uchar* in = lines.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0, width = lines.width(); x < width; ++x)
            out[x] = in[x] ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    }
    const QPolygonF polygon = Polygon(dots);
    const DotSize size = DotSizeFor(dots.size());
    QPainter painter(&picture);
    // Nothing reads or fills the dots picture: smooth dots and labels read better.
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    for (std::size_t i = 0; i < dots.size(); ++i) {
        const QColor colour = i == 0 ? StartColour() : DotColour();
        const double radius = RadiusOf(i, size);
        painter.setBrush(colour);
        painter.drawEllipse(polygon[static_cast<int>(i)], radius, radius);
        painter.fillPath(labels[i].glyphs, colour);
    }
    return picture;
}

std::vector<QRectF> LabelBoxes(const TracedDrawing& drawing, const std::vector<Dot>& dots, const DotOptions& options)
{
    const QImage lines = DotsLines(drawing, dots);
    if (lines.isNull())
        return {};
    std::vector<QRectF> boxes;
    for (const Label& label : LabelPlacer(drawing, dots, options, lines).Place())
        boxes.push_back(label.box);
    return boxes;
}

QPoint NearestOutlinePoint(const TracedDrawing& drawing, QPoint point)
{
    const std::vector<QPoint>& outline = drawing.Outline();
    if (outline.empty())
        return point;
    // A dot goes on a line of the drawing where the outline has one there.
    const auto nearest = [&](bool onLine) {
        std::optional<QPoint> best;
        for (const QPoint& candidate : outline)
            if ((!onLine || drawing.OnLine(candidate)) &&
                (!best || Nearer(candidate, *best, point)))
                best = candidate;
        return best;
    };
    return nearest(true).value_or(*nearest(false));
}

std::vector<QPoint> PlacesNear(const TracedDrawing& drawing, const std::vector<Dot>& dots, std::size_t i, int most)
{
    const std::vector<QPoint>& outline = drawing.Outline();
    if (i >= dots.size() || outline.empty())
        return {};
    const double radius = DotSizeFor(dots.size()).radius;
    const QPoint was = dots[i].position;
    const auto start = static_cast<std::size_t>(std::distance(
        outline.begin(), std::min_element(outline.begin(), outline.end(), [&](QPoint a, QPoint b) {
            return Nearer(a, b, was);
        })));
    std::vector<QPoint> places;
    constexpr std::size_t kStep = 3;
    for (std::size_t step = kStep; step < outline.size() / 2 && static_cast<int>(places.size()) < most; step += kStep) {
        bool inReach = false;
        for (const std::size_t index : {(start + step) % outline.size(), (start + outline.size() - step) % outline.size()}) {
            const QPoint candidate = outline[index];
            if (Distance(candidate, was) > kDotSpacing * radius / 2)
                continue;
            inReach = true;
            if (drawing.OnLine(candidate) && std::none_of(dots.begin(), dots.end(), [&](const Dot& other) {
                    return &other != &dots[i] && Distance(other.position, candidate) < kDotSpacing * radius;
                }))
                places.push_back(candidate);
        }
        if (!inReach)
            break;
    }
    return places;
}

}  // namespace vorlane
