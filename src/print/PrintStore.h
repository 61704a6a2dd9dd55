#pragma once

#include <string>

namespace vorlane {

// The printable mark of a picture: the key "Imprimer" in the picture's section
// ("Image07") of its theme's theme.dat. Any non-zero integer is set; a missing
// file, section or key, or a value that is not a number, is not set.
bool ReadPrintableMark(const std::string& themeFile, const std::string& pictureName);
// Writes "1" (the game, when the last dot is joined) or "0" (the print manager,
// when the picture to colour is removed); the key stays in the file.
void WritePrintableMark(const std::string& themeFile, const std::string& pictureName, bool printable);

// The print manager's file names, made from a picture name by replacing every
// "Image", in any letter case: "Image07" gives "Points07.bmp", "Image07.bmp" and
// "Couleur07.bmz".
std::string DotsFileName(const std::string& pictureName);
std::string PictureFileName(const std::string& pictureName);
std::string ArchiveFileName(const std::string& pictureName);

}  // namespace vorlane
