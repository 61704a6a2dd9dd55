#pragma once

#include <string>
#include <vector>

namespace vorlane {

// Everything the program reads lies beside the executable, in its program
// folder. Paths are joined with "/", and folder paths end with it.
//
// Where the user's things go depends on that folder. When the user may write
// it (a portable folder, build/, an install under the home folder), the
// settings, ticks, printable marks and coloured pictures are kept in it, as
// always. When not (a package under /usr), each user has a folder of their
// own, $XDG_DATA_HOME/vorlane (~/.local/share/vorlane by default), laid out
// like a program folder: the settings file, Themes/ and Apparences/. Content
// is then read from the user's folder first and from the program folder next,
// and every write goes to the user's folder. Only the functions below know
// which way the program runs.

// The program folder, ending with "/": the executable's folder unless set.
const std::string& ProgramFolder();
// Makes `folder` the program folder, and chooses where the user's things go:
// in it when the effective user may write it, else in the user's own folder
// (made, with its Themes/ and Apparences/, when missing).
void SetProgramFolder(const std::string& folder);
// The user's own folder, ending with "/", when the program folder is shared;
// empty when the program folder is the user's.
const std::string& UserFolder();

// The running executable's full path, as the system reports it.
std::string ExecutablePath();

// The settings file of an executable: its path with the extension replaced by
// ".ini". Only the file's own name is lower-cased: the folders keep their case,
// which on this file system tells them apart.
std::string SettingsFileNameFor(const std::string& executablePath);
// The settings file this user reads and writes: SettingsFileNameFor's, or the
// file of that name in the user's own folder.
std::string UserSettingsFile(const std::string& executablePath);

// Path operations in the program folder: each joins strings and nothing else
// (no check that the path exists, no change of case).
std::string ThemesPath();                                // <program>/Themes/
std::string ThemePath(const std::string& name);          // <program>/Themes/<name>/
std::string ThemeFile(const std::string& name);          // <program>/Themes/<name>/theme.dat
std::string AppearancesPath();                           // <program>/Apparences/
std::string AppearancePath(const std::string& name);     // <program>/Apparences/<name>/
std::string AppearanceFile(const std::string& name);     // <program>/Apparences/<name>/apparence.dat

// The theme and appearance folder names to list: the user's, then those of
// the program folder that the user's do not hold under any letter case, each
// in its folder's order; hidden entries (a name starting with ".") left out.
std::vector<std::string> ThemeFolderNames();
std::vector<std::string> AppearanceFolderNames();

// The folders a theme's files are read from, the first found wins: the
// user's then the program's, or the program's alone.
std::vector<std::string> ThemeFolders(const std::string& name);

// A content file to read: the first of the package's folders that holds it,
// under any letter case; else its path in the last one, for the error message.
std::string ThemeContentFile(const std::string& theme, const std::string& file);
std::string AppearanceContentFile(const std::string& appearance, const std::string& file);

// The folder where a theme's new and changed files are written, the first of
// ThemeFolders: new themes and the pictures added to a theme go here too.
std::string WritableThemePath(const std::string& name);
// A file of what the user did with a theme (its description file with the
// ticks and marks, the coloured pictures): in WritableThemePath, under any letter case.
std::string ThemeUserFile(const std::string& theme, const std::string& file);
// ThemeUserFile, with its folder made first when it lies in the user's folder.
std::string ThemeFileToWrite(const std::string& theme, const std::string& file);
// Makes the missing folders above `path` when it lies in the user's folder;
// never anything in the program folder. A refusal shows as the write's own error.
void CreateUserFoldersFor(const std::string& path);

// Content made on another system may spell a file in another letter case
// ("points01.BMP" for "Points01.bmp"). Call this before opening or writing a
// content file: it returns `path` when it exists, otherwise the entry of its
// folder whose name matches without regard to case (the folder itself looked
// up the same way), and `path` unchanged when none does, so that the error then
// names the file the program asked for.
std::string ResolveContentFile(const std::string& path);

}  // namespace vorlane
