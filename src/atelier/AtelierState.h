#pragma once

#include "authoring/DotPicture.h"
#include "authoring/TracedDrawing.h"

#include <memory>
#include <vector>

namespace vorlane {

// Everything the atelier's undo brings back: the drawing (opening another one
// can be undone too), its dots and the options of the dots picture.
struct AtelierState {
    std::shared_ptr<const TracedDrawing> drawing;
    std::vector<Dot> dots;
    DotOptions options;
    int proposedCount = 0;  // the fewest dots that keep every part of the drawing
};

}  // namespace vorlane
