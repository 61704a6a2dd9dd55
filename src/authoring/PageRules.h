#pragma once

#include <QPointF>
#include <QRectF>

#include <functional>

namespace vorlane {

// What makes a good page, in one place: the judge measures pages by these
// rules and the tracer places dots and labels by them, so a page the tracer
// makes to a rule is one the judge passes on it.
namespace PageRules {

// The child's line and the outer outline keep within this of each other, in
// parts of the diagonal of the figure's extent.
inline constexpr double kNearOutline = 0.03;
// A piece of a finished drawing smaller than this part of its largest is a
// speck (a bubble, a twinkle): decoration, not outline for the child to follow.
inline constexpr int kSpeck = 50;
// Dots no closer than this many dot radii: each a target of its own, with
// room for its number. It is also the width of a part the eye misses when it
// is left out.
inline constexpr double kDotSpacing = 6;
// A turn sharper than this, in degrees, between two sides longer than
// kLongSide dot radii sends the child back the way they came.
inline constexpr double kTurnBack = 165;
inline constexpr double kLongSide = 2;
// Sharper than this, a turn whose two sides run along one thin part (the
// shorter ends within kThinPart dot radii of the longer, half a dot spacing) is a
// trip out and back.
inline constexpr double kOutAndBack = 135;
inline constexpr double kThinPart = kDotSpacing / 2;
// A label is plainly its dot's when every other dot is at least this many
// times as far from its centre as its own dot.
inline constexpr double kOwnLabel = 1.5;
// Labels of two dots on one line, or one over the other, closer than this,
// in parts of a label's height, read as one number ("4" beside "5" reads
// "45"); side by side, even a little out of line, with no dot between them,
// closer than kLabelsFacing ("2 3" between the horns, each beside its dot
// further out). A label closer than kLabelFromLine to a line reads as part of
// the drawing.
inline constexpr double kLabelsApart = 1;
inline constexpr double kLabelsFacing = 2.5;
inline constexpr double kLabelFromLine = 0.5;
// Room round a label or a dot, in pixels: nothing else is drawn closer.
inline constexpr double kClearance = 2;
// A stroke of a label's size within this many label heights of a dot is read
// as a number.
inline constexpr double kLooseMarkReach = 3;
// At most this share of the outline the child draws is drawn on the dots
// page already: the rest is left to discover.
inline constexpr double kMostGivenAway = 1.0 / 3;
// Nor does a drawn line run beside more than this share of the child's line
// (an outline already there, which the path would only double), nor lines
// inside it add up to more than this many lengths of it (shading, hatching,
// texture hiding the figure). Measured on pages rated by eye.
inline constexpr double kMostDoubled = 0.8;
inline constexpr double kMostClutter = 1.5;
// Nor are more than this many scraps smaller than a label scattered over
// the dots page.
inline constexpr int kMostFlecks = 5;
// Nor more than this many closed shapes narrower than a dot spacing (the
// cells of a texture; a face's eyes and a house's panes are fewer).
inline constexpr int kMostCells = 10;
// Nor more than this many pinholes of paper within its lines, where strokes
// knot and scribble (the library's pages have three at most).
inline constexpr int kMostKnots = 10;
// Nor more than this many blobs where lines meet, wider than a line: the
// tangles of a busy drawing (the library's pages have none; pages rated
// good by eye five at most).
inline constexpr int kMostJoints = 5;
// Nor do strokes thicker than two lines cover more than this many squares
// as wide (a brush's bars, shapes filled heavy; pages rated good by eye ten
// at most).
inline constexpr double kMostThickInk = 20;
// Nor do the clutter, cells, knots, blobs, heavy strokes and scraps, each
// counted in shares of its own limit, add up to more than this: a page near
// two limits at once is as busy as a page past one (the library's pages
// reach about one).
inline constexpr double kMostBusy = 2;
// A blob stands alone, as a dot does, when at most this share of the ring
// round it (between discs of kRingFrom and kRingTo pixels across, centred
// on its edge) is ink; else lines meet there.
inline constexpr double kAloneInk = 0.25;
inline constexpr int kRingFrom = 3;
inline constexpr int kRingTo = 7;
// A blob where lines meet, its centre within this many dot radii of a dot's
// centre, stands against that dot: the child sees a dot drawn twice, or a
// blot over it.
inline constexpr double kBlobBesideDot = 3;
// The child's line runs through the figure no further than this many dot
// radii from an outline.
inline constexpr double kInsideReach = 2;
// Two lines of the picture to colour whose ends come closer than this many
// pixels without touching leave a gap a fill goes through.
inline constexpr double kLeakGap = 3;
// An outline broken by a few times this many dot radii still reads closed to
// the eye; behind the break, a part wider than a dot spacing is figure a fill
// must not reach.
inline constexpr double kBrokenOutline = 1.5;

// Distance from p to the segment a–b.
double SegmentDistance(QPointF p, QPointF a, QPointF b);
// Distance from p to the box (0 inside it).
double BoxDistance(const QRectF& box, QPointF p);
// Distance from the segment a–b to the box (0 when it touches it).
double BoxDistance(const QRectF& box, QPointF a, QPointF b);
// Whether the segments a–b and c–d meet, end on the other included.
bool SegmentsMeet(QPointF a, QPointF b, QPointF c, QPointF d);
// The turn at b on the way a, b, c, in degrees: 0 straight on, 180 straight back.
double Turn(QPointF a, QPointF b, QPointF c);
// Whether the way before, apex, after, with dots of `radius`, goes out along
// a thin part of the figure and straight back (kOutAndBack, kThinPart).
bool OutAndBack(QPointF before, QPointF apex, QPointF after, double radius);
// Whether the labels in boxes a and b, of about `height`, read as one number;
// `dotIn` tells whether a dot of the page stands in a box.
bool ReadAsOne(const QRectF& a, const QRectF& b, double height, const std::function<bool(const QRectF&)>& dotIn);

}  // namespace PageRules
}  // namespace vorlane
