#pragma once

#include "DotPicture.h"
#include "PictureJudge.h"
#include "TracedDrawing.h"

#include <QImage>

#include <vector>

namespace vorlane {

// A traced page as it will be saved, and what the picture judge says of it.
struct JudgedDots {
    std::vector<Dot> dots;
    QImage dotsPicture;  // DrawDotsPicture of the dots
    PageVerdict verdict;

    // Places the dots one by one and judges the page; when it is not good
    // for where the dots are (not for the drawing itself: look-alikes, a
    // leak, a part lost, an outline given away), tries the other placements
    // and keeps the best page: a good one, else the one failing the fewest
    // criteria (the first of those). A page let
    // down only by numbers not plainly their dot's then has those dots moved
    // a little along the outline, where the judge reads them plainly.
    static JudgedDots Place(const TracedDrawing& drawing, const DotOptions& options);

    // The fewest dots, from a ladder of counts, whose page keeps every part of
    // the figure (nothing cut off, the outline followed): what the atelier
    // proposes for a new drawing. The most the style allows when none does.
    static int ProposedCount(const TracedDrawing& drawing, DotOptions options);
};

}  // namespace vorlane
