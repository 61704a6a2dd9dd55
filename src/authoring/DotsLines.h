#pragma once

#include "DotPicture.h"
#include "TracedDrawing.h"

#include <QImage>

#include <vector>

namespace vorlane {

// The lines of the dots picture (Grayscale8, 255 on a line): the drawing's inner
// lines and the stretches of its outline the child's line does not follow
// (a tail, whiskers, the stretch between the last dot and the first), without
// anything a child could take for a dot or a number.
QImage DotsLines(const TracedDrawing& drawing, const std::vector<Dot>& dots);

}  // namespace vorlane
