#pragma once

#include "DotPicture.h"
#include "TracedDrawing.h"

#include "content/ContentPlaces.h"

#include <string>
#include <vector>

namespace vorlane {

// The themes this user can add a picture to, in name order: every theme of a
// portable program folder, their own themes when it is shared.
std::vector<std::string> ThemeNames(const ContentPlaces& places);

// Why `theme` cannot take this user's pictures, in French: a name that is no
// folder name, or a theme of a shared program folder in any letter case.
// Empty when it can. Asked before any work is done.
std::string ThemeNameRefusal(const ContentPlaces& places, const std::string& theme);

// Appends one picture to this user's theme `theme` (the theme is created,
// not ticked, when the name is new) under the name `pictureName` (kept as
// TitreValue makes it) and returns its number; with `replacing`, a picture this
// function wrote earlier is written again under its number. The new files
// appear whole before theme.dat counts them; no other picture's files or marks
// are touched, and theme.dat is read and written again under the theme
// folder's lock, so that a tick or a mark written meanwhile stays and two
// writers never take the same number. The source drawing, the dots and the
// options are kept beside the picture for ReopenPicture. Raises EVorlaneError
// (French) on a refused name or a refused write, leaving the theme as it was.
int AddPictureToTheme(const ContentPlaces& places, const std::string& theme, const std::string& pictureName,
                      const TracedDrawing& drawing, const std::vector<Dot>& dots, const DotOptions& options, int replacing = 0);

// A picture made by AddPictureToTheme, read back for editing.
struct ReopenedPicture {
    TracedDrawing drawing;
    std::vector<Dot> dots;
    DotOptions options;
    std::string pictureName;
};
// Raises EVorlaneError when the picture was not made by the atelier.
ReopenedPicture ReopenPicture(const ContentPlaces& places, const std::string& theme, int picture);
// The pictures of a theme that ReopenPicture can open, with their names.
std::vector<std::pair<int, std::string>> ReopenablePictures(const ContentPlaces& places, const std::string& theme);

}  // namespace vorlane
