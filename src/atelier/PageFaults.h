#pragma once

#include "authoring/DotPicture.h"
#include "authoring/PictureJudge.h"

#include <QPoint>
#include <QRectF>

#include <string>
#include <vector>

namespace vorlane {

// What the atelier shows of a page's verdict: the line under the picture and
// where the faults are, marked on the preview only, never on the pages saved.
struct PageFaults {
    bool good = true;
    std::string line;              // the judge's line, told too when the rubber opened the picture to colour
    std::vector<QPoint> dots;      // the dots any failed criterion names, each once
    std::vector<QRectF> labels;    // the labels of those the labels criterion names
    std::vector<QPoint> openings;  // where the picture to colour lets the outside in
    std::vector<QPoint> places;    // what else is at fault on the dots page (crumbs)

    static PageFaults Of(const PageVerdict& verdict, const TracedDrawing& drawing, const std::vector<Dot>& dots,
                         const DotOptions& options);
};

}  // namespace vorlane
