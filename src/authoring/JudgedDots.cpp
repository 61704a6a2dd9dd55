#include "JudgedDots.h"

#include "DotStyle.h"
#include "PageRules.h"

#include <algorithm>
#include <utility>

namespace vorlane {

namespace {

// Places tried for a dot whose number is not plainly its own, and for all of
// them together: each is a page judged again, and a page whose numbers
// fail for a stray mark of the drawing is not mended by moving dots.
constexpr int kMostTries = 6;
constexpr int kMostLabelTries = 12;

std::size_t Failed(const PageVerdict& verdict)
{
    return static_cast<std::size_t>(
        std::count_if(verdict.criteria.begin(), verdict.criteria.end(), [](const CriterionResult& c) { return !c.passed; }));
}

// Good but for some numbers.
bool OnlyLabels(const PageVerdict& verdict)
{
    return !verdict[Criterion::Labels].passed && Failed(verdict) == 1;
}

// Failing only for where the dots are: another placement may mend it. Look-
// alikes, leaks and sizes stay wherever the dots go, and a part lost or an
// outline already drawn asks for another count or a rubbed-out drawing, not
// other places: a page failing for one of those is not good anywhere.
bool Mendable(const PageVerdict& verdict)
{
    for (const Criterion criterion : {Criterion::LookAlikes, Criterion::Sizes, Criterion::Parts,
                                      Criterion::GivenAway, Criterion::Colouring})
        if (!verdict[criterion].passed)
            return false;
    return !verdict.Good();
}

// The outline between the two neighbours of each dot that sends the child
// out along a thin part and back: the part's tip and both its sides, which
// the child's line had better cut across at the part's foot, leaving it
// drawn. Empty when no dot does.
std::vector<bool> ThinParts(const TracedDrawing& drawing, const std::vector<Dot>& dots)
{
    const std::size_t n = drawing.Outline().size();
    const double radius = DotSizeFor(dots.size()).radius;
    std::vector<bool> skipped;
    for (std::size_t i = 1; i + 1 < dots.size(); ++i) {
        if (!PageRules::OutAndBack(dots[i - 1].position, dots[i].position, dots[i + 1].position, radius))
            continue;
        skipped.resize(n, false);
        // Round the outline from one neighbour to the other, the way that passes the tip.
        std::size_t from = drawing.OutlineIndexNear(dots[i - 1].position);
        std::size_t to = drawing.OutlineIndexNear(dots[i + 1].position);
        const std::size_t tip = drawing.OutlineIndexNear(dots[i].position);
        if ((tip + n - from) % n > (to + n - from) % n)
            std::swap(from, to);
        for (std::size_t k = (from + 1) % n; k != to; k = (k + 1) % n)
            skipped[k] = true;
    }
    return skipped;
}

JudgedDots Judge(const TracedDrawing& drawing, std::vector<Dot> dots, const DotOptions& options)
{
    JudgedDots page;
    page.dots = std::move(dots);
    page.dotsPicture = DrawDotsPicture(drawing, page.dots, options);
    JudgedPage judged{page.dotsPicture, drawing.PictureToColour(), {}, options.lineWidth};
    for (const Dot& dot : page.dots)
        judged.dots.push_back(dot.position);
    page.verdict = PictureJudge::Judge(judged);
    return page;
}

}  // namespace

JudgedDots JudgedDots::Place(const TracedDrawing& drawing, const DotOptions& options)
{
    JudgedDots best = Judge(drawing, PlaceDots(drawing, options), options);
    for (const Placement placement : {Placement::Mended, Placement::Settled, Placement::Evened}) {
        if (!Mendable(best.verdict))
            break;
        JudgedDots other = Judge(drawing, PlaceDots(drawing, options, placement), options);
        if (other.verdict.Good() || Failed(other.verdict) < Failed(best.verdict))
            best = std::move(other);
    }
    // A dot at the tip of a thin part sends the child out along it and
    // back: placed again without a dot along the part, the child's line cuts
    // across its foot and the part stays drawn, like a tail. Worth it on a
    // page that fails for its drawing too: the parent may rub that out.
    if (const std::vector<bool> thin = ThinParts(drawing, best.dots); !thin.empty()) {
        JudgedDots other = Judge(drawing, PlaceDots(drawing, options, Placement::OneByOne, thin), options);
        // As many faults, but the path mended and the drawing's left, is better too.
        const bool pathMended = !best.verdict[Criterion::CleanPath].passed && other.verdict[Criterion::CleanPath].passed;
        if (other.verdict.Good() || Failed(other.verdict) < Failed(best.verdict) ||
            (pathMended && Failed(other.verdict) == Failed(best.verdict)))
            best = std::move(other);
    }
    // Numbers that are still not plainly their dot's, on a page good
    // otherwise: each of their dots moves along the outline to where the
    // judge reads its number plainly.
    const std::vector<int> doubtful = best.verdict[Criterion::Labels].dots;
    int tries = 0;
    for (const int number : doubtful) {
        if (!OnlyLabels(best.verdict))
            break;
        const auto i = static_cast<std::size_t>(number - 1);
        for (const QPoint place : PlacesNear(drawing, best.dots, i, kMostTries)) {
            if (++tries > kMostLabelTries)
                return best;
            std::vector<Dot> moved = best.dots;
            moved[i].position = place;
            JudgedDots other = Judge(drawing, std::move(moved), options);
            if (other.verdict.Good() || (OnlyLabels(other.verdict) && other.verdict[Criterion::Labels].figure <
                                                                          best.verdict[Criterion::Labels].figure)) {
                best = std::move(other);
                break;
            }
        }
    }
    return best;
}

int JudgedDots::ProposedCount(const TracedDrawing& drawing, DotOptions options)
{
    const bool letters = options.style == LabelStyle::UpperLetters || options.style == LabelStyle::LowerLetters;
    const int most = letters ? kMostLetterDots : kMostDots;
    for (const int count : {6, 8, 10, 12, 15, 18, 20, 24, 28, 34, 40, 50, 60}) {
        if (count >= most)
            break;
        options.count = count;
        const JudgedDots page = Judge(drawing, PlaceDots(drawing, options), options);
        if (page.verdict[Criterion::Similarity].passed && page.verdict[Criterion::Parts].passed)
            return count;
    }
    return most;
}

}  // namespace vorlane
