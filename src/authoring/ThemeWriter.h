#pragma once

#include "DotPicture.h"
#include "TracedDrawing.h"

#include <string>
#include <vector>

namespace vorlane {

// The one place that says where a theme of a program folder lives (with an
// empty name, the folder of the themes), so that a read-only installation
// can send the writes elsewhere.
std::string ThemeFolderPath(const std::string& programDir, const std::string& theme);

// The themes a picture can be added to: the theme folders of the program
// folder, in name order.
std::vector<std::string> ThemeNames(const std::string& programDir);

// Appends one picture to theme `theme` of the program folder (the theme is
// created, not ticked, when the name is new) and returns its number; with `replacing`, a
// picture this function wrote earlier is written again under its number. The new files appear
// whole before theme.dat counts them; no other picture's files or marks are
// touched. The source drawing, the dots and the options are kept beside the
// picture for ReopenPicture. Raises EVorlaneError (French) on a bad name or a
// refused write, leaving the theme as it was.
int AddPictureToTheme(const std::string& programDir, const std::string& theme, const std::string& pictureName,
                      const TracedDrawing& drawing, const std::vector<Dot>& dots, const DotOptions& options, int replacing = 0);

// A picture made by AddPictureToTheme, read back for editing.
struct ReopenedPicture {
    TracedDrawing drawing;
    std::vector<Dot> dots;
    DotOptions options;
    std::string pictureName;
};
// Raises EVorlaneError when the picture was not made by the atelier.
ReopenedPicture ReopenPicture(const std::string& programDir, const std::string& theme, int picture);
// The pictures of a theme that ReopenPicture can open, with their names.
std::vector<std::pair<int, std::string>> ReopenablePictures(const std::string& programDir, const std::string& theme);

}  // namespace vorlane
