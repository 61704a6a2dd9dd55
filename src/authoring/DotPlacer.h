#pragma once

#include "TracedDrawing.h"

#include <QPoint>

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace vorlane {

// A stretch of the outline between two dots.
struct Stretch {
    double deviation = 0;   // how far the outline strays from the straight line between the dots
    std::size_t farthest = 0;
    bool exhausted = false;  // no room for another dot
};

using DotMap = std::map<std::size_t, Stretch>;  // outline index -> the stretch to the next dot

// Where dots of a given radius can go on the outline of a drawing, and how
// far the path between them strays from it. Dots are outline indices. The
// outline points `skipped` (true) get no dot, and the path need not follow
// them: a thin part the path goes across, left drawn.
class DotPlacer {
public:
    DotPlacer(const TracedDrawing& drawing, double radius, std::vector<bool> skipped = {});

    std::size_t Count() const { return m_outline.size(); }
    std::size_t Length(std::size_t from, std::size_t to) const { return (to + Count() - from) % Count(); }
    std::size_t At(std::size_t from, std::size_t step) const { return (from + step) % Count(); }
    // The steps of a stretch: a single dot's goes all the way round.
    std::size_t Span(std::size_t from, std::size_t to) const { return from == to ? Count() : Length(from, to); }
    QPoint Point(std::size_t i) const { return m_outline[i]; }

    // How far the straight line between two dots and the outline between
    // them stray from each other both ways; where the outline strays most.
    Stretch Measure(std::size_t from, std::size_t to) const;

    // A dot can go on a line of the drawing, kDotSpacing dot radii from every other dot.
    bool HasRoom(std::size_t candidate, const DotMap& dots) const;

    // The point of the stretch nearest `wanted` (by steps) where a dot has room.
    std::optional<std::size_t> RoomNear(std::size_t from, std::size_t to, std::size_t wanted, const DotMap& dots) const;

    bool IsCorner(std::size_t i) const;

    // The stretches (by their first dot) of the closed path that cross
    // another, or meet the next in a turn back.
    std::set<std::size_t> Troubles(const DotMap& dots) const;

private:
    const TracedDrawing& m_drawing;
    const std::vector<QPoint>& m_outline;
    double m_radius;
    std::vector<bool> m_skipped;

    bool Skipped(std::size_t i) const { return i < m_skipped.size() && m_skipped[i]; }
};

// Dots on the outline, up to `wanted`, each where the path strays most from
// the outline, stretches that cross or turn back first.
DotMap Spread(const DotPlacer& placer, std::size_t wanted, double worthADot);

// Added one by one, the dots can leave the path straying where an early dot
// landed badly: a dot ending a stretch that strays more than `enough` slides
// between its neighbours to where the two stretches it ends stray least,
// until no slide helps. The other dots stay where they are.
void Settle(const DotPlacer& placer, DotMap& dots, double enough);

// Dots spread one by one can crowd where the outline is easy and run short
// where it is intricate: the dot whose going costs least moves to where the
// path strays most, while that brings the path closer. A stretch straying
// more than `unfollowable` goes between the last dot and the first.
void Exchange(const DotPlacer& placer, DotMap& dots, double unfollowable);

}  // namespace vorlane
