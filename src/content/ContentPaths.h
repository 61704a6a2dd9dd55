#pragma once

#include <string>

namespace vorlane {

// Everything the program reads lies beside the executable, in its program
// folder. Paths are joined with "/", and folder paths end with it.

// The program folder, ending with "/": the executable's folder unless set.
const std::string& ProgramFolder();
// Makes `folder` the program folder (tests, and tools that work on an installed copy).
void SetProgramFolder(const std::string& folder);

// The running executable's full path, as the system reports it.
std::string ExecutablePath();

// The settings file of an executable: its path with the extension replaced by
// ".ini". Only the file's own name is lower-cased: the folders keep their case,
// which on this file system tells them apart.
std::string SettingsFileNameFor(const std::string& executablePath);

// Path operations: each joins strings and nothing else (no check that the
// path exists, no change of case).
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
