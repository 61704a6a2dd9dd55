#pragma once

#include "base/Errors.h"

#include <string>
#include <vector>

namespace vorlane {

class IniFile;

// This user has no folder of their own to keep their things in while the
// program folder is shared: no absolute home, or one where the folder cannot
// be made. Nothing is written then.
class EUserFolderError : public EVorlaneError {
public:
    using EVorlaneError::EVorlaneError;
};

// Where every content file lives: the one place that builds a path of a theme,
// an appearance or the settings, and the only one that knows which way the
// program runs. The launcher, the game, the print manager, the atelier and
// vorlane-content all ask it; nothing else joins content paths.
//
// The program folder (the executable's folder, or the folder a tool is given)
// holds Themes/, Apparences/ and the settings file. It runs one of two ways:
//  - portable: this user may write what the program writes there (the folder,
//    its settings file, Themes/ and every theme folder and theme.dat), so
//    everything lives in it, as always: ticks and printable marks in each
//    theme's theme.dat, coloured pictures beside it, new themes in Themes/;
//  - shared (a package under /usr, a read-only copy): the program folder is
//    only read, and each user has a folder of their own, laid out like it,
//    $XDG_DATA_HOME/vorlane (~/.local/share/vorlane), which takes every write.
//    The program folder's themes and appearances are listed and read from it,
//    and a user's progress on a shared theme (its tick, its printable marks)
//    is kept in Themes/<name>/progression.ini of the user's folder, beside
//    their coloured pictures, never in a theme.dat. The user's own themes and
//    appearances there are whole packages, listed after the shared ones.
//
// One rule for letter case: names are equal when they differ only in the case
// of ASCII letters. A user's package named like a shared one in any case is
// not listed and no new one can be made; content files are found in any case.
// All paths are joined with "/"; folder paths end with it.
class ContentPlaces {
public:
    // The places of `programFolder`: decides how the program runs there, and
    // reads only (no folder is made, nothing carried over).
    //
    // A folder holding a user's data rather than a program is known as such:
    // the user's folder of the program running (given to vorlane-content or
    // the atelier for a program folder) has the places of that program's
    // folder, whose shared themes it may not take; any other folder with no
    // program in it and a user's progress on shared themes (progression.ini,
    // theme.dat.ancien: another user's folder, a copy) may not take the names
    // of those themes, nor of the running program's shared ones.
    explicit ContentPlaces(std::string programFolder);

    // The program-wide places every window asks: those of the executable's
    // folder until Settle names another.
    static const ContentPlaces& Current();
    // Makes the places of `programFolder` the program-wide ones. When the
    // folder is shared it makes the user's folder and carries over, once and
    // under the folders' locks, what older versions left there: the ticks and
    // marks of a partial theme.dat into progression.ini, the pictures traced
    // into it into a theme of the user's of their own, "<name> (2)", and a
    // whole theme of the user's named like a shared one under such a name.
    // Raises EUserFolderError when it is shared and this user has no folder
    // of their own.
    static const ContentPlaces& Settle(const std::string& programFolder);
    // What the last Settle moved, one French sentence each, for the program
    // to tell the user once (it is not moved again).
    const std::vector<std::string>& Moved() const { return m_moved; }

    const std::string& ProgramFolder() const { return m_program; }

    // The paths of the program folder, joining strings and nothing else.
    std::string ThemesPath() const;                                // <program>/Themes/
    std::string ThemePath(const std::string& name) const;          // <program>/Themes/<name>/
    std::string ThemeFile(const std::string& name) const;          // <program>/Themes/<name>/theme.dat
    std::string AppearancesPath() const;                           // <program>/Apparences/
    std::string AppearancePath(const std::string& name) const;     // <program>/Apparences/<name>/
    std::string AppearanceFile(const std::string& name) const;     // <program>/Apparences/<name>/apparence.dat

    // Which names to list: the program folder's folders, then the user's own
    // not named like one of them, each in its folder's order; hidden entries
    // (a name starting with ".") left out. Whether each is a package is for
    // its description file to say.
    std::vector<std::string> ThemeNames() const;
    std::vector<std::string> AppearanceNames() const;

    // Whether `name`, in any letter case, is a theme of a shared program
    // folder: this user cannot change it, add pictures to it, or make a theme
    // of that name. Never in a portable folder; in a folder of a user's data,
    // the shared themes it keeps progress on.
    bool IsSharedTheme(const std::string& name) const;
    // The shared theme's own folder name that `name` names in any letter case
    // (the exact name first); empty when none.
    std::string SharedTheme(const std::string& name) const;

    // Where to read a file of a theme's or an appearance's content (pictures,
    // theme.dat, images, sounds), found in any letter case; when missing, the
    // path the program asked for, for the error message.
    std::string ThemeContentFile(const std::string& theme, const std::string& file) const;
    std::string AppearanceContentFile(const std::string& appearance, const std::string& file) const;

    // Where this user's things live: the folder of their files of a theme
    // (their coloured pictures and progress; the whole theme when it is
    // theirs), and the folder where their new themes are made.
    std::string UserThemePath(const std::string& theme) const;
    std::string UserThemesPath() const;
    // One of this user's files of a theme, to read or to write (found in any letter case).
    std::string ThemeUserFile(const std::string& theme, const std::string& file) const;
    // The same, its folder made first when it lies in the user's folder: where to write.
    std::string ThemeFileToWrite(const std::string& theme, const std::string& file) const;
    // The file holding this user's tick and printable marks of a theme: its
    // theme.dat, or the progression.ini of a shared theme.
    std::string ProgressFile(const std::string& theme) const;
    // The settings file this user reads and writes, for the executable `executablePath`.
    std::string SettingsFile(const std::string& executablePath) const;

    // The voice file `file` (VoiceFiles.h) to try, in order: the user's own
    // Voix/ (in the user's folder of a shared program folder; in a portable
    // one it is the program folder's), then the program's Voix/. Each found
    // in any letter case; missing ones are left to the reader to skip.
    std::vector<std::string> VoiceFiles(const std::string& file) const;

    // Whether the theme folder `folder` of a user's folder holds their
    // progress on a shared theme (a progress file, an older version's partial
    // theme.dat, coloured pictures) and no theme.
    static bool HoldsProgressOnly(const std::string& folder);

private:
    struct AsItIs {};
    // The places of `programFolder` as its files say, whatever holds it.
    ContentPlaces(std::string programFolder, AsItIs);
    // The program-wide places, those of the executable's folder until Settle.
    static ContentPlaces& Store();

    // The user's folder; raises EUserFolderError when there is none.
    const std::string& UserFolder() const;
    void MakeUserFolders() const;
    void CarryOverOlderProgress();
    // The ticks and marks of an older partial theme.dat of shared theme
    // `shared` into its progress file; false when a write was refused.
    bool CarryProgress(const IniFile& old, const std::string& shared) const;
    // The pictures traced into an older theme.dat of `name` (in the user's
    // folder `folder`) into a new theme of the user's; false when refused.
    bool CarryPictures(const IniFile& old, const std::string& name, const std::string& folder);

    std::string m_program;
    bool m_shared = false;
    std::string m_user;                       // shared: the user's folder, empty when there is none
    std::string m_userError;                  // shared without a folder of the user's: why
    std::vector<std::string> m_sharedThemes;  // shared: the program folder's theme folders
    std::vector<std::string> m_moved;         // what Settle moved, to tell
};

}  // namespace vorlane
