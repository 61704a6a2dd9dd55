// The parts of a traced page through what they promise: a gap in a drawn
// outline closed on the picture to colour, a double outline made one line
// for the child to draw; the dots picture keeps the inner
// lines and the stretches the child does not draw, and none that the child
// draws nor a mark the size of a number near a dot nor a line's twigs; the placements that slide and exchange dots never leave the child's
// line farther from the outline than dots placed one by one.
#include "DotPicture.h"
#include "DotStyle.h"
#include "DotsLines.h"
#include "JudgedDots.h"
#include "Straying.h"
#include "TracedDrawing.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>

#include <queue>

namespace vorlane::test {
namespace {

// A sun: a ring of twelve rays (an outline with sharp turns everywhere), a
// line across its middle, and a gap `gap` pixels wide at the top of the
// outline, drawn `width` pixels wide, with `more` drawn over it.
TracedDrawing Sun(int gap, int width = 5, const QString& more = {})
{
    QString points;
    for (int i = 0; i < 24; ++i) {
        const double angle = i * std::numbers::pi / 12 - std::numbers::pi / 2 + 0.02;
        const double radius = i % 2 == 0 ? 180 : 120;
        points += QStringLiteral("%1,%2 ").arg(250 + radius * std::cos(angle)).arg(210 + radius * std::sin(angle));
    }
    const QString svg = QStringLiteral(
                            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"500\" height=\"420\">"
                            "<polyline points=\"%1\" fill=\"none\" stroke=\"black\" stroke-width=\"%2\"/>"
                            "<line x1=\"180\" y1=\"210\" x2=\"320\" y2=\"210\" stroke=\"black\" stroke-width=\"5\"/>%3</svg>")
                            .arg(points + QStringLiteral("%1,%2").arg(250 - gap).arg(30))
                            .arg(width)
                            .arg(more);
    return TracedDrawing::FromBytes(svg.toUtf8(), QStringLiteral("svg"));
}

// A pixel of a Grayscale8 mask is set.
bool Set(const QImage& mask, QPoint p)
{
    return mask.rect().contains(p) && mask.constScanLine(p.y())[p.x()] != 0;
}

// Whether white pixels join `from` to `to` (four-connected).
bool Joined(const QImage& picture, QPoint from, QPoint to)
{
    std::vector<bool> seen(static_cast<std::size_t>(picture.width() * picture.height()));
    std::queue<QPoint> next;
    next.push(from);
    while (!next.empty()) {
        const QPoint p = next.front();
        next.pop();
        if (!picture.rect().contains(p) || seen[static_cast<std::size_t>(p.y() * picture.width() + p.x())] ||
            picture.pixel(p) != qRgb(255, 255, 255))
            continue;
        if (p == to)
            return true;
        seen[static_cast<std::size_t>(p.y() * picture.width() + p.x())] = true;
        for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
            next.push(p + step);
    }
    return false;
}

// The count proposed for a drawing is the fewest that keep it whole: a plain
// disc suits the youngest, a sun's twelve rays need more, and the page at
// the count proposed loses none of them.
TEST(JudgedDots, ProposesTheFewestDotsThatKeepEveryPart)
{
    const QByteArray disc("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"400\" height=\"400\">"
                          "<circle cx=\"200\" cy=\"200\" r=\"160\" fill=\"none\" stroke=\"black\" stroke-width=\"5\"/></svg>");
    const int forDisc = JudgedDots::ProposedCount(TracedDrawing::FromBytes(disc, QStringLiteral("svg")), DotOptions{});
    EXPECT_LE(YoungestAgeFor(static_cast<std::size_t>(forDisc)), 3) << forDisc << " dots for a disc";

    const TracedDrawing sun = Sun(0);
    const int forSun = JudgedDots::ProposedCount(sun, DotOptions{});
    EXPECT_GT(forSun, forDisc);
    DotOptions options;
    options.count = forSun;
    EXPECT_TRUE(JudgedDots::Place(sun, options).verdict[Criterion::Parts].passed) << forSun << " dots for the sun";
}

TEST(TracedDrawing, AGapInTheOutlineIsClosedAndNothingOutsideThePictureIsOnALine)
{
    const TracedDrawing sun = Sun(9);
    const QImage& picture = sun.PictureToColour();
    ASSERT_FALSE(picture.isNull());
    // The middle of the sun, above its inner line, cannot be reached from the page's corner.
    const QPoint middle = sun.Extent().center() - QPoint(0, sun.Extent().height() / 8);
    EXPECT_FALSE(Joined(picture, QPoint(0, 0), middle));

    for (const QPoint outside : {QPoint(-1, 0), QPoint(0, -1), QPoint(picture.width(), 0), QPoint(0, picture.height())})
        EXPECT_FALSE(sun.OnLine(outside)) << outside.x() << "," << outside.y();
    EXPECT_FALSE(TracedDrawing().OnLine(QPoint(0, 0)));

    // A scoop on a cone, its outline broken along a stretch at the top: the
    // cone alone would do for a figure, but the scoop is one to the eye.
    const QByteArray cone("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"400\" height=\"500\">"
                          "<path d=\"M 100 250 L 200 480 L 300 250 Z\" fill=\"none\" stroke=\"black\" stroke-width=\"5\"/>"
                          "<path d=\"M 180 71 A 120 120 0 0 0 80 250 L 320 250 A 120 120 0 0 0 220 71\" fill=\"none\" "
                          "stroke=\"black\" stroke-width=\"5\"/></svg>");
    const TracedDrawing scoop = TracedDrawing::FromBytes(cone, QStringLiteral("svg"));
    const QPoint inScoop = scoop.Extent().topLeft() + QPoint(scoop.Extent().width() / 2, scoop.Extent().height() / 4);
    EXPECT_FALSE(Joined(scoop.PictureToColour(), QPoint(0, 0), inScoop));
}

// Drawn with a fine pen as with a marker: the outline is the
// child's to draw however thick its stroke.
TEST(DotsLines, KeepsWhatTheChildDoesNotDrawAndNothingTheyDo)
{
    for (const int width : {5, 9}) {
        SCOPED_TRACE(width);
        const TracedDrawing sun = Sun(0, width);
        DotOptions options;
        options.count = 24;
        const std::vector<Dot> dots = PlaceDots(sun, options);
        ASSERT_GE(dots.size(), 12u);
        const QImage lines = DotsLines(sun, dots);
        ASSERT_EQ(lines.size(), sun.PictureSize());
        // The inner line stays whole enough to see.
        const QPoint centre = sun.Extent().center();
        int inner = 0;
        for (int dx = -40; dx <= 40; ++dx)
            for (int dy = -6; dy <= 6; ++dy)
                inner += Set(lines, centre + QPoint(dx, dy));
        EXPECT_GT(inner, 80 * 3);
        // Midway along a side the child draws, no line; along the closing stretch, one.
        const auto lineNear = [&](QPointF at) {
            for (int dy = -4; dy <= 4; ++dy)
                for (int dx = -4; dx <= 4; ++dx)
                    if (Set(lines, at.toPoint() + QPoint(dx, dy)))
                        return true;
            return false;
        };
        int drawnSides = 0;
        for (std::size_t i = 0; i + 1 < dots.size(); ++i)
            drawnSides += lineNear((QPointF(dots[i].position) + QPointF(dots[i + 1].position)) / 2);
        EXPECT_EQ(drawnSides, 0);
        const QPointF closing = (QPointF(dots.back().position) + QPointF(dots.front().position)) / 2;
        const std::vector<QPoint>& outline = sun.Outline();
        EXPECT_TRUE(std::any_of(outline.begin(), outline.end(), [&](QPoint p) {
            return QLineF(QPointF(p), closing).length() < 40 && Set(lines, p);
        })) << "the stretch from the last dot to the first stays drawn";
    }
}

// A stroke the size of a number near a dot (a tick, a stray mark) is left to
// the picture to colour: on the dots page it reads as the dot's number.
TEST(DotsLines, LeavesAMarkTheSizeOfANumberNearADotOff)
{
    const double valley = std::numbers::pi / 12 - std::numbers::pi / 2 + 0.02;
    const QPointF at(250 + 95 * std::cos(valley), 210 + 95 * std::sin(valley));
    const TracedDrawing sun = Sun(0, 5,
                                  QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%2\" stroke=\"black\" "
                                                 "stroke-width=\"4\"/>")
                                      .arg(at.x() - 4)
                                      .arg(at.y())
                                      .arg(at.x() + 4));
    const TracedDrawing plain = Sun(0);
    DotOptions options;
    options.count = 24;
    const std::vector<Dot> dots = PlaceDots(plain, options);
    ASSERT_NE(sun.Lines(), plain.Lines());
    EXPECT_EQ(DotsLines(sun, dots), DotsLines(plain, dots));
}

// Short strokes branching off a line and ending free (the teeth of a comb
// of hatching, the twigs of a stem traced from its bark) read as a
// scribble: they go, the line and a long branch off it stay.
TEST(DotsLines, LeavesTheTwigsOfALineOff)
{
    QString branches;
    for (const int x : {200, 230, 260})
        branches += QStringLiteral("<line x1=\"%1\" y1=\"210\" x2=\"%1\" y2=\"224\" stroke=\"black\" "
                                   "stroke-width=\"5\"/>")
                        .arg(x);
    branches += QStringLiteral("<line x1=\"290\" y1=\"210\" x2=\"290\" y2=\"280\" stroke=\"black\" stroke-width=\"5\"/>");
    const TracedDrawing comb = Sun(0, 5, branches);
    DotOptions options;
    options.count = 24;
    const QImage lines = DotsLines(comb, PlaceDots(comb, options));
    // Ink within three pixels of a point of the drawing, as the page places
    // it: the sun's rays reach 180 from its centre.
    const auto inkAt = [&](double x, double y) {
        const double scale = comb.Extent().width() / 360.0;
        const QPoint at = (QPointF(comb.Extent().center()) + QPointF(x - 250, y - 210) * scale).toPoint();
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx)
                if (Set(lines, at + QPoint(dx, dy)))
                    return true;
        return false;
    };
    for (const int x : {200, 230, 260}) {
        EXPECT_FALSE(inkAt(x, 221)) << "the tooth at " << x;
        EXPECT_TRUE(inkAt(x, 210)) << "the line at " << x;
    }
    EXPECT_TRUE(inkAt(290, 270)) << "the long branch";
}

// An outline drawn twice, close (or a thick stroke traced as its own
// outline), is one line on the picture to colour, the child's to draw: no
// inner copy left on the dots page for the child's line to double.
TEST(TracedDrawing, ADoubleOutlineIsOneLineForTheChildToDraw)
{
    const QByteArray rings("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"400\" height=\"400\">"
                           "<circle cx=\"200\" cy=\"200\" r=\"160\" fill=\"none\" stroke=\"black\" stroke-width=\"5\"/>"
                           "<circle cx=\"200\" cy=\"200\" r=\"150\" fill=\"none\" stroke=\"black\" stroke-width=\"5\"/>"
                           "<circle cx=\"200\" cy=\"200\" r=\"40\" fill=\"none\" stroke=\"black\" stroke-width=\"5\"/></svg>");
    DotOptions options;
    options.count = 20;
    const PageVerdict verdict = JudgedDots::Place(TracedDrawing::FromBytes(rings, QStringLiteral("svg")), options).verdict;
    EXPECT_LT(verdict.alongside, 0.2) << verdict.Line();
    EXPECT_TRUE(verdict.Good()) << verdict.Line();
}

// Sliding and exchanging dots never makes the polygon through them stray
// farther from the outline (which stretch is left to the child to skip, from
// the last dot to the first, may change); the dots stay on the lines.
TEST(PlaceDots, SlidAndExchangedDotsFollowTheOutlineAtLeastAsCloseAsOneByOne)
{
    const TracedDrawing sun = Sun(0);
    DotOptions options;
    options.count = 14;  // fewer than the sun's turns: where they go matters
    const auto straying = [&](Placement placement, std::vector<Dot>& dots) {
        dots = PlaceDots(sun, options, placement);
        return StrayingPercent(sun, dots, QImage(), Path::Closed);
    };
    std::vector<Dot> first;
    const double oneByOne = straying(Placement::OneByOne, first);
    for (const Placement placement : {Placement::Mended, Placement::Settled, Placement::Evened}) {
        SCOPED_TRACE(static_cast<int>(placement));
        std::vector<Dot> dots;
        EXPECT_LE(straying(placement, dots), oneByOne + 0.5);
        EXPECT_EQ(dots.size(), first.size());
        for (const Dot& dot : dots)
            EXPECT_TRUE(sun.OnLine(dot.position));
    }
}

}  // namespace
}  // namespace vorlane::test
