#pragma once

#include "content/IniFile.h"
#include "content/PackageIdentity.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vorlane {

// Picture and point numbers are written "%.2u": at least two digits, zero-padded (1 "01", 100 "100").
std::string NumberText(std::uint32_t number);

// The files and the section of picture NN of a theme.
std::string PointsFileName(std::uint32_t picture);   // "Points<NN>.bmp": the dots to join
std::string ImageFileName(std::uint32_t picture);    // "Image<NN>.bmp": the finished picture
std::string CouleurFileName(std::uint32_t picture);  // "Couleur<NN>.bmz": the child's coloured picture
std::string ImageSection(std::uint32_t picture);     // "Image<NN>": its section in theme.dat

// One dot of a picture, in the picture's pixel coordinates; Ligne is the pen
// width of the segment that ends at it. -1 in any field makes the dot unusable.
struct ThemePoint {
    std::int32_t X = 1;
    std::int32_t Y = 1;
    std::int32_t Ligne = 1;

    bool operator==(const ThemePoint&) const = default;
};

// A theme's description file theme.dat. Reads give the keys' defaults for
// anything missing; writes go straight to the file (EWriteError when refused).
//
// A user whose program folder is shared writes to a theme.dat of their own,
// which holds only the keys they wrote (ticks, marks): the others are read
// from the shared file below it, so that a shared theme updated later (a new
// picture, moved dots) shows its update. A theme.dat of the user's own that
// is a whole theme (its [General] accepted) hides the shared one instead.
class ThemeDat {
public:
    // The one file `fileName`, without a shared file below it.
    explicit ThemeDat(std::string fileName);
    // The theme.dat of the theme folder `themeName`, under any letter case.
    static ThemeDat ForTheme(const std::string& themeName);

    // The file that writes go to.
    const std::string& FileName() const { return m_file.FileName(); }

    PackageIdentity Identity() const;
    std::int32_t NombreImages() const;  // default 0

    // The theme was ticked in the launcher's list.
    bool Check() const;
    void WriteCheck(bool checked);

    std::int32_t NombrePoints(std::uint32_t picture) const;  // default 1
    std::int32_t Couleur(std::uint32_t picture) const;       // line colour 0x00BBGGRR, default black
    ThemePoint Point(std::uint32_t picture, std::uint32_t point) const;

    // Picture NN was finished at least once, so the print manager offers it.
    bool Imprimer(std::uint32_t picture) const;
    void WriteImprimer(std::uint32_t picture, bool printable);
    // The same for a picture named by its section ("Image07").
    bool Imprimer(const std::string& pictureSection) const;
    void WriteImprimer(const std::string& pictureSection, bool printable);

private:
    // The file that holds `key`: the user's, else the shared one below it.
    const IniFile& Holder(const std::string& section, const std::string& key) const;
    std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t defaultValue) const;
    void WriteBool(const std::string& section, const std::string& key, bool value);

    IniFile m_file;
    std::optional<IniFile> m_shared;
};

}  // namespace vorlane
