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

// Outlines are smoothed over a Gaussian window of at most this many pixels
// on each side (less where they bend tightly: kSigmaPerRadius of the bend's
// radius, measured over kBendReach pixels on each side, down to
// kLeastSigma), with points this far apart, each point held within half a pixel.
constexpr double kAlongSigma = 3.0;
constexpr double kLeastSigma = 1.0;
constexpr double kSigmaPerRadius = 0.3;
constexpr double kBendReach = 3;
constexpr double kSigmaStep = 0.25;
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
// each side, between arms turning less than kArmDegrees, has a corner; its
// point moves at most kCornerShift to where the arms' lines cross when it
// is square or blunt (turning at most kSquareDegrees): a sharper tip would
// cross its own arms.
constexpr double kCornerReach = 2.5;
constexpr double kSquareDegrees = 120;
constexpr double kCornerDegrees = 70;
constexpr double kArmDegrees = 30;
constexpr double kCornerShift = 1.0;
// How far a shape spreads under the darker ones drawn over it, and the room
// around it within which that is worked out (twice as far and more).
constexpr double kSpread = 3;
constexpr int kSpreadWindow = 8;
// Room around a shape for closing its outline.
constexpr int kMargin = 2;
// A light speck of at most this many pixels within this many pixels of
// another light area is a pinhole.
constexpr int kPinholePixels = 4;
constexpr int kPinholeReach = 2;

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

// A run of outline points smoothed together: a whole closed outline, or the
// stretch from one corner to the next, whose two ends stay where they are.
struct Stretch {
    std::vector<OutlinePoint> start;
    bool closed = true;
};

// Point `i` of a stretch of `count` points, for any i: a closed outline
// wraps round; an open stretch goes on past each end as its mirror image
// through that end, so that a blur leaves its ends, and a straight side
// ending there, where they are.
template <typename At>
QPointF Beyond(std::ptrdiff_t i, std::ptrdiff_t count, bool closed, const At& at)
{
    if (closed)
        return at(((i % count) + count) % count);
    if (i < 0)
        return 2 * at(0) - at(std::min(-i, count - 1));
    if (i >= count)
        return 2 * at(count - 1) - at(std::max(2 * (count - 1) - i, std::ptrdiff_t{0}));
    return at(i);
}

// A Gaussian average of each point with its neighbours along the stretch,
// each over its own window (`kernels[choice[i]]`).
std::vector<QPointF> Blur(const std::vector<QPointF>& points, bool closed,
                          const std::vector<std::vector<double>>& kernels, const std::vector<std::uint8_t>& choice)
{
    const auto count = static_cast<std::ptrdiff_t>(points.size());
    std::size_t widest = 0;
    for (const std::vector<double>& kernel : kernels)
        widest = std::max(widest, kernel.size() / 2);
    const auto radius = static_cast<std::ptrdiff_t>(widest);
    // The stretch with what lies beyond its ends, so that the sums run straight.
    std::vector<QPointF> padded(static_cast<std::size_t>(count + 2 * radius));
    const auto at = [&points](std::ptrdiff_t i) { return points[static_cast<std::size_t>(i)]; };
    for (std::ptrdiff_t i = -radius; i < count + radius; ++i)
        padded[static_cast<std::size_t>(i + radius)] = Beyond(i, count, closed, at);
    std::vector<QPointF> blurred(points.size());
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        const std::vector<double>& kernel = kernels[choice[static_cast<std::size_t>(i)]];
        const auto half = static_cast<std::ptrdiff_t>(kernel.size() / 2);
        const QPointF* from = padded.data() + (i + radius - half);
        double x = 0;
        double y = 0;
        for (std::size_t k = 0; k < kernel.size(); ++k) {
            x += kernel[k] * from[k].x();
            y += kernel[k] * from[k].y();
        }
        blurred[static_cast<std::size_t>(i)] = QPointF(x, y);
    }
    return blurred;
}

double TurnDegrees(QPointF before, QPointF after)
{
    const double cross = before.x() * after.y() - before.y() * after.x();
    const double dot = before.x() * after.x() + before.y() * after.y();
    return std::abs(std::atan2(cross, dot)) * 180 / std::numbers::pi;
}

// How wide a window each point of a stretch is smoothed over: kAlongSigma
// along straight and gently curving edges, where the long steps of a
// slanting edge need it; less where the outline bends tightly (a pupil, a
// small dot, the bowl of a 9), as a wide window would pull the bend in to
// its pixels' corners and leave a polygon. The bend is the radius of the
// circle through a point and its neighbours kBendReach pixels away, and a
// tight bend narrows the window of its neighbours too.
std::vector<double> Sigmas(const Stretch& stretch, double widest)
{
    const auto count = static_cast<std::ptrdiff_t>(stretch.start.size());
    const auto reach = static_cast<std::ptrdiff_t>(std::lround(kBendReach / kSpacing));
    const auto at = [&stretch](std::ptrdiff_t i) { return stretch.start[static_cast<std::size_t>(i)].at; };
    std::vector<double> own(stretch.start.size(), widest);
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        const QPointF a = Beyond(i - reach, count, stretch.closed, at);
        const QPointF b = at(i);
        const QPointF c = Beyond(i + reach, count, stretch.closed, at);
        const double twiceArea = std::abs((b.x() - a.x()) * (c.y() - a.y()) - (b.y() - a.y()) * (c.x() - a.x()));
        if (twiceArea < 1e-9)
            continue;
        const double radius = std::hypot(b.x() - a.x(), b.y() - a.y()) * std::hypot(c.x() - b.x(), c.y() - b.y()) *
                              std::hypot(c.x() - a.x(), c.y() - a.y()) / (2 * twiceArea);
        own[static_cast<std::size_t>(i)] = std::clamp(kSigmaPerRadius * radius, kLeastSigma, widest);
    }
    std::vector<double> sigmas(own.size());
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        double least = own[static_cast<std::size_t>(i)];
        for (std::ptrdiff_t k = -reach; k <= reach; ++k) {
            const std::ptrdiff_t j = stretch.closed ? ((i + k) % count + count) % count : std::clamp(i + k, std::ptrdiff_t{0}, count - 1);
            least = std::min(least, own[static_cast<std::size_t>(j)]);
        }
        sigmas[static_cast<std::size_t>(i)] = least;
    }
    return sigmas;
}

// Brings each point back within its slack of where it started; the ends of
// an open stretch (corners) do not move at all.
void Hold(std::vector<QPointF>& points, const Stretch& stretch)
{
    for (std::size_t i = 0; i < points.size(); ++i) {
        const OutlinePoint& start = stretch.start[i];
        const QPointF moved = points[i] - start.at;
        const double squared = QPointF::dotProduct(moved, moved);
        if (squared > start.slack * start.slack)
            points[i] = start.at + moved * (start.slack / std::sqrt(squared));
    }
    if (!stretch.closed && !points.empty()) {
        points.front() = stretch.start.front().at;
        points.back() = stretch.start.back().at;
    }
}

// A stretch made smooth. The drawing's own outline passed within its slack
// of each point, so the stretch is smoothed again and again, each point held
// within its slack of where it started: the pixels' steps go, and what the
// drawing had (the roundness of a dot, the width of a thin stroke) stays,
// since no point may wander far enough to change it.
std::vector<QPointF> SmoothStretch(const Stretch& stretch, double widest)
{
    std::vector<QPointF> points;
    points.reserve(stretch.start.size());
    for (const OutlinePoint& point : stretch.start)
        points.push_back(point.at);
    if (points.size() < 3)
        return points;
    // Kernels for sigmas rounded to kSigmaStep, each made once.
    std::vector<std::vector<double>> kernels;
    std::vector<int> levels;
    std::vector<std::uint8_t> choice;
    choice.reserve(points.size());
    for (const double sigma : Sigmas(stretch, widest)) {
        const int level = std::max(1, static_cast<int>(std::lround(sigma / kSigmaStep)));
        const auto found = std::find(levels.begin(), levels.end(), level);
        if (found == levels.end()) {
            levels.push_back(level);
            kernels.push_back(GaussianKernel(level * kSigmaStep / kSpacing));
        }
        choice.push_back(static_cast<std::uint8_t>(std::find(levels.begin(), levels.end(), level) - levels.begin()));
    }
    for (int pass = 0; pass < kPasses; ++pass) {
        // Twice the blur less the blur of the blur: a curve's bends are kept
        // (a plain blur would shrink a dot), the short steps still go.
        const std::vector<QPointF> once = Blur(points, stretch.closed, kernels, choice);
        const std::vector<QPointF> twice = Blur(once, stretch.closed, kernels, choice);
        for (std::size_t i = 0; i < points.size(); ++i)
            points[i] = 2 * once[i] - twice[i];
        Hold(points, stretch);
    }
    // Where a point was held, the outline bends a little more sharply: a last light pass evens it.
    points = Blur(points, stretch.closed, {GaussianKernel(kFinalSigma / kSpacing)},
                  std::vector<std::uint8_t>(points.size(), 0));
    Hold(points, stretch);
    return points;
}

// Where two straight arms of an outline meet: the corner of a window, the
// tip of a roof, the foot of a 1. The outline turns there by more than
// kCornerDegrees over kCornerReach pixels on each side, and each arm by
// less than kArmDegrees on its own: a small circle turns as much, but all
// along. The corner's place is where the arms' lines cross, which a
// drawing's pixels cut off (by half a pixel's diagonal at a window's
// corner), when that is near.
struct Corner {
    std::size_t index;
    QPointF at;
};

// The line through points, as a point on it and its direction.
std::pair<QPointF, QPointF> FitLine(const std::vector<OutlinePoint>& points, std::ptrdiff_t first, std::ptrdiff_t last)
{
    const auto count = static_cast<std::ptrdiff_t>(points.size());
    const auto at = [&](std::ptrdiff_t i) { return points[static_cast<std::size_t>(((i % count) + count) % count)].at; };
    QPointF mean(0, 0);
    for (std::ptrdiff_t i = first; i <= last; ++i)
        mean += at(i);
    mean /= static_cast<double>(last - first + 1);
    double xx = 0;
    double xy = 0;
    double yy = 0;
    for (std::ptrdiff_t i = first; i <= last; ++i) {
        const QPointF d = at(i) - mean;
        xx += d.x() * d.x();
        xy += d.x() * d.y();
        yy += d.y() * d.y();
    }
    const double angle = 0.5 * std::atan2(2 * xy, xx - yy);
    return {mean, QPointF(std::cos(angle), std::sin(angle))};
}

std::vector<Corner> FindCorners(const std::vector<OutlinePoint>& points)
{
    const auto count = static_cast<std::ptrdiff_t>(points.size());
    const auto reach = static_cast<std::ptrdiff_t>(std::lround(kCornerReach / kSpacing));
    std::vector<Corner> corners;
    if (count < 6 * reach)
        return corners;
    const auto at = [&](std::ptrdiff_t i) { return points[static_cast<std::size_t>(((i % count) + count) % count)].at; };
    std::vector<double> turns(points.size());
    for (std::ptrdiff_t i = 0; i < count; ++i)
        turns[static_cast<std::size_t>(i)] = TurnDegrees(at(i) - at(i - reach), at(i + reach) - at(i));
    const auto turn = [&](std::ptrdiff_t i) { return turns[static_cast<std::size_t>(((i % count) + count) % count)]; };
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        if (turn(i) < kCornerDegrees)
            continue;
        // The sharpest point of the turn, the first of equals.
        bool sharpest = true;
        for (std::ptrdiff_t k = 1; k <= reach && sharpest; ++k)
            sharpest = turn(i - k) < turn(i) && turn(i + k) <= turn(i);
        if (!sharpest)
            continue;
        const double armBefore = TurnDegrees(at(i - reach) - at(i - 2 * reach), at(i) - at(i - reach));
        const double armAfter = TurnDegrees(at(i + reach) - at(i), at(i + 2 * reach) - at(i + reach));
        if (armBefore > kArmDegrees || armAfter > kArmDegrees)
            continue;
        // The arms' lines, leaving out the corner's own cut.
        const std::ptrdiff_t skip = reach / 2;
        const auto [onBefore, alongBefore] = FitLine(points, i - 2 * reach, i - skip);
        const auto [onAfter, alongAfter] = FitLine(points, i + skip, i + 2 * reach);
        QPointF corner = at(i);
        const double cross = alongBefore.x() * alongAfter.y() - alongBefore.y() * alongAfter.x();
        if (turn(i) <= kSquareDegrees && std::abs(cross) > 0.3) {
            const QPointF between = onAfter - onBefore;
            const double t = (between.x() * alongAfter.y() - between.y() * alongAfter.x()) / cross;
            const QPointF crossing = onBefore + alongBefore * t;
            if (std::hypot(crossing.x() - corner.x(), crossing.y() - corner.y()) <= kCornerShift)
                corner = crossing;
        }
        corners.push_back({static_cast<std::size_t>(i), corner});
    }
    return corners;
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

// An outline made smooth: as one stretch when it has no corners, else
// stretch by stretch between its corners, each corner kept sharp where the
// arms' lines meet.
std::vector<QPointF> SmoothPolygon(const std::vector<OutlinePoint>& polygon)
{
    const std::vector<OutlinePoint> start = Resample(polygon, kSpacing);
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
    const double widest = std::max(kLeastSigma, std::min(kAlongSigma, perimeter / 20));
    const std::vector<Corner> corners = FindCorners(start);
    if (corners.empty())
        return Simplify(SmoothStretch({start, true}, widest), kTolerance);

    std::vector<QPointF> smooth;
    smooth.reserve(start.size());
    for (std::size_t c = 0; c < corners.size(); ++c) {
        const Corner& from = corners[c];
        const Corner& to = corners[(c + 1) % corners.size()];
        Stretch stretch{{}, false};
        const std::size_t length = (to.index + start.size() - from.index - 1) % start.size() + 1;
        for (std::size_t k = 0; k <= length; ++k)
            stretch.start.push_back(start[(from.index + k) % start.size()]);
        stretch.start.front().at = from.at;
        stretch.start.back().at = to.at;
        std::vector<QPointF> points = SmoothStretch(stretch, widest);
        // Each stretch's last point is the next one's first.
        smooth.insert(smooth.end(), points.begin(), points.end() - 1);
    }
    return Simplify(smooth, kTolerance);
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

// A light speck of a few pixels shut in by a dark colour, a pixel or so
// from another light area, is where the pixels could not follow the
// drawing: the notch where the bowl of a 6 or a 9 meets its stroke, the
// narrowing gap where a pupil touches its eye. Drawn large it would be a
// pinhole; it takes the dark colour around it. A counter of a small letter
// (an e, an a) lies behind a whole stroke and stays.
void FillPinholes(Grid<std::uint8_t>& labels, const std::vector<int>& rank)
{
    const int width = labels.width;
    const int height = labels.height;
    const auto light = [&](int x, int y) { return rank[labels.at(x, y)] < 0; };
    Grid<std::int32_t> parts(width, height, -1);
    std::vector<std::int32_t> pending;
    std::vector<std::int32_t> part;
    std::int32_t next = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!light(x, y) || parts.at(x, y) >= 0)
                continue;
            const std::int32_t id = next++;
            part.clear();
            pending.assign(1, y * width + x);
            parts.at(x, y) = id;
            bool shut = true;
            while (!pending.empty()) {
                const std::int32_t at = pending.back();
                pending.pop_back();
                part.push_back(at);
                const int px = at % width;
                const int py = at / width;
                shut = shut && px > 0 && py > 0 && px + 1 < width && py + 1 < height;
                const std::array<std::pair<int, int>, 4> around{{{px - 1, py}, {px + 1, py}, {px, py - 1}, {px, py + 1}}};
                for (const auto& [nx, ny] : around) {
                    if (nx >= 0 && ny >= 0 && nx < width && ny < height && light(nx, ny) && parts.at(nx, ny) < 0) {
                        parts.at(nx, ny) = id;
                        pending.push_back(ny * width + nx);
                    }
                }
            }
            if (!shut || part.size() > static_cast<std::size_t>(kPinholePixels))
                continue;
            bool nearOther = false;
            std::array<int, 256> darkAround{};
            for (const std::int32_t at : part) {
                const int px = at % width;
                const int py = at / width;
                for (int dy = -kPinholeReach; dy <= kPinholeReach; ++dy) {
                    for (int dx = -kPinholeReach; dx <= kPinholeReach; ++dx) {
                        const int nx = std::clamp(px + dx, 0, width - 1);
                        const int ny = std::clamp(py + dy, 0, height - 1);
                        if (!light(nx, ny))
                            ++darkAround[labels.at(nx, ny)];
                        // Parts not yet numbered lie further on: light, and not this one.
                        else if (parts.at(nx, ny) != id)
                            nearOther = true;
                    }
                }
            }
            if (!nearOther)
                continue;
            const auto fill = static_cast<std::uint8_t>(std::max_element(darkAround.begin(), darkAround.end()) - darkAround.begin());
            for (const std::int32_t at : part)
                labels.values[static_cast<std::size_t>(at)] = fill;
        }
    }
}

}  // namespace

SmoothPicture::SmoothPicture(const QImage& picture, Ink ink)
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

    FillPinholes(labels, rank);

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
        m_layers.push_back({ink == Ink::Black ? QColor(Qt::black) : QColor::fromRgb(flat[dark[i]]), SmoothOutline(mask, edge)});
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
        // Kept whole in a PDF too: a JPEG would tint the flat colours in
        // blocks beside the outlines.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, m_smoothUnderneath);
        painter.setRenderHint(QPainter::LosslessImageRendering);
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
