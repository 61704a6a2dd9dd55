#pragma once

#include "DotPicture.h"
#include "TracedDrawing.h"

#include <vector>

namespace vorlane {

// Where a label has no room beside its dot outside the figure, the dot moves
// along the outline to where it has, rather than a number being printed
// where it could be read as another dot's.
std::vector<Dot> MakeRoomForLabels(const TracedDrawing& drawing, std::vector<Dot> dots, const DotOptions& options);

}  // namespace vorlane
