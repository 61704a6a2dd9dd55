#pragma once

#include <QIcon>
#include <QPixmap>

namespace vorlane {

// The launcher's 180 x 60 logo: a star of numbered dots being joined, and a
// row of crayons. Drawn by code, so the program ships no binary picture.
QPixmap LogoPicture();

// The program's icon: the joined star alone, at the usual icon sizes.
QIcon ApplicationIcon();

}  // namespace vorlane
