#include "DotPicture.h"

#include "DotStyle.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>

namespace vorlane {

namespace {

constexpr double kDotRadius = 6;
constexpr double kFirstDotRadius = kDotRadius + 2;
constexpr double kLabelSize = 18;
// No two dots closer than three dot radii: each stays a target of its own.
constexpr double kSpacing = 3 * kDotRadius;
// Outline further than this from the child's lines stays drawn on the dots
// picture (a tail, whiskers), in parts of the picture's diagonal.
constexpr double kLeftOut = 0.02;
// A stretch without room for more dots that they stray from by more than
// this, in parts of the diagonal, goes between the last dot and the first.
constexpr double kUnfollowable = 0.03;
// Deviations above this, in parts of the diagonal, are worth a dot of their own.
constexpr double kWorthADot = 0.008;

double Diagonal(QSize size)
{
    return std::hypot(size.width(), size.height());
}

double Distance(QPoint a, QPoint b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// Distance from p to the segment a–b.
double SegmentDistance(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double length = QPointF::dotProduct(ab, ab);
    const double t = length > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length, 0.0, 1.0) : 0.0;
    const QPointF closest = a + t * ab;
    return std::hypot(p.x() - closest.x(), p.y() - closest.y());
}

// A stretch of the outline between two dots.
struct Stretch {
    double deviation = 0;   // how far the outline strays from the straight line between the dots
    std::size_t farthest = 0;
    bool exhausted = false;  // no room for another dot
};

class Placer {
public:
    explicit Placer(const TracedDrawing& drawing) : m_drawing(drawing), m_outline(drawing.Outline()) {}

    std::size_t Count() const { return m_outline.size(); }
    std::size_t Length(std::size_t from, std::size_t to) const { return (to + Count() - from) % Count(); }
    std::size_t At(std::size_t from, std::size_t step) const { return (from + step) % Count(); }

    // How far the straight line between two dots and the outline between
    // them stray from each other both ways; where the outline strays most.
    Stretch Measure(std::size_t from, std::size_t to) const
    {
        Stretch stretch;
        const QPointF a(m_outline[from]), b(m_outline[to]);
        for (std::size_t step = 1; step < Length(from, to); ++step) {
            const std::size_t i = At(from, step);
            const double deviation = SegmentDistance(QPointF(m_outline[i]), a, b);
            if (deviation > stretch.deviation) {
                stretch.deviation = deviation;
                stretch.farthest = i;
            }
        }
        const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
        for (double t = 0; t < 1; t += 2 / std::max(2.0, length)) {
            const QPointF on = a + t * (b - a);
            stretch.deviation = std::max<double>(stretch.deviation, m_drawing.OutlineDistance(on.toPoint()));
        }
        return stretch;
    }

    bool HasRoom(std::size_t candidate, const std::map<std::size_t, Stretch>& dots) const
    {
        return std::all_of(dots.begin(), dots.end(), [&](const auto& dot) {
            return Distance(m_outline[dot.first], m_outline[candidate]) >= kSpacing;
        });
    }

    // The point of the stretch nearest `wanted` (by steps) that keeps its distance from every dot.
    std::optional<std::size_t> RoomNear(std::size_t from, std::size_t to, std::size_t wanted,
                                        const std::map<std::size_t, Stretch>& dots) const
    {
        const std::size_t length = Length(from, to);
        const std::size_t offset = Length(from, wanted);
        for (std::size_t shift = 0; shift < length; ++shift)
            for (const long sign : {1L, -1L}) {
                const long step = static_cast<long>(offset) + sign * static_cast<long>(shift);
                if (step <= 0 || step >= static_cast<long>(length))
                    continue;
                const std::size_t candidate = At(from, static_cast<std::size_t>(step));
                if (HasRoom(candidate, dots))
                    return candidate;
            }
        return std::nullopt;
    }

    bool IsCorner(std::size_t i) const
    {
        constexpr std::size_t kReach = 6;
        if (Count() < 4 * kReach)
            return false;
        const QPointF before = QPointF(m_outline[i] - m_outline[At(i, Count() - kReach)]);
        const QPointF after = QPointF(m_outline[At(i, kReach)] - m_outline[i]);
        const double turn = std::abs(std::atan2(before.x() * after.y() - before.y() * after.x(),
                                                QPointF::dotProduct(before, after)));
        return turn > std::numbers::pi / 3.5;
    }

private:
    const TracedDrawing& m_drawing;
    const std::vector<QPoint>& m_outline;
};

bool Clockwise(const std::vector<Dot>& dots)
{
    double twiceArea = 0;
    for (std::size_t i = 0; i < dots.size(); ++i) {
        const QPoint a = dots[i].position, b = dots[(i + 1) % dots.size()].position;
        twiceArea += static_cast<double>(a.x()) * b.y() - static_cast<double>(b.x()) * a.y();
    }
    return twiceArea >= 0;
}

// Sums of a mask over rectangles, in constant time each.
class AreaSums {
public:
    explicit AreaSums(const QImage& mask)
        : m_width(mask.width() + 1), m_sums(static_cast<std::size_t>(m_width) * (mask.height() + 1), 0)
    {
        for (int y = 0; y < mask.height(); ++y) {
            const uchar* line = mask.constScanLine(y);
            int row = 0;
            for (int x = 0; x < mask.width(); ++x) {
                row += line[x] ? 1 : 0;
                m_sums[Index(x + 1, y + 1)] = m_sums[Index(x + 1, y)] + row;
            }
        }
    }
    // The pixels set in `box`, which must lie inside the mask.
    int Sum(const QRect& box) const
    {
        const int x0 = box.left(), y0 = box.top(), x1 = box.right() + 1, y1 = box.bottom() + 1;
        return m_sums[Index(x1, y1)] - m_sums[Index(x0, y1)] - m_sums[Index(x1, y0)] + m_sums[Index(x0, y0)];
    }

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * m_width + x; }
    int m_width;
    std::vector<int> m_sums;
};

QPolygonF Polygon(const std::vector<Dot>& dots)
{
    QPolygonF polygon;
    for (const Dot& dot : dots)
        polygon << QPointF(dot.position) + QPointF(0.5, 0.5);
    return polygon;
}

struct Label {
    QString text;
    QRectF box;  // where its ink goes
    QPainterPath glyphs;
};

// Each label beside its dot, outside the outline where there is room, never
// over a line, a dot or another label, always inside the picture.
std::vector<Label> PlaceLabels(const std::vector<Dot>& dots, const DotOptions& options, const QImage& obstacles)
{
    const AreaSums taken(obstacles);
    const QRect inside = obstacles.rect().adjusted(2, 2, -2, -2);
    const QPolygonF polygon = Polygon(dots);
    const double outwardSign = Clockwise(dots) ? 1 : -1;
    const QFont font = LabelFont(kLabelSize);
    constexpr int kDirections = 32;

    std::vector<Label> labels;
    for (std::size_t i = 0; i < dots.size(); ++i) {
        Label label;
        label.text = DotLabel(options, static_cast<int>(i));
        label.glyphs.addText(0, 0, font, label.text);
        const QRectF ink = label.glyphs.boundingRect();
        const QPointF at = QPointF(dots[i].position) + QPointF(0.5, 0.5);
        const QPointF tangent = QPointF(dots[(i + 1) % dots.size()].position - dots[(i + dots.size() - 1) % dots.size()].position);
        QPointF outward(tangent.y() * outwardSign, -tangent.x() * outwardSign);
        if (const double length = std::hypot(outward.x(), outward.y()); length > 0)
            outward /= length;
        const double gap = (i == 0 ? kFirstDotRadius : kDotRadius) + 3;

        double bestScore = -1e9;
        QRectF bestBox;
        int bestCovered = std::numeric_limits<int>::max();
        for (const double ring : {0.0, 5.0, 11.0, 18.0, 26.0, 36.0, 48.0}) {
            for (int d = 0; d < kDirections; ++d) {
                const double angle = 2 * std::numbers::pi * d / kDirections;
                const QPointF dir(std::cos(angle), std::sin(angle));
                const double reach =
                    std::min(std::abs(dir.x()) > 1e-9 ? ink.width() / 2 / std::abs(dir.x()) : 1e9,
                             std::abs(dir.y()) > 1e-9 ? ink.height() / 2 / std::abs(dir.y()) : 1e9);
                QRectF box(0, 0, ink.width(), ink.height());
                box.moveCenter(at + dir * (gap + reach + ring));
                const QRect pixels = box.adjusted(-1, -1, 1, 1).toAlignedRect();
                if (!inside.contains(pixels))
                    continue;
                if (std::any_of(labels.begin(), labels.end(),
                                [&](const Label& other) { return other.box.adjusted(-2, -2, 2, 2).intersects(box); }))
                    continue;
                const int covered = taken.Sum(pixels);
                const bool outside = !polygon.containsPoint(box.center(), Qt::OddEvenFill);
                const double score = QPointF::dotProduct(dir, outward) + (outside ? 1.5 : 0);
                if (covered < bestCovered || (covered == bestCovered && score > bestScore)) {
                    bestCovered = covered;
                    bestScore = score;
                    bestBox = box;
                }
            }
            if (bestCovered == 0)
                break;
        }
        if (bestBox.isNull()) {  // a crowded corner: at least inside the picture
            bestBox = QRectF(0, 0, ink.width(), ink.height());
            bestBox.moveCenter(at);
            bestBox.moveLeft(std::clamp(bestBox.left(), 2.0, obstacles.width() - 3 - bestBox.width()));
            bestBox.moveTop(std::clamp(bestBox.top(), 2.0, obstacles.height() - 3 - bestBox.height()));
        }
        label.glyphs.translate(bestBox.center() - ink.center());
        label.box = bestBox;
        labels.push_back(std::move(label));
    }
    return labels;
}

}  // namespace

namespace {
constexpr std::pair<LabelStyle, const char*> kStyleNames[] = {
    {LabelStyle::Numbers, "1"}, {LabelStyle::UpperLetters, "A"}, {LabelStyle::LowerLetters, "a"},
    {LabelStyle::ByTwo, "2"},   {LabelStyle::ByFive, "5"},       {LabelStyle::ByTen, "10"},
};
}  // namespace

QString LabelStyleName(LabelStyle style)
{
    for (const auto& [value, name] : kStyleNames)
        if (value == style)
            return QLatin1String(name);
    return QStringLiteral("1");
}

std::optional<LabelStyle> LabelStyleNamed(const QString& name)
{
    for (const auto& [value, text] : kStyleNames)
        if (name == QLatin1String(text))
            return value;
    return std::nullopt;
}

QString DotLabel(const DotOptions& options, int index)
{
    switch (options.style) {
    case LabelStyle::UpperLetters:
        return QString(QChar(u'A' + index % kMostLetterDots));
    case LabelStyle::LowerLetters:
        return QString(QChar(u'a' + index % kMostLetterDots));
    case LabelStyle::ByTwo:
        return QString::number(options.firstNumber + 2 * index);
    case LabelStyle::ByFive:
        return QString::number(options.firstNumber + 5 * index);
    case LabelStyle::ByTen:
        return QString::number(options.firstNumber + 10 * index);
    case LabelStyle::Numbers:
        break;
    }
    return QString::number(options.firstNumber + index);
}

std::vector<Dot> PlaceDots(const TracedDrawing& drawing, const DotOptions& options)
{
    const std::vector<QPoint>& outline = drawing.Outline();
    if (outline.size() < 3)
        return {};
    const bool letters = options.style == LabelStyle::UpperLetters || options.style == LabelStyle::LowerLetters;
    const std::size_t wanted = static_cast<std::size_t>(
        std::clamp(options.count, kFewestDots, letters ? kMostLetterDots : kMostDots));
    const Placer placer(drawing);
    const double worthADot = kWorthADot * Diagonal(drawing.PictureSize());

    // Start from the top and the point furthest from it; then, while the
    // polygon strays from the outline, a dot where it strays most (corners
    // first); then dots in the middle of the longest stretches.
    const auto top = static_cast<std::size_t>(std::distance(
        outline.begin(), std::min_element(outline.begin(), outline.end(), [](QPoint a, QPoint b) {
            return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
        })));
    std::size_t far = top;
    for (std::size_t i = 0; i < outline.size(); ++i)
        if (Distance(outline[i], outline[top]) > Distance(outline[far], outline[top]))
            far = i;
    std::map<std::size_t, Stretch> dots;  // outline index -> the stretch to the next dot
    dots[top] = {};
    if (far != top)
        dots[far] = {};
    const auto next = [&](std::size_t at) {
        auto found = dots.upper_bound(at);
        return found == dots.end() ? dots.begin()->first : found->first;
    };
    const auto measure = [&](std::size_t at) {
        Stretch& stretch = dots[at];
        const bool exhausted = stretch.exhausted;
        stretch = placer.Measure(at, next(at));
        stretch.exhausted = exhausted;
    };
    for (auto& dot : dots)
        dot.second = placer.Measure(dot.first, next(dot.first));

    while (dots.size() < wanted) {
        auto worst = dots.end();
        auto longest = dots.end();
        for (auto it = dots.begin(); it != dots.end(); ++it) {
            if (it->second.exhausted)
                continue;
            if (worst == dots.end() || it->second.deviation > worst->second.deviation)
                worst = it;
            if (longest == dots.end() || placer.Length(it->first, next(it->first)) >
                                             placer.Length(longest->first, next(longest->first)))
                longest = it;
        }
        if (worst == dots.end())
            break;
        const bool straying = worst->second.deviation > worthADot;
        const auto stretch = straying ? worst : longest;
        const std::size_t from = stretch->first, to = next(from);
        // A dot where the outline strays most, unless that helps neither
        // side; else in the middle of the stretch.
        std::optional<std::size_t> added;
        if (straying) {
            added = placer.RoomNear(from, to, stretch->second.farthest, dots);
            if (added && placer.Measure(from, *added).deviation >= stretch->second.deviation &&
                placer.Measure(*added, to).deviation >= stretch->second.deviation)
                added.reset();
        }
        if (!added)
            added = placer.RoomNear(from, to, placer.At(from, placer.Length(from, to) / 2), dots);
        if (!added) {
            stretch->second.exhausted = true;
            continue;
        }
        dots[*added] = {};
        measure(from);
        measure(*added);
    }

    std::vector<Dot> placed;
    placed.reserve(dots.size());
    for (const auto& dot : dots)
        placed.push_back({outline[dot.first], placer.IsCorner(dot.first)});
    // The child's line does not close: where the dots have no room to follow
    // the outline (the way back along a drawing made of a single line), that
    // stretch is left between the last dot and the first, drawn for the child.
    DotOptions order = options;
    const auto gap = std::max_element(dots.begin(), dots.end(),
                                      [](const auto& a, const auto& b) { return a.second.deviation < b.second.deviation; });
    if (!options.firstDot && gap->second.exhausted &&
        gap->second.deviation > kUnfollowable * Diagonal(drawing.PictureSize()))
        order.firstDot = outline[options.direction == Direction::Clockwise ? next(gap->first) : gap->first];
    return OrderDots(std::move(placed), order);
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

namespace {

struct DotsLayout {
    QImage lines;  // the inner lines and the outline the dots leave out
    std::vector<Label> labels;
};

DotsLayout Layout(const TracedDrawing& drawing, const std::vector<Dot>& dots, const DotOptions& options)
{
    DotsLayout layout;
    QImage& picture = layout.lines;
    picture = drawing.InnerLines().convertToFormat(QImage::Format_RGB32);
    if (picture.isNull())
        return layout;
    const QPolygonF polygon = Polygon(dots);

    // Where the child's line will pass: the outline near it is left to the child.
    QImage near(picture.size(), QImage::Format_Grayscale8);
    near.fill(0);
    {
        QPainter painter(&near);
        const double reach = 2 * kLeftOut * Diagonal(picture.size());
        painter.setPen(QPen(Qt::white, reach, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(polygon);
    }
    const QImage& band = drawing.OutlineBand();
    for (int y = 0; y < picture.height(); ++y) {
        const uchar* onBand = band.constScanLine(y);
        const uchar* covered = near.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if (onBand[x] && !covered[x])
                out[x] = qRgb(0, 0, 0);
    }

    // What a label must not cover: the lines drawn, the child's lines, the dots.
    QImage obstacles(picture.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < picture.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        uchar* out = obstacles.scanLine(y);
        for (int x = 0; x < picture.width(); ++x)
            out[x] = qGray(in[x]) < 128 ? 255 : 0;
    }
    {
        QPainter painter(&obstacles);
        painter.setPen(QPen(Qt::white, options.lineWidth + 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(polygon);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        for (std::size_t i = 0; i < dots.size(); ++i) {
            const double radius = (i == 0 ? kFirstDotRadius : kDotRadius) + 1;
            painter.drawEllipse(polygon[static_cast<int>(i)], radius, radius);
        }
    }
    layout.labels = PlaceLabels(dots, options, obstacles);
    return layout;
}

}  // namespace

QImage DrawDotsPicture(const TracedDrawing& drawing, const std::vector<Dot>& dots, const DotOptions& options)
{
    DotsLayout layout = Layout(drawing, dots, options);
    QImage& picture = layout.lines;
    if (picture.isNull())
        return picture;
    const QPolygonF polygon = Polygon(dots);
    const std::vector<Label>& labels = layout.labels;
    QPainter painter(&picture);
    // Nothing reads or fills the dots picture: smooth dots and labels read better.
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    for (std::size_t i = 0; i < dots.size(); ++i) {
        const QColor colour = i == 0 ? StartColour() : DotColour();
        const double radius = i == 0 ? kFirstDotRadius : kDotRadius;
        painter.setBrush(colour);
        painter.drawEllipse(polygon[static_cast<int>(i)], radius, radius);
        painter.fillPath(labels[i].glyphs, colour);
    }
    return picture;
}

std::vector<QRectF> LabelBoxes(const TracedDrawing& drawing, const std::vector<Dot>& dots, const DotOptions& options)
{
    std::vector<QRectF> boxes;
    for (const Label& label : Layout(drawing, dots, options).labels)
        boxes.push_back(label.box);
    return boxes;
}

QPoint NearestOutlinePoint(const TracedDrawing& drawing, QPoint point)
{
    const std::vector<QPoint>& outline = drawing.Outline();
    if (outline.empty())
        return point;
    return *std::min_element(outline.begin(), outline.end(),
                             [&](QPoint a, QPoint b) { return Distance(a, point) < Distance(b, point); });
}

}  // namespace vorlane
