#pragma once

#include <QImage>

namespace vorlane::test {

// How stair-stepped the lines of a printed page are. Each row and each column
// is walked; every place where the grey level crosses the middle is one edge
// crossing, and the darker pixel of the two is its edge pixel. The result is
// the share of those edge pixels whose gradient (Sobel) lies within
// `toleranceDegrees` of horizontal or vertical. A stretched bitmap's steps
// make most edges axis-aligned; a smooth curve gives a share near that of
// its few straight horizontal and vertical strokes. -1 for a page without edges.
double AxisAlignedEdgeShare(const QImage& page, double toleranceDegrees = 5.0);

}  // namespace vorlane::test
