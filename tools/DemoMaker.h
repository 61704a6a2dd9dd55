#pragma once

#include "AppearanceArt.h"
#include "PictureArt.h"

#include "content/ContentPlaces.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorlane {

// The demo content as the data files built into the tool describe it.
std::vector<ThemeRecipe> DemoThemes();
std::vector<AppearanceRecipe> DemoAppearances();

// Writes the demo appearance and the demo themes, drawn from the data files
// built into the tool, under `programDir`/Apparences and `programDir`/Themes,
// and a small image of every finished picture for the help under
// `programDir`/Aide/vignettes, named by ThumbnailFileName.
// A theme made again keeps the launcher's tick and the pictures' printable marks.
// With a `previewDir`, also writes PNG copies of every image and mock game
// screens there, for people to look at. Raises EVorlaneError.
void MakeDemo(const std::string& programDir, const std::string& previewDir = {});

// "Vehicules-03.png": the help's small image of picture `n` of a demo theme.
std::string ThumbnailFileName(const QString& themeFolder, std::uint32_t n);

// Reads a theme data file (the demo themes' format), draws it and writes it
// among the user's themes of `places` as MakeDemo writes its themes; returns
// the theme's folder. A name the user's themes cannot take (a shared theme's,
// in any letter case) is refused before any drawing; every picture is drawn
// before anything is written, so a refused file leaves nothing behind. With a
// `previewDir`, also writes PNG copies of the pictures there. Raises
// EFOpenError, EDemoDataError, EVorlaneError or EWriteError.
std::string MakeTheme(const std::string& dataFile, const ContentPlaces& places, const std::string& previewDir = {});

}  // namespace vorlane
