#include "LabelRoom.h"

#include "DotPlacer.h"
#include "DotStyle.h"
#include "DotsLines.h"
#include "LabelPlacer.h"
#include "OutlineMeasures.h"
#include "PageRules.h"

#include <QPointF>

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>

namespace vorlane {

using namespace PageRules;

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

}  // namespace

std::vector<Dot> MakeRoomForLabels(const TracedDrawing& drawing, std::vector<Dot> dots, const DotOptions& options)
{
    const std::vector<QPoint>& outline = drawing.Outline();
    const double radius = DotSizeFor(dots.size()).radius;
    // The lines of the page leave out what the child's line follows and make
    // way for the dots: once a dot moved they are drawn again, so that the
    // labels are judged against the lines as they will be drawn.
    std::optional<LabelPlacer> placer;
    const auto draw = [&] { placer.emplace(drawing, dots, options, DotsLines(drawing, dots)); };
    draw();
    bool moved = false;  // since the lines were drawn
    const DotPlacer stretches(drawing, radius);
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
        std::optional<Label> label = placer->Outside(i, labels);
        if (!label)
            moved = move(i, [&] {
                        return placer->StillPlain(labels) && (label = placer->Outside(i, labels)).has_value();
                    }) ||
                    moved;
        labels.push_back(label ? *label : Label{});
    }
    // Then the labels as they will be drawn: one that is still not plainly
    // its dot's moves its dot again.
    for (int pass = 0; pass < 2; ++pass) {
        if (moved)
            draw();
        moved = false;
        labels = placer->Place();
        for (std::size_t i = 0; i < dots.size(); ++i) {
            if (labels[i].plain)
                continue;
            labels[i] = Label{};
            moved = move(i, [&] {
                        if (!placer->StillPlain(labels))
                            return false;
                        labels[i] = placer->PlaceOne(i, labels);
                        return labels[i].plain;
                    }) ||
                    moved;
            if (!labels[i].plain)
                labels[i] = placer->PlaceOne(i, labels);
        }
        if (!moved)
            break;
    }
    return dots;
}

}  // namespace vorlane
