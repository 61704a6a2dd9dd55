#include "DotPlacer.h"

#include "OutlineMeasures.h"
#include "PageRules.h"

#include <QLineF>
#include <QPointF>

#include <algorithm>
#include <cmath>
#include <utility>

namespace vorlane {

using namespace PageRules;

namespace {

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

}  // namespace

DotPlacer::DotPlacer(const TracedDrawing& drawing, double radius, std::vector<bool> skipped)
    : m_drawing(drawing), m_outline(drawing.Outline()), m_radius(radius), m_skipped(std::move(skipped))
{
}

Stretch DotPlacer::Measure(std::size_t from, std::size_t to) const
{
    Stretch stretch;
    const QPointF a(m_outline[from]), b(m_outline[to]);
    for (std::size_t step = 1; step < Span(from, to); ++step) {
        const std::size_t i = At(from, step);
        if (Skipped(i))
            continue;
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

bool DotPlacer::HasRoom(std::size_t candidate, const DotMap& dots) const
{
    return !Skipped(candidate) && m_drawing.OnLine(m_outline[candidate]) &&
           std::all_of(dots.begin(), dots.end(), [&](const auto& dot) {
               return dot.first == candidate || Distance(m_outline[dot.first], m_outline[candidate]) >= kDotSpacing * m_radius;
           });
}

std::optional<std::size_t> DotPlacer::RoomNear(std::size_t from, std::size_t to, std::size_t wanted,
                                                const DotMap& dots) const
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

bool DotPlacer::IsCorner(std::size_t i) const
{
    constexpr std::size_t kReach = 6;
    if (Count() < 4 * kReach)
        return false;
    return Turn(QPointF(m_outline[At(i, Count() - kReach)]), QPointF(m_outline[i]),
                QPointF(m_outline[At(i, kReach)])) > 180 / 3.5;
}

std::set<std::size_t> DotPlacer::Troubles(const DotMap& dots) const
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

DotMap Spread(const DotPlacer& placer, std::size_t wanted, double worthADot)
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

void Settle(const DotPlacer& placer, DotMap& dots, double enough)
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

void Exchange(const DotPlacer& placer, DotMap& dots, double unfollowable)
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

}  // namespace vorlane
