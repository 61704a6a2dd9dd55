#include "DotPicture.h"

#include "DotStyle.h"
#include "DotsLines.h"
#include "PageRules.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <numbers>
#include <optional>
#include <set>

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
// Deviations above this are worth a dot of their own.
constexpr double kWorthADot = 0.01;
// Pixels more than a dot radius between a label's nearest other dot and its own.
constexpr double kOwnMargin = 1.5;

double Diagonal(const QRect& extent)
{
    return std::hypot(extent.width(), extent.height());
}

double Distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// Which of a and b is nearer `to`, without square roots: searches along the
// outline make it often.
bool Nearer(QPoint a, QPoint b, QPoint to)
{
    const QPoint da = a - to, db = b - to;
    return QPoint::dotProduct(da, da) < QPoint::dotProduct(db, db);
}

// A stretch of the outline between two dots.
struct Stretch {
    double deviation = 0;   // how far the outline strays from the straight line between the dots
    std::size_t farthest = 0;
    bool exhausted = false;  // no room for another dot
};

using DotMap = std::map<std::size_t, Stretch>;  // outline index -> the stretch to the next dot

class Placer {
public:
    Placer(const TracedDrawing& drawing, double radius)
        : m_drawing(drawing), m_outline(drawing.Outline()), m_radius(radius)
    {
    }

    std::size_t Count() const { return m_outline.size(); }
    std::size_t Length(std::size_t from, std::size_t to) const { return (to + Count() - from) % Count(); }
    std::size_t At(std::size_t from, std::size_t step) const { return (from + step) % Count(); }
    // The steps of a stretch: a single dot's goes all the way round.
    std::size_t Span(std::size_t from, std::size_t to) const { return from == to ? Count() : Length(from, to); }
    QPoint Point(std::size_t i) const { return m_outline[i]; }

    // How far the straight line between two dots and the outline between
    // them stray from each other both ways; where the outline strays most.
    Stretch Measure(std::size_t from, std::size_t to) const
    {
        Stretch stretch;
        const QPointF a(m_outline[from]), b(m_outline[to]);
        for (std::size_t step = 1; step < Span(from, to); ++step) {
            const std::size_t i = At(from, step);
            const double deviation = SegmentDistance(QPointF(m_outline[i]), a, b);
            if (deviation > stretch.deviation) {
                stretch.deviation = deviation;
                stretch.farthest = i;
            }
        }
        const double length = Distance(a, b);
        for (double t = 0; t < 1; t += 2 / std::max(2.0, length)) {
            const QPointF on = a + t * (b - a);
            stretch.deviation = std::max<double>(stretch.deviation, m_drawing.EdgeDistance(on.toPoint()));
        }
        return stretch;
    }

    // A dot can go on a line of the drawing, kDotSpacing dot radii from every other dot.
    bool HasRoom(std::size_t candidate, const DotMap& dots) const
    {
        return m_drawing.OnLine(m_outline[candidate]) &&
               std::all_of(dots.begin(), dots.end(), [&](const auto& dot) {
                   return dot.first == candidate || Distance(m_outline[dot.first], m_outline[candidate]) >= kDotSpacing * m_radius;
               });
    }

    // The point of the stretch nearest `wanted` (by steps) where a dot has room.
    std::optional<std::size_t> RoomNear(std::size_t from, std::size_t to, std::size_t wanted, const DotMap& dots) const
    {
        const std::size_t length = Span(from, to);
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
        return Turn(QPointF(m_outline[At(i, Count() - kReach)]), QPointF(m_outline[i]),
                    QPointF(m_outline[At(i, kReach)])) > 180 / 3.5;
    }

    // The stretches (by their first dot) of the closed path that cross
    // another, or meet the next in a turn back.
    std::set<std::size_t> Troubles(const DotMap& dots) const
    {
        std::set<std::size_t> troubles;
        std::vector<std::size_t> at;
        for (const auto& dot : dots)
            at.push_back(dot.first);
        const std::size_t n = at.size();
        if (n < 4)
            return troubles;
        const auto side = [&](std::size_t i) { return QLineF(m_outline[at[i]], m_outline[at[(i + 1) % n]]); };
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = i + 2; j < n; ++j)
                if ((j + 1) % n != i && SegmentsMeet(side(i).p1(), side(i).p2(), side(j).p1(), side(j).p2())) {
                    troubles.insert(at[i]);
                    troubles.insert(at[j]);
                }
        for (std::size_t i = 0; i < n; ++i) {
            const QLineF before = side((i + n - 1) % n), after = side(i);
            if (before.length() > kLongSide * m_radius && after.length() > kLongSide * m_radius &&
                Turn(before.p1(), before.p2(), after.p2()) > kTurnBack)
                troubles.insert(before.length() > after.length() ? at[(i + n - 1) % n] : at[i]);
        }
        return troubles;
    }

private:
    const TracedDrawing& m_drawing;
    const std::vector<QPoint>& m_outline;
    double m_radius;
};

// Dots on the outline, up to `wanted`, each where the path strays most from
// the outline, stretches that cross or turn back first.
DotMap Spread(const Placer& placer, std::size_t wanted, double worthADot)
{
    // Start from the top and the point furthest from it; then, while the
    // polygon strays from the outline, a dot where it strays most (corners
    // first); then dots in the middle of the longest stretches.
    std::size_t top = placer.Count(), far = placer.Count();
    for (std::size_t i = 0; i < placer.Count(); ++i) {
        const QPoint at = placer.Point(i);
        if (top == placer.Count() || std::pair(at.y(), at.x()) < std::pair(placer.Point(top).y(), placer.Point(top).x()))
            top = i;
    }
    for (std::size_t i = 0; i < placer.Count(); ++i)
        if (far == placer.Count() || Distance(placer.Point(i), placer.Point(top)) > Distance(placer.Point(far), placer.Point(top)))
            far = i;
    DotMap dots;
    for (const std::size_t start : {top, far}) {
        std::size_t at = start;
        if (!placer.HasRoom(at, dots))
            at = placer.RoomNear(start, start, start, dots).value_or(placer.Count());
        if (at < placer.Count())
            dots[at] = {};
    }
    if (dots.empty())
        return dots;
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
        const std::set<std::size_t> troubles = placer.Troubles(dots);
        auto worst = dots.end();
        auto longest = dots.end();
        for (auto it = dots.begin(); it != dots.end(); ++it) {
            if (it->second.exhausted)
                continue;
            const bool troubled = troubles.contains(it->first);
            if (worst == dots.end() || troubled > troubles.contains(worst->first) ||
                (troubled == troubles.contains(worst->first) && it->second.deviation > worst->second.deviation))
                worst = it;
            if (longest == dots.end() || placer.Span(it->first, next(it->first)) >
                                             placer.Span(longest->first, next(longest->first)))
                longest = it;
        }
        if (worst == dots.end())
            break;
        const bool straying = troubles.contains(worst->first) || worst->second.deviation > worthADot;
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
            added = placer.RoomNear(from, to, placer.At(from, placer.Span(from, to) / 2), dots);
        if (!added) {
            stretch->second.exhausted = true;
            continue;
        }
        dots[*added] = {};
        measure(from);
        measure(*added);
    }
    return dots;
}

// Added one by one, the dots can leave the path straying where an early dot
// landed badly: a dot ending a stretch that strays more than `enough` slides
// between its neighbours to where the two stretches it ends stray least,
// until no slide helps. The other dots stay where they are.
void Settle(const Placer& placer, DotMap& dots, double enough)
{
    if (dots.size() < 3)
        return;
    const auto neighbours = [&](std::size_t at) {
        auto it = dots.find(at);
        const std::size_t after = std::next(it) == dots.end() ? dots.begin()->first : std::next(it)->first;
        const std::size_t before = it == dots.begin() ? dots.rbegin()->first : std::prev(it)->first;
        return std::pair(before, after);
    };
    const std::size_t stride = std::max<std::size_t>(1, placer.Count() / 1500);
    for (int sweep = 0; sweep < 4; ++sweep) {
        bool moved = false;
        std::vector<std::size_t> at;
        for (const auto& dot : dots)
            at.push_back(dot.first);
        for (const std::size_t was : at) {
            const auto [before, after] = neighbours(was);
            const double now = std::max(dots[before].deviation, dots[was].deviation);
            if (now <= enough)
                continue;
            const std::size_t troubles = placer.Troubles(dots).size();
            std::optional<std::size_t> best;
            double bestDeviation = now;
            DotMap trial = dots;
            trial.erase(was);
            for (std::size_t step = stride; step < placer.Span(before, after); step += stride) {
                const std::size_t candidate = placer.At(before, step);
                if (candidate == was || !placer.HasRoom(candidate, trial))
                    continue;
                const double deviation =
                    std::max(placer.Measure(before, candidate).deviation, placer.Measure(candidate, after).deviation);
                if (deviation >= bestDeviation - 0.5)
                    continue;
                trial[candidate] = {};
                if (placer.Troubles(trial).size() <= troubles) {
                    best = candidate;
                    bestDeviation = deviation;
                }
                trial.erase(candidate);
            }
            if (!best)
                continue;
            dots.erase(was);
            dots[*best] = placer.Measure(*best, after);
            dots[before] = placer.Measure(before, *best);
            moved = true;
        }
        if (!moved)
            break;
    }
}

// The stretch the child's line strays most along: the worst but one when
// the worst strays too far to follow, as it then goes between the last dot
// and the first.
DotMap::const_iterator WorstFollowed(const DotMap& dots, double unfollowable)
{
    auto worst = dots.end(), second = dots.end();
    for (auto it = dots.begin(); it != dots.end(); ++it)
        if (worst == dots.end() || it->second.deviation > worst->second.deviation) {
            second = worst;
            worst = it;
        } else if (second == dots.end() || it->second.deviation > second->second.deviation) {
            second = it;
        }
    return worst != dots.end() && worst->second.deviation > unfollowable && second != dots.end() ? second : worst;
}

// Dots spread one by one can crowd where the outline is easy and run short
// where it is intricate: the dot whose going costs least moves to where the
// path strays most, while that brings the path closer.
void Exchange(const Placer& placer, DotMap& dots, double unfollowable)
{
    if (dots.size() < 4)
        return;
    const auto next = [&](const DotMap& map, std::size_t at) {
        auto found = map.upper_bound(at);
        return found == map.end() ? map.begin()->first : found->first;
    };
    const auto prev = [&](const DotMap& map, std::size_t at) {
        auto found = map.find(at);
        return found == map.begin() ? map.rbegin()->first : std::prev(found)->first;
    };
    for (std::size_t round = 0; round < 2 * dots.size(); ++round) {
        const auto worst = WorstFollowed(dots, unfollowable);
        const double before = worst->second.deviation;
        const std::size_t from = worst->first, to = next(dots, from);
        // The dot whose two stretches joined stray least.
        std::optional<std::size_t> leaving;
        double joined = before;
        for (const auto& dot : dots) {
            if (dot.first == from || dot.first == to)
                continue;
            const double deviation = placer.Measure(prev(dots, dot.first), next(dots, dot.first)).deviation;
            if (deviation < joined) {
                joined = deviation;
                leaving = dot.first;
            }
        }
        if (!leaving)
            return;
        DotMap trial = dots;
        const std::size_t left = prev(trial, *leaving);
        trial.erase(*leaving);
        trial[left] = placer.Measure(left, next(trial, left));
        const std::optional<std::size_t> added = placer.RoomNear(from, to, worst->second.farthest, trial);
        if (!added)
            return;
        trial[*added] = placer.Measure(*added, to);
        trial[from] = placer.Measure(from, *added);
        if (WorstFollowed(trial, unfollowable)->second.deviation >= before ||
            placer.Troubles(trial).size() > placer.Troubles(dots).size())
            return;
        dots = std::move(trial);
    }
}

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
    {
        const cv::Mat view(mask.height(), mask.width(), CV_8U, const_cast<uchar*>(mask.constBits()),
                           static_cast<size_t>(mask.bytesPerLine()));
        cv::integral(view > 0, m_sums, CV_32S);
    }
    // The pixels set in `box`, which must lie inside the mask.
    int Sum(const QRect& box) const
    {
        const int x0 = box.left(), y0 = box.top(), x1 = box.right() + 1, y1 = box.bottom() + 1;
        return (m_sums.at<int>(y1, x1) - m_sums.at<int>(y1, x0) - m_sums.at<int>(y0, x1) + m_sums.at<int>(y0, x0)) / 255;
    }

private:
    cv::Mat m_sums;
};

QPolygonF Polygon(const std::vector<Dot>& dots)
{
    QPolygonF polygon;
    for (const Dot& dot : dots)
        polygon << QPointF(dot.position) + QPointF(0.5, 0.5);
    return polygon;
}

double RadiusOf(std::size_t index, const DotSize& size)
{
    return index == 0 ? size.radius + 2 : size.radius;
}

struct Label {
    QString text;
    QRectF box;  // where its ink goes
    QPainterPath glyphs;
    bool plain = false;  // plainly its dot's, touching nothing
};

// The outward normal of the figure's outline at the outline point nearest `at`.
QPointF Outward(const std::vector<QPoint>& outline, QPoint at)
{
    if (outline.size() < 3)
        return QPointF(0, -1);
    std::size_t nearest = 0;
    for (std::size_t i = 1; i < outline.size(); ++i)
        if (Nearer(outline[i], outline[nearest], at))
            nearest = i;
    const std::size_t reach = std::min<std::size_t>(8, outline.size() / 3);
    const QPointF along = QPointF(outline[(nearest + reach) % outline.size()] -
                                  outline[(nearest + outline.size() - reach) % outline.size()]);
    // The outline turns clockwise on the screen: the outside is on its left.
    const QPointF outward(along.y(), -along.x());
    const double length = std::hypot(outward.x(), outward.y());
    return length > 0 ? outward / length : QPointF(0, -1);
}

// Where the labels go: beside their dot along the outline's outward normal
// where there is room, else turned further round it, always clear of the
// lines, the dots, the child's line and the other labels, and nearer their
// own dot than any other by a clear margin.
class LabelPlacer {
public:
    LabelPlacer(const TracedDrawing& drawing, const std::vector<Dot>& dots, const DotOptions& options,
                const QImage& lines)
        : m_drawing(drawing), m_dots(dots), m_options(options), m_size(DotSizeFor(dots.size())),
          m_lines(lines), m_figure(drawing.Figure()), m_font(LabelFont(m_size.labelSize)),
          m_inside(lines.rect().adjusted(2, 2, -2, -2)),
          m_height(QFontMetricsF(m_font).tightBoundingRect(QStringLiteral("0")).height()),
          m_apart(std::max(kClearance, kLabelsApart * m_height)), m_lineApart(std::max(kClearance, kLabelFromLine * m_height))
    {
    }

    std::vector<Label> Place() const
    {
        std::vector<Label> labels;
        for (std::size_t i = 0; i < m_dots.size(); ++i)
            labels.push_back(PlaceOne(i, labels));
        // A label crowded out by its neighbours' takes its place first, and
        // they find theirs after it, when all three are then plain.
        for (std::size_t i = 0; i < labels.size(); ++i) {
            if (labels[i].plain)
                continue;
            std::vector<Label> tried = labels;
            const std::size_t first = i > 0 ? i - 1 : i, last = std::min(i + 1, labels.size() - 1);
            for (std::size_t k = first; k <= last; ++k)
                tried[k] = Label{};
            tried[i] = PlaceOne(i, tried);
            bool plain = tried[i].plain;
            for (std::size_t k = first; k <= last && plain; ++k)
                if (k != i) {
                    tried[k] = PlaceOne(k, tried);
                    plain = tried[k].plain;
                }
            if (plain)
                labels = std::move(tried);
        }
        return labels;
    }

    // The label of dot `i` beside and outside it, or nothing when there is no
    // room for one there (the dots before `i` already labelled in `labels`).
    std::optional<Label> Outside(std::size_t i, const std::vector<Label>& labels) const
    {
        Label label = Glyphs(i);
        const QRectF ink = label.glyphs.boundingRect();
        const QPointF at = Centre(i);
        const QPointF outward = Outward(m_drawing.Outline(), m_dots[i].position);
        const double gap = RadiusOf(i, m_size) + kClearance + 1;
        // Nearest the normal and the dot first.
        for (const double turn : {0.0, 15.0, -15.0, 30.0, -30.0, 45.0, -45.0, 60.0, -60.0, 80.0, -80.0, 100.0,
                                  -100.0, 125.0, -125.0})
            for (const double ring : {0.0, 4.0, 9.0, 15.0}) {
                const double angle = turn * std::numbers::pi / 180;
                const QPointF dir(outward.x() * std::cos(angle) - outward.y() * std::sin(angle),
                                  outward.x() * std::sin(angle) + outward.y() * std::cos(angle));
                // From the box's centre to its edge along dir.
                const double reach = std::min(std::abs(dir.x()) > 1e-9 ? ink.width() / 2 / std::abs(dir.x()) : 1e9,
                                              std::abs(dir.y()) > 1e-9 ? ink.height() / 2 / std::abs(dir.y()) : 1e9);
                QRectF box(0, 0, ink.width(), ink.height());
                box.moveCenter(at + dir * (gap + reach + ring));
                if (Fits(box, labels, m_apart) && Owned(i, box) && m_figure.Sum(Pixels(box)) == 0) {
                    label.glyphs.translate(box.center() - ink.center());
                    label.box = box;
                    label.plain = true;
                    return label;
                }
            }
        return std::nullopt;
    }

    // The plain labels are still clear of the dots and the path, and still
    // plainly their dot's (after a dot moved).
    bool StillPlain(const std::vector<Label>& labels) const
    {
        for (std::size_t j = 0; j < labels.size(); ++j)
            if (labels[j].plain && !(Clear(labels[j].box) && Owned(j, labels[j].box)))
                return false;
        return true;
    }

    // The label of dot `i`, clear of `labels`: outside the figure where there
    // is room, else in the best place round the dot.
    Label PlaceOne(std::size_t i, const std::vector<Label>& labels) const
    {
        if (auto outside = Outside(i, labels))
            return *outside;
        // A crowded place: the spot nearest the dot that is plainly its own,
        // outside the figure if it can, clear of the lines by the full
        // distance if it can, at least touching none.
        Label label = Glyphs(i);
        const QRectF ink = label.glyphs.boundingRect();
        const QPointF at = Centre(i);
        QRectF best;
        double bestScore = std::numeric_limits<double>::max();
        constexpr int kDirections = 32;
        for (const double ring : {0.0, 3.0, 6.0, 10.0, 15.0, 21.0, 28.0}) {
            for (int d = 0; d < kDirections; ++d) {
                const double angle = 2 * std::numbers::pi * d / kDirections;
                const QPointF dir(std::cos(angle), std::sin(angle));
                const double reach = std::min(std::abs(dir.x()) > 1e-9 ? ink.width() / 2 / std::abs(dir.x()) : 1e9,
                                              std::abs(dir.y()) > 1e-9 ? ink.height() / 2 / std::abs(dir.y()) : 1e9);
                QRectF box(0, 0, ink.width(), ink.height());
                box.moveCenter(at + dir * (RadiusOf(i, m_size) + kClearance + 1 + reach + ring));
                if (!m_inside.contains(Pixels(box)))
                    continue;
                const double score = ring + (Owned(i, box) ? 0 : 1000) +
                                     (Fits(box, labels, m_apart) ? 0 : Fits(box, labels, kClearance) ? 50 : 10000) +
                                     (m_figure.Sum(Pixels(box)) == 0 ? 0 : 20);
                if (score < bestScore) {
                    bestScore = score;
                    best = box;
                }
            }
        }
        if (best.isNull()) {  // at least inside the picture
            best = QRectF(0, 0, ink.width(), ink.height());
            best.moveCenter(at);
            best.moveLeft(std::clamp(best.left(), 2.0, m_lines.Width() - 3 - best.width()));
            best.moveTop(std::clamp(best.top(), 2.0, m_lines.Height() - 3 - best.height()));
        }
        label.glyphs.translate(best.center() - ink.center());
        label.box = best;
        label.plain = Owned(i, best) && Fits(best, labels, kClearance);
        return label;
    }

private:
    Label Glyphs(std::size_t i) const
    {
        Label label;
        label.text = DotLabel(m_options, static_cast<int>(i));
        label.glyphs = LabelGlyphs(m_font, label.text);
        return label;
    }

    QPointF Centre(std::size_t i) const { return QPointF(m_dots[i].position) + QPointF(0.5, 0.5); }

    static QRect Pixels(const QRectF& box, double margin = kClearance)
    {
        return box.adjusted(-margin, -margin, margin, margin).toAlignedRect();
    }

    // Over no dot or side of the child's path.
    bool Clear(const QRectF& box) const
    {
        const double halfPen = m_options.lineWidth / 2.0 + kClearance;
        for (std::size_t j = 0; j < m_dots.size(); ++j) {
            if (BoxDistance(box, Centre(j)) < RadiusOf(j, m_size) + kClearance)
                return false;
            if (j + 1 < m_dots.size() && BoxDistance(box, Centre(j), Centre(j + 1)) < halfPen)
                return false;
        }
        return true;
    }

    // Inside the picture, `apart` from every line and other label, over no
    // dot or side of the child's path.
    bool Fits(const QRectF& box, const std::vector<Label>& labels, double apart) const
    {
        if (!m_inside.contains(Pixels(box)) || m_lines.Sum(Pixels(box, std::min(apart, m_lineApart))) > 0 || !Clear(box))
            return false;
        // A label not placed yet (an empty box) is no obstacle, least of all at the origin.
        const auto dotIn = [&](const QRectF& strip) {
            return std::any_of(m_dots.begin(), m_dots.end(), [&](const Dot& dot) {
                return strip.contains(QPointF(dot.position) + QPointF(0.5, 0.5));
            });
        };
        return std::none_of(labels.begin(), labels.end(), [&](const Label& other) {
            return !other.box.isEmpty() && (other.box.adjusted(-apart, -apart, apart, apart).intersects(box) ||
                                            (apart >= m_apart && ReadAsOne(box, other.box, m_height, dotIn)));
        });
    }

    // Plainly dot i's as the eye reads it: from the label's centre, every
    // other dot kOwnLabel times as far as its own; and every other dot's edge
    // a dot radius further from the label than its own dot's, and then some
    // (the ink of a number spreads a little when drawn).
    bool Owned(std::size_t i, const QRectF& box) const
    {
        const QPointF centre = box.center();
        const double own = Distance(centre, Centre(i));
        const double edge = BoxDistance(box, Centre(i)) - RadiusOf(i, m_size);
        for (std::size_t j = 0; j < m_dots.size(); ++j)
            if (j != i && (Distance(centre, Centre(j)) < kOwnLabel * own ||
                           BoxDistance(box, Centre(j)) - RadiusOf(j, m_size) < edge + m_size.radius + kOwnMargin))
                return false;
        return true;
    }

    class Mask {
    public:
        explicit Mask(const QImage& image) : m_size(image.size()), m_sums(image) {}
        int Sum(const QRect& box) const { return QRect(QPoint(), m_size).contains(box) ? m_sums.Sum(box) : 1; }
        double Width() const { return m_size.width(); }
        double Height() const { return m_size.height(); }

    private:
        QSize m_size;
        AreaSums m_sums;
    };

    const TracedDrawing& m_drawing;
    const std::vector<Dot>& m_dots;
    const DotOptions& m_options;
    DotSize m_size;
    Mask m_lines;
    Mask m_figure;
    QFont m_font;
    QRect m_inside;
    double m_height;     // of a digit
    double m_apart;      // from another dot's label
    double m_lineApart;  // from a line
};

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

namespace {

// The sides of the path next to dot i cross no other side and turn back at
// none of the dots they join.
bool CleanAround(const std::vector<Dot>& dots, std::size_t i, double radius)
{
    const auto at = [&](std::size_t k) { return QPointF(dots[k].position); };
    for (std::size_t side = (i > 0 ? i - 1 : 0); side <= i && side + 1 < dots.size(); ++side)
        for (std::size_t other = 0; other + 1 < dots.size(); ++other)
            if (other + 1 < side || other > side + 1)
                if (SegmentsMeet(at(side), at(side + 1), at(other), at(other + 1)))
                    return false;
    for (std::size_t k = std::max<std::size_t>(i, 2) - 1; k <= i + 1 && k + 1 < dots.size(); ++k)
        if (k >= 1 && Distance(at(k - 1), at(k)) > kLongSide * radius && Distance(at(k), at(k + 1)) > kLongSide * radius &&
            Turn(at(k - 1), at(k), at(k + 1)) > kTurnBack)
            return false;
    return true;
}

// Where a label has no room beside its dot outside the figure, the dot moves
// along the outline to where it has, rather than a number being printed
// where it could be read as another dot's.
std::vector<Dot> MakeRoomForLabels(const TracedDrawing& drawing, std::vector<Dot> dots, const DotOptions& options)
{
    const std::vector<QPoint>& outline = drawing.Outline();
    const double radius = DotSizeFor(dots.size()).radius;
    const QImage lines = DotsLines(drawing, dots);
    const LabelPlacer placer(drawing, dots, options, lines);
    const Placer stretches(drawing, radius);
    const auto indexOf = [&](QPoint point) {
        return static_cast<std::size_t>(std::distance(
            outline.begin(), std::min_element(outline.begin(), outline.end(), [&](QPoint a, QPoint b) {
                return Nearer(a, b, point);
            })));
    };
    // How far the outline strays from the sides of the path at dot i.
    const auto straying = [&](std::size_t i) {
        double worst = 0;
        for (const std::size_t k : {i - 1, i + 1})
            if (k < dots.size()) {
                const std::size_t a = indexOf(dots[i].position), b = indexOf(dots[k].position);
                worst = std::max(worst, stretches.Span(a, b) < stretches.Span(b, a) ? stretches.Measure(a, b).deviation
                                                                                    : stretches.Measure(b, a).deviation);
            }
        return worst;
    };
    const double worthADot = kWorthADot * Diagonal(drawing.Extent());
    // Tries the places on a line of the outline near where dot i was, nearest
    // first, keeping the dots apart, the path clean and as near the outline,
    // until `fits` agrees.
    const auto move = [&](std::size_t i, const std::function<bool()>& fits) {
        const QPoint was = dots[i].position;
        const double strayed = std::max(worthADot, straying(i));
        const std::size_t start = indexOf(was);
        for (std::size_t step = 2; step < outline.size() / 2; step += 2) {
            bool inReach = false;
            for (const std::size_t index :
                 {(start + step) % outline.size(), (start + outline.size() - step) % outline.size()}) {
                const QPoint candidate = outline[index];
                if (Distance(candidate, was) > kDotSpacing * radius)
                    continue;
                inReach = true;
                if (!drawing.OnLine(candidate) || std::any_of(dots.begin(), dots.end(), [&](const Dot& other) {
                        return &other != &dots[i] && Distance(other.position, candidate) < kDotSpacing * radius;
                    }))
                    continue;
                dots[i].position = candidate;
                if (CleanAround(dots, i, radius) && straying(i) <= strayed && fits())
                    return true;
            }
            if (!inReach)
                break;
        }
        dots[i].position = was;
        return false;
    };

    // First each label outside the figure, dot after dot.
    std::vector<Label> labels;
    for (std::size_t i = 0; i < dots.size(); ++i) {
        std::optional<Label> label = placer.Outside(i, labels);
        if (!label)
            move(i, [&] { return placer.StillPlain(labels) && (label = placer.Outside(i, labels)).has_value(); });
        labels.push_back(label ? *label : Label{});
    }
    // Then the labels as they will be drawn: one that is still not plainly
    // its dot's moves its dot again.
    for (int pass = 0; pass < 2; ++pass) {
        labels = placer.Place();
        bool moved = false;
        for (std::size_t i = 0; i < dots.size(); ++i) {
            if (labels[i].plain)
                continue;
            labels[i] = Label{};
            moved = move(i, [&] {
                        if (!placer.StillPlain(labels))
                            return false;
                        labels[i] = placer.PlaceOne(i, labels);
                        return labels[i].plain;
                    }) ||
                    moved;
            if (!labels[i].plain)
                labels[i] = placer.PlaceOne(i, labels);
        }
        if (!moved)
            break;
    }
    return dots;
}

}  // namespace

std::vector<Dot> PlaceDots(const TracedDrawing& drawing, const DotOptions& options, Placement placement)
{
    const std::vector<QPoint>& outline = drawing.Outline();
    if (outline.size() < 3)
        return {};
    const bool letters = options.style == LabelStyle::UpperLetters || options.style == LabelStyle::LowerLetters;
    const std::size_t wanted = static_cast<std::size_t>(
        std::clamp(options.count, kFewestDots, letters ? kMostLetterDots : kMostDots));
    const double worthADot = kWorthADot * Diagonal(drawing.Extent());
    double radius = DotSizeFor(wanted).radius;
    DotMap dots = Spread(Placer(drawing, radius), wanted, worthADot);
    // An outline too short for the dots asked: the few it holds are a young
    // child's big ones, kept the further apart. Short of that, the spacing asked
    // stands, so that a drawing keeps the dots it holds.
    if (dots.size() <= kFewDots && DotSizeFor(dots.size()).radius > radius) {
        radius = DotSizeFor(dots.size()).radius;
        dots = Spread(Placer(drawing, radius), dots.size(), worthADot);
    }
    if (dots.empty())
        return {};
    const Placer placer(drawing, radius);
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
