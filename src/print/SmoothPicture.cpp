#include "print/SmoothPicture.h"

#include "print/DistanceField.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <unordered_map>

namespace vorlane {
namespace {

// A colour is flat (a colour of the drawing, not the blend of two colours
// that anti-aliasing leaves along an edge) when it fills an area, or when it
// is common and lies between no two flat colours.
constexpr int kFewestPixels = 12;
constexpr int kFewestInnerPixels = 24;  // pixels whose four neighbours share their colour
constexpr double kBlendDistance = 14;   // in RGB levels, from the line between two flat colours
constexpr std::size_t kMostFlatColours = 48;
// A picture of more pixels than this is as fine as a printed page already.
constexpr qsizetype kMostPixels = 2048 * 2048;
// Colours darker than this are outlines, dots and numbers: drawn as smooth shapes.
constexpr int kDarkGrey = 128;

// Outlines are smoothed over a Gaussian window of this many pixels on each
// side, with points this far apart, each point held within half a pixel.
constexpr double kAlongSigma = 3.0;
constexpr double kSpacing = 0.5;
constexpr int kPasses = 16;
// How far a point may move: the outline of a drawing of pure colours passed
// anywhere between two pixels' centres; an anti-aliased edge says more closely where.
constexpr double kPixelSlack = 0.5;
constexpr double kBlendSlack = 0.15;
constexpr double kFinalSigma = 0.75;
// How far the polygon drawn may stray from the smooth outline: 0.015 mm on a page.
constexpr double kTolerance = 0.04;
// An outline turning by more than kCornerDegrees over kCornerReach pixels on
// each side is a corner, held to kCornerSlack of its slack; less than
// kBendDegrees, a bend free to be smoothed.
constexpr double kCornerReach = 2.5;
constexpr double kBendDegrees = 60;
constexpr double kCornerDegrees = 100;
constexpr double kCornerSlack = 0.2;
// How far a shape spreads under the darker ones drawn over it, and the room
// around it within which that is worked out (twice as far and more).
constexpr double kSpread = 3;
constexpr int kSpreadWindow = 8;
// Room around a shape for closing its outline.
constexpr int kMargin = 2;

double Distance(QRgb a, QRgb b)
{
    const double r = qRed(a) - qRed(b);
    const double g = qGreen(a) - qGreen(b);
    const double bl = qBlue(a) - qBlue(b);
    return std::sqrt(r * r + g * g + bl * bl);
}

double DistanceToLine(QRgb colour, QRgb a, QRgb b)
{
    const std::array<double, 3> c{double(qRed(colour)), double(qGreen(colour)), double(qBlue(colour))};
    const std::array<double, 3> p{double(qRed(a)), double(qGreen(a)), double(qBlue(a))};
    const std::array<double, 3> q{double(qRed(b)), double(qGreen(b)), double(qBlue(b))};
    double along = 0;
    double length = 0;
    for (int i = 0; i < 3; ++i) {
        along += (c[i] - p[i]) * (q[i] - p[i]);
        length += (q[i] - p[i]) * (q[i] - p[i]);
    }
    const double t = length > 0 ? std::clamp(along / length, 0.0, 1.0) : 0.0;
    double squared = 0;
    for (int i = 0; i < 3; ++i) {
        const double d = c[i] - (p[i] + t * (q[i] - p[i]));
        squared += d * d;
    }
    return std::sqrt(squared);
}

// How much of `to` a blend of `from` and `to` holds, from 0 to 1.
double Share(QRgb blend, QRgb from, QRgb to)
{
    const double r = qRed(to) - qRed(from);
    const double g = qGreen(to) - qGreen(from);
    const double b = qBlue(to) - qBlue(from);
    const double length = r * r + g * g + b * b;
    if (length == 0)
        return 1;
    const double along = (qRed(blend) - qRed(from)) * r + (qGreen(blend) - qGreen(from)) * g +
                         (qBlue(blend) - qBlue(from)) * b;
    return std::clamp(along / length, 0.0, 1.0);
}

struct ColourCount {
    QRgb colour = 0;
    int pixels = 0;
    int inner = 0;
};

// The picture's flat colours, most common first; empty when it has too many
// to be a drawing of flat colours.
std::vector<QRgb> FlatColours(const QImage& image)
{
    std::unordered_map<QRgb, ColourCount> counts;
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const auto* above = reinterpret_cast<const QRgb*>(image.constScanLine(std::max(y - 1, 0)));
        const auto* below = reinterpret_cast<const QRgb*>(image.constScanLine(std::min(y + 1, height - 1)));
        ColourCount* count = nullptr;
        for (int x = 0; x < width; ++x) {
            // Drawings come in runs of one colour: the table is looked up once a run.
            if (count == nullptr || count->colour != row[x]) {
                count = &counts[row[x]];
                count->colour = row[x];
            }
            ++count->pixels;
            if (row[std::max(x - 1, 0)] == row[x] && row[std::min(x + 1, width - 1)] == row[x] && above[x] == row[x] &&
                below[x] == row[x])
                ++count->inner;
        }
        if (counts.size() > 4096)
            return {};
    }
    std::vector<ColourCount> sorted;
    sorted.reserve(counts.size());
    for (const auto& [colour, count] : counts)
        sorted.push_back(count);
    std::sort(sorted.begin(), sorted.end(), [](const ColourCount& a, const ColourCount& b) {
        return a.pixels != b.pixels ? a.pixels > b.pixels : a.colour < b.colour;
    });

    std::vector<QRgb> flat;
    for (const ColourCount& count : sorted) {
        if (count.pixels < kFewestPixels)
            break;
        bool blend = false;
        for (std::size_t i = 0; i < flat.size() && !blend; ++i) {
            for (std::size_t j = i; j < flat.size() && !blend; ++j)
                blend = DistanceToLine(count.colour, flat[i], flat[j]) < kBlendDistance;
        }
        if (blend && count.inner < kFewestInnerPixels)
            continue;
        flat.push_back(count.colour);
        if (flat.size() > kMostFlatColours)
            return {};
    }
    return flat;
}

// A point of an outline, between a pixel inside and a pixel outside, and how
// far smoothing may move it: the outline of the drawing passed within that
// distance of it.
struct OutlinePoint {
    QPointF at;
    double slack = 0;
};

// Where the outline crosses from the pixel (x0, y0) inside to its neighbour
// (x1, y1) outside: 0 at the first's centre, 1 at the second's; and its slack.
using EdgeFinder = std::function<OutlinePoint(int x0, int y0, int x1, int y1)>;

// The flat colour a pixel belongs to: its own, or for the blend of two flat
// colours along an edge, the one it holds more of. A blend is told by the
// two colours it lies between, not by the colour nearest to it: halfway
// between black and white lies nearer to green than to either.
std::uint8_t NearestFlatColour(QRgb colour, const std::vector<QRgb>& flat)
{
    std::size_t best = 0;
    double bestDistance = Distance(colour, flat[0]);
    for (std::size_t i = 1; i < flat.size(); ++i) {
        const double distance = Distance(colour, flat[i]);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    for (std::size_t i = 0; i < flat.size(); ++i) {
        for (std::size_t j = i + 1; j < flat.size(); ++j) {
            const double distance = DistanceToLine(colour, flat[i], flat[j]);
            if (distance < bestDistance) {
                best = Share(colour, flat[i], flat[j]) >= 0.5 ? j : i;
                bestDistance = distance;
            }
        }
    }
    return static_cast<std::uint8_t>(best);
}

// The outline between the pixels of a mask and the others, as closed
// polygons crossing between neighbouring pixels, each turning the same way
// round its inside. Two pixels of the mask that touch only by a corner are
// joined, so that a thin slanting stroke stays in one piece.
std::vector<std::vector<OutlinePoint>> TraceOutlines(const Grid<std::uint8_t>& mask, const EdgeFinder& edge)
{
    const int width = mask.width;
    const int height = mask.height;
    // A crossing lies between two neighbouring pixels: 2 (y × width + x) for
    // the pair (x, y)-(x + 1, y), + 1 for the pair (x, y)-(x, y + 1).
    std::vector<std::int32_t> next(2 * static_cast<std::size_t>(width) * height, -1);
    const auto inside = [&mask](int x, int y) { return mask.at(x, y) != 0; };
    for (int y = 0; y + 1 < height; ++y) {
        for (int x = 0; x + 1 < width; ++x) {
            const int corners = (inside(x, y) ? 1 : 0) | (inside(x + 1, y) ? 2 : 0) | (inside(x + 1, y + 1) ? 4 : 0) |
                                (inside(x, y + 1) ? 8 : 0);
            const std::int32_t top = 2 * (y * width + x);
            const std::int32_t bottom = 2 * ((y + 1) * width + x);
            const std::int32_t left = 2 * (y * width + x) + 1;
            const std::int32_t right = 2 * (y * width + x + 1) + 1;
            // Each step leaves the inside on its left (y down).
            const auto link = [&next](std::int32_t from, std::int32_t to) { next[static_cast<std::size_t>(from)] = to; };
            switch (corners) {
            case 1: link(left, top); break;
            case 2: link(top, right); break;
            case 3: link(left, right); break;
            case 4: link(right, bottom); break;
            case 5: link(left, bottom); link(right, top); break;  // corner to corner: joined
            case 6: link(top, bottom); break;
            case 7: link(left, bottom); break;
            case 8: link(bottom, left); break;
            case 9: link(bottom, top); break;
            case 10: link(top, left); link(bottom, right); break;  // corner to corner: joined
            case 11: link(bottom, right); break;
            case 12: link(right, left); break;
            case 13: link(right, top); break;
            case 14: link(top, left); break;
            default: break;  // all inside or all outside
            }
        }
    }

    const auto crossing = [&](std::int32_t id) {
        const int cell = id / 2;
        int x0 = cell % width;
        int y0 = cell / width;
        int x1 = (id & 1) == 0 ? x0 + 1 : x0;
        int y1 = (id & 1) == 0 ? y0 : y0 + 1;
        if (!inside(x0, y0)) {
            std::swap(x0, x1);
            std::swap(y0, y1);
        }
        OutlinePoint point = edge(x0, y0, x1, y1);
        point.at = QPointF(x0 + point.at.x() * (x1 - x0), y0 + point.at.x() * (y1 - y0));
        return point;
    };
    std::vector<std::vector<OutlinePoint>> outlines;
    for (std::size_t start = 0; start < next.size(); ++start) {
        if (next[start] < 0)
            continue;
        std::vector<OutlinePoint> outline;
        for (auto id = static_cast<std::int32_t>(start); id >= 0;) {
            outline.push_back(crossing(id));
            const std::int32_t following = next[static_cast<std::size_t>(id)];
            next[static_cast<std::size_t>(id)] = -1;
            id = following;
        }
        outlines.push_back(std::move(outline));
    }
    return outlines;
}

// Points every `spacing` along a closed polygon, with their slack.
std::vector<OutlinePoint> Resample(const std::vector<OutlinePoint>& polygon, double spacing)
{
    std::vector<OutlinePoint> points;
    double untilNext = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const OutlinePoint& from = polygon[i];
        const OutlinePoint& to = polygon[(i + 1) % polygon.size()];
        const double length = std::hypot(to.at.x() - from.at.x(), to.at.y() - from.at.y());
        // Counted in steps, not summed, so that no rounding drifts along a long outline.
        int steps = 0;
        for (; untilNext + steps * spacing < length; ++steps) {
            const double t = (untilNext + steps * spacing) / length;
            points.push_back({from.at + (to.at - from.at) * t, from.slack + (to.slack - from.slack) * t});
        }
        untilNext += steps * spacing - length;
    }
    return points;
}

std::vector<double> GaussianKernel(double sigma)
{
    const auto radius = static_cast<std::ptrdiff_t>(std::ceil(3 * sigma));
    std::vector<double> kernel(static_cast<std::size_t>(2 * radius + 1));
    double total = 0;
    for (std::ptrdiff_t k = -radius; k <= radius; ++k) {
        const double weight = std::exp(-static_cast<double>(k * k) / (2 * sigma * sigma));
        kernel[static_cast<std::size_t>(k + radius)] = weight;
        total += weight;
    }
    for (double& weight : kernel)
        weight /= total;
    return kernel;
}

// Gaussian average of a closed sequence of points with its neighbours along it.
std::vector<QPointF> Blur(const std::vector<QPointF>& points, const std::vector<double>& kernel)
{
    const std::size_t count = points.size();
    const std::size_t radius = kernel.size() / 2;
    // The sequence with its ends wrapped round, so that the sum runs straight.
    std::vector<QPointF> wrapped(count + 2 * radius);
    for (std::size_t i = 0; i < wrapped.size(); ++i)
        wrapped[i] = points[(i + count * (radius / count + 1) - radius) % count];
    std::vector<QPointF> blurred(count);
    for (std::size_t i = 0; i < count; ++i) {
        double x = 0;
        double y = 0;
        for (std::size_t k = 0; k < kernel.size(); ++k) {
            x += kernel[k] * wrapped[i + k].x();
            y += kernel[k] * wrapped[i + k].y();
        }
        blurred[i] = QPointF(x, y);
    }
    return blurred;
}

// A corner of the drawing (the tip of a roof, the foot of a 1) turns sharply
// over a few pixels, where the steps of a slanting edge turn one way then
// back: a corner's points are held where they are, so it stays sharp.
void HoldCorners(std::vector<OutlinePoint>& points)
{
    const auto count = static_cast<std::ptrdiff_t>(points.size());
    const auto reach = static_cast<std::ptrdiff_t>(std::lround(kCornerReach / kSpacing));
    if (count < 4 * reach)
        return;
    const auto at = [&](std::ptrdiff_t i) { return points[static_cast<std::size_t>((i % count + count) % count)].at; };
    std::vector<double> turns(points.size());
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        const QPointF before = at(i) - at(i - reach);
        const QPointF after = at(i + reach) - at(i);
        const double cross = before.x() * after.y() - before.y() * after.x();
        const double dot = before.x() * after.x() + before.y() * after.y();
        turns[static_cast<std::size_t>(i)] = std::abs(std::atan2(cross, dot)) * 180 / std::numbers::pi;
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double sharpness = std::clamp((turns[i] - kBendDegrees) / (kCornerDegrees - kBendDegrees), 0.0, 1.0);
        points[i].slack *= 1 - sharpness * (1 - kCornerSlack);
    }
}

// Brings each point back within its slack of where it started.
void Hold(std::vector<QPointF>& points, const std::vector<OutlinePoint>& start)
{
    for (std::size_t i = 0; i < points.size(); ++i) {
        const QPointF moved = points[i] - start[i].at;
        const double squared = QPointF::dotProduct(moved, moved);
        if (squared > start[i].slack * start[i].slack)
            points[i] = start[i].at + moved * (start[i].slack / std::sqrt(squared));
    }
}

// The fewest of a closed polygon's points that keep every other within
// `tolerance` of the outline they make (Douglas and Peucker): a gentle curve
// needs a point every few pixels, a small dot one every pixel.
std::vector<QPointF> Simplify(const std::vector<QPointF>& points, double tolerance)
{
    const std::size_t count = points.size();
    if (count < 4)
        return points;
    // Split the loop at its first point and the point farthest from it.
    std::size_t far = 0;
    double farthest = -1;
    for (std::size_t i = 1; i < count; ++i) {
        const QPointF d = points[i] - points[0];
        const double squared = QPointF::dotProduct(d, d);
        if (squared > farthest) {
            farthest = squared;
            far = i;
        }
    }
    std::vector<bool> kept(count, false);
    kept[0] = kept[far] = true;
    std::vector<std::pair<std::size_t, std::size_t>> spans{{0, far}, {far, count}};  // `count` stands for 0
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        const QPointF a = points[first];
        const QPointF along = points[last % count] - a;
        const double squaredLength = QPointF::dotProduct(along, along);
        std::size_t worst = first;
        double worstDistance = tolerance;
        for (std::size_t i = first + 1; i < last; ++i) {
            // The distance to the segment, not to its line: a span may curl back past its ends.
            const QPointF d = points[i] - a;
            const double t = squaredLength > 0 ? std::clamp(QPointF::dotProduct(d, along) / squaredLength, 0.0, 1.0) : 0.0;
            const QPointF off = d - along * t;
            const double distance = std::hypot(off.x(), off.y());
            if (distance > worstDistance) {
                worst = i;
                worstDistance = distance;
            }
        }
        if (worst != first) {
            kept[worst] = true;
            spans.emplace_back(first, worst);
            spans.emplace_back(worst, last);
        }
    }
    std::vector<QPointF> simple;
    for (std::size_t i = 0; i < count; ++i) {
        if (kept[i])
            simple.push_back(points[i]);
    }
    return simple;
}

// An outline made smooth. The drawing's own outline passed within its slack
// of each point, so the polygon is smoothed again and again, each point held
// within its slack of where it started: the pixels' steps go, and what the
// drawing had (the roundness of a dot, the corner of a roof, the width of a
// thin stroke) stays, since no point may wander far enough to change it.
std::vector<QPointF> SmoothPolygon(const std::vector<OutlinePoint>& polygon)
{
    std::vector<OutlinePoint> start = Resample(polygon, kSpacing);
    HoldCorners(start);
    if (start.size() < 8) {
        std::vector<QPointF> corners;
        corners.reserve(polygon.size());
        for (const OutlinePoint& point : polygon)
            corners.push_back(point.at);
        return corners;
    }
    // A small closed outline (a dot, a hole in a number) is smoothed over a
    // shorter span, a twentieth of its length: a wider window would shrink it.
    const double perimeter = static_cast<double>(start.size()) * kSpacing;
    const std::vector<double> kernel = GaussianKernel(std::min(kAlongSigma, perimeter / 20) / kSpacing);
    std::vector<QPointF> points;
    points.reserve(start.size());
    for (const OutlinePoint& point : start)
        points.push_back(point.at);
    for (int pass = 0; pass < kPasses; ++pass) {
        // Twice the blur less the blur of the blur: a curve's bends are kept
        // (a plain blur would shrink a dot), the short steps still go.
        const std::vector<QPointF> once = Blur(points, kernel);
        const std::vector<QPointF> twice = Blur(once, kernel);
        for (std::size_t i = 0; i < points.size(); ++i)
            points[i] = 2 * once[i] - twice[i];
        Hold(points, start);
    }
    // Where a point was held, the outline bends a little more sharply: a last light pass evens it.
    points = Blur(points, GaussianKernel(kFinalSigma / kSpacing));
    Hold(points, start);
    return Simplify(points, kTolerance);
}

// The smooth outline of the pixels of `mask` (a picture-sized grid), in the
// picture's pixels. Outside the picture each pixel of the border continues
// the picture's own, so that a shape the border cuts stays cut straight
// there once drawn clipped to the picture.
QPainterPath SmoothOutline(const Grid<std::uint8_t>& mask, const EdgeFinder& edge)
{
    int left = mask.width;
    int top = mask.height;
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            if (mask.at(x, y) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return {};
    const int originX = left - kMargin;
    const int originY = top - kMargin;
    const auto pictureX = [&](int x) { return std::clamp(originX + x, 0, mask.width - 1); };
    const auto pictureY = [&](int y) { return std::clamp(originY + y, 0, mask.height - 1); };
    Grid<std::uint8_t> shape(right - left + 1 + 2 * kMargin, bottom - top + 1 + 2 * kMargin, 0);
    for (int y = 1; y + 1 < shape.height; ++y) {
        for (int x = 1; x + 1 < shape.width; ++x)
            shape.at(x, y) = mask.at(pictureX(x), pictureY(y));
    }
    const EdgeFinder edgeInShape = [&](int x0, int y0, int x1, int y1) {
        return edge(pictureX(x0), pictureY(y0), pictureX(x1), pictureY(y1));
    };

    QPainterPath path;
    // Outlines turn one way round what they hold and the other way round holes.
    path.setFillRule(Qt::WindingFill);
    // The grid's cell (x, y) is the pixel (originX + x, originY + y), centred half a pixel in.
    const QPointF origin(originX + 0.5, originY + 0.5);
    for (const std::vector<OutlinePoint>& outline : TraceOutlines(shape, edgeInShape)) {
        const std::vector<QPointF> smooth = SmoothPolygon(outline);
        path.moveTo(smooth.front() + origin);
        for (std::size_t i = 1; i < smooth.size(); ++i)
            path.lineTo(smooth[i] + origin);
        path.closeSubpath();
    }
    return path;
}

}  // namespace

SmoothPicture::SmoothPicture(const QImage& picture)
{
    if (picture.isNull())
        return;
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    m_size = image.size();
    const int width = image.width();
    const int height = image.height();

    const std::vector<QRgb> flat = static_cast<qsizetype>(width) * height > kMostPixels ? std::vector<QRgb>()
                                                                                       : FlatColours(image);
    if (flat.empty()) {
        m_underneath = image;
        m_smoothUnderneath = true;
        return;
    }

    // Each pixel takes its flat colour: a blend along an edge goes to the side
    // it is more of, which puts the edge where the drawing had it.
    std::unordered_map<QRgb, std::uint8_t> nearest;
    Grid<std::uint8_t> labels(width, height, 0);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            if (x > 0 && row[x] == row[x - 1]) {
                labels.at(x, y) = labels.at(x - 1, y);
                continue;
            }
            auto found = nearest.find(row[x]);
            if (found == nearest.end())
                found = nearest.emplace(row[x], NearestFlatColour(row[x], flat)).first;
            labels.at(x, y) = found->second;
        }
    }

    // Dark colours become smooth shapes, the lightest first and the darkest
    // (the black outlines) last, on top.
    std::vector<std::size_t> dark;
    for (std::size_t i = 0; i < flat.size(); ++i) {
        if (qGray(flat[i]) < kDarkGrey)
            dark.push_back(i);
    }
    std::sort(dark.begin(), dark.end(), [&flat](std::size_t a, std::size_t b) {
        return qGray(flat[a]) != qGray(flat[b]) ? qGray(flat[a]) > qGray(flat[b]) : flat[a] < flat[b];
    });
    // rank[colour]: its place among the dark ones, drawn in that order; light colours come before all.
    std::vector<int> rank(flat.size(), -1);
    for (std::size_t i = 0; i < dark.size(); ++i)
        rank[dark[i]] = static_cast<int>(i);

    // What lies under the dark shapes: the colour of the nearest light pixel,
    // so that a smooth edge drawn over never uncovers the paper.
    Grid<std::uint8_t> light(width, height, 0);
    bool onlyWhite = true;
    for (std::size_t i = 0; i < labels.values.size(); ++i) {
        light.values[i] = rank[labels.values[i]] < 0 ? 1 : 0;
        onlyWhite = onlyWhite && (light.values[i] == 0 || (flat[labels.values[i]] & 0xFFFFFF) == 0xFFFFFF);
    }
    // Line art and dots pages have nothing but the paper's white under them.
    if (!onlyWhite) {
        Grid<std::int32_t> nearestLight;
        DistanceToFeatures(light, &nearestLight);
        m_underneath = QImage(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<QRgb*>(m_underneath.scanLine(y));
            for (int x = 0; x < width; ++x)
                row[x] = flat[labels.values[static_cast<std::size_t>(nearestLight.at(x, y))]];
        }
    }

    // An edge between two flat colours lies halfway between their pixels,
    // give or take half a pixel; an anti-aliased edge tells where it lies
    // within its pixels by how much of each colour they hold.
    const EdgeFinder edge = [&](int x0, int y0, int x1, int y1) {
        const QRgb insideColour = flat[labels.at(x0, y0)];
        const QRgb outsideColour = flat[labels.at(x1, y1)];
        const double held = Share(image.pixel(x0, y0), outsideColour, insideColour);
        const double beyond = Share(image.pixel(x1, y1), outsideColour, insideColour);
        if (held > 0.98 && beyond < 0.02)
            return OutlinePoint{QPointF(0.5, 0), kPixelSlack};
        return OutlinePoint{QPointF(std::clamp(held + beyond - 0.5, 0.0, 1.0), 0), kBlendSlack};
    };
    for (std::size_t i = 0; i < dark.size(); ++i) {
        const int layerRank = static_cast<int>(i);
        Grid<std::uint8_t> mask(width, height, 0);
        int left = width;
        int top = height;
        int right = -1;
        int bottom = -1;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (rank[labels.at(x, y)] == layerRank) {
                    mask.at(x, y) = 1;
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        const QRect box(QPoint(left, top), QPoint(right, bottom));
        // A shape with darker ones drawn over it spreads a little under them,
        // up to halfway across the thinnest, so that no gap opens between the
        // two smooth edges. Within a few pixels of the shape, so its
        // surroundings suffice to find what lies nearest.
        if (i + 1 < dark.size() && !box.isEmpty()) {
            const QRect window = box.adjusted(-kSpreadWindow, -kSpreadWindow, kSpreadWindow, kSpreadWindow) &
                                 QRect(0, 0, width, height);
            Grid<std::uint8_t> notDarker(window.width(), window.height(), 0);
            for (int y = 0; y < window.height(); ++y) {
                for (int x = 0; x < window.width(); ++x)
                    notDarker.at(x, y) = rank[labels.at(window.left() + x, window.top() + y)] <= layerRank ? 1 : 0;
            }
            Grid<std::int32_t> nearestBelow;
            const Grid<float> distance = DistanceToFeatures(notDarker, &nearestBelow);
            for (int y = 0; y < window.height(); ++y) {
                for (int x = 0; x < window.width(); ++x) {
                    const std::int32_t from = nearestBelow.at(x, y);
                    if (from < 0 || distance.at(x, y) > kSpread)
                        continue;
                    const int fromX = window.left() + from % window.width();
                    const int fromY = window.top() + from / window.width();
                    if (rank[labels.at(fromX, fromY)] == layerRank)
                        mask.at(window.left() + x, window.top() + y) = 1;
                }
            }
        }
        m_layers.push_back({QColor::fromRgb(flat[dark[i]]), SmoothOutline(mask, edge)});
    }
}

void SmoothPicture::Draw(QPainter& painter, const QRectF& target) const
{
    if (IsNull() || target.isEmpty())
        return;
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.translate(target.topLeft());
    painter.scale(target.width() / m_size.width(), target.height() / m_size.height());
    const QRectF whole(QPointF(0, 0), QSizeF(m_size));
    if (!m_underneath.isNull()) {
        // Flat colours keep their pixels: their edges lie under the shapes.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, m_smoothUnderneath);
        painter.drawImage(whole, m_underneath);
    }
    painter.setPen(Qt::NoPen);
    for (const Layer& layer : m_layers)
        painter.fillPath(layer.outline, layer.colour);
    painter.restore();
}

QImage SmoothPicture::Render(QSize size) const
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

}  // namespace vorlane
