#pragma once

#include <QImage>

namespace vorlane {

class TDIB;

// The bitmap's own pixels seen as a QImage, without a copy: indexed bitmaps
// as 8-bit indexed images with their palette, the others as BGR rows. The
// image reads `bitmap`'s memory, so it must not outlive any change to it.
// An empty bitmap gives a null image.
QImage DibImage(const TDIB& bitmap);

}  // namespace vorlane
