#include "atelier/PageFaults.h"

#include <algorithm>

namespace vorlane {

namespace {

// Marks closer than this, in pixels, ring one place.
constexpr int kSamePlace = 32;

}  // namespace

PageFaults PageFaults::Of(const PageVerdict& verdict, const TracedDrawing& drawing, const std::vector<Dot>& dots,
                          const DotOptions& options)
{
    PageFaults faults;
    faults.openings = drawing.Openings();
    faults.good = verdict.Good() && faults.openings.empty();
    if (faults.openings.empty()) {
        faults.line = verdict.Line();
    } else {
        // The judge reads the pages as saved; that the rubber opened the
        // outline only the drawing knows.
        std::vector<std::string> reasons = verdict.Reasons();
        reasons.push_back("la gomme a ouvert le contour de l'image à colorier : la couleur en déborderait");
        faults.line = "Qualité : à revoir — ";
        for (std::size_t i = 0; i < reasons.size(); ++i)
            faults.line += (i == 0 ? "" : " ; ") + reasons[i];
        const std::string advice = verdict.Good() ? "Annulez ce coup de gomme (Ctrl+Z)." : verdict.suggestion;
        faults.line += "." + (advice.empty() ? "" : " " + advice);
    }

    std::vector<int> named;
    std::vector<int> labelled;
    for (std::size_t i = 0; i < kCriteria; ++i) {
        const CriterionResult& result = verdict.criteria[i];
        if (result.passed)
            continue;
        named.insert(named.end(), result.dots.begin(), result.dots.end());
        // A break shows on the picture to colour (once: the rubber's opening
        // is one the judge sees too), a crumb on the dots page.
        std::vector<QPoint>& marks = static_cast<Criterion>(i) == Criterion::Colouring ? faults.openings : faults.places;
        for (const QPoint place : result.places)
            if (std::none_of(marks.begin(), marks.end(),
                             [&](QPoint mark) { return (mark - place).manhattanLength() < kSamePlace; }))
                marks.push_back(place);
        if (static_cast<Criterion>(i) == Criterion::Labels)
            labelled.insert(labelled.end(), result.dots.begin(), result.dots.end());
    }
    const auto known = [&](int dot) { return dot >= 1 && dot <= static_cast<int>(dots.size()); };
    std::sort(named.begin(), named.end());
    named.erase(std::unique(named.begin(), named.end()), named.end());
    for (const int dot : named)
        if (known(dot))
            faults.dots.push_back(dots[static_cast<std::size_t>(dot - 1)].position);
    if (std::any_of(labelled.begin(), labelled.end(), known)) {
        const std::vector<QRectF> boxes = LabelBoxes(drawing, dots, options);
        std::sort(labelled.begin(), labelled.end());
        labelled.erase(std::unique(labelled.begin(), labelled.end()), labelled.end());
        for (const int dot : labelled)
            if (known(dot) && static_cast<std::size_t>(dot) <= boxes.size())
                faults.labels.push_back(boxes[static_cast<std::size_t>(dot - 1)]);
    }
    return faults;
}

}  // namespace vorlane
