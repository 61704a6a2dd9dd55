#pragma once

#include <string>

namespace vorlane {

// Paths of content files, joined with "/"; folder paths end with it. Where
// each file lives (the program folder or the user's own) is for
// ContentPlaces to say; the operations below only join strings.

// The running executable's full path, as the system reports it.
std::string ExecutablePath();

// The settings file of an executable: its path with the extension replaced by
// ".ini". Only the file's own name is lower-cased: the folders keep their case,
// which on this file system tells them apart.
std::string SettingsFileNameFor(const std::string& executablePath);

// The path operations of the program folder of ContentPlaces::Current().
std::string ThemesPath();                                // <program>/Themes/
std::string ThemePath(const std::string& name);          // <program>/Themes/<name>/
std::string ThemeFile(const std::string& name);          // <program>/Themes/<name>/theme.dat
std::string AppearancesPath();                           // <program>/Apparences/
std::string AppearancePath(const std::string& name);     // <program>/Apparences/<name>/
std::string AppearanceFile(const std::string& name);     // <program>/Apparences/<name>/apparence.dat

// Content made on another system may spell a file in another letter case
// ("points01.BMP" for "Points01.bmp"). Call this before opening or writing a
// content file: it returns `path` when it exists, otherwise the entry of its
// folder whose name matches without regard to case (the folder itself looked
// up the same way), and `path` unchanged when none does, so that the error then
// names the file the program asked for.
std::string ResolveContentFile(const std::string& path);

}  // namespace vorlane
