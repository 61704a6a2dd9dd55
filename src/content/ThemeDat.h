#pragma once

#include "content/ContentPlaces.h"
#include "content/DotLabels.h"
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
// What the user did with the theme (its tick, the printable marks) is kept
// where ContentPlaces says: in theme.dat itself, or, for a theme of a shared
// program folder, in a progress file of the user's own. The progress file is
// read first and the theme.dat below it gives the keys it does not hold, and
// only a value that changes is written there: a user's folder holds progress
// only on the themes they changed.
class ThemeDat {
public:
    // The one file `fileName`, which also keeps the progress.
    explicit ThemeDat(std::string fileName);
    // The theme.dat of the theme `themeName` with its progress, as `places` finds them.
    static ThemeDat ForTheme(const std::string& themeName, const ContentPlaces& places = ContentPlaces::Current());

    PackageIdentity Identity() const;
    std::int32_t NombreImages() const;  // default 0

    // The theme was ticked in the launcher's list.
    bool Check() const;
    void WriteCheck(bool checked);

    std::int32_t NombrePoints(std::uint32_t picture) const;  // default 1
    std::int32_t Couleur(std::uint32_t picture) const;       // line colour 0x00BBGGRR, default black
    ThemePoint Point(std::uint32_t picture, std::uint32_t point) const;
    // The picture's name ("vache"), as bytes (DisplayString shows them); empty
    // for themes made before pictures had names, whose callers say "image 3".
    std::string Titre(std::uint32_t picture) const;
    // How its dots are labelled (keys Numeros and Premier); numbers from 1
    // for themes made before the keys.
    DotLabels Labels(std::uint32_t picture) const;
    // The label printed beside dot `point` (1-based): "12", "B", "b".
    std::string Etiquette(std::uint32_t picture, std::uint32_t point) const;

    // Picture NN was finished at least once, so the print manager offers it.
    bool Imprimer(std::uint32_t picture) const;
    void WriteImprimer(std::uint32_t picture, bool printable);
    // The same for a picture named by its section ("Image07").
    bool Imprimer(const std::string& pictureSection) const;
    void WriteImprimer(const std::string& pictureSection, bool printable);

private:
    std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t defaultValue) const;
    bool ReadProgress(const std::string& section, const std::string& key) const;
    void WriteProgress(const std::string& section, const std::string& key, bool value);

    IniFile m_file;
    std::optional<IniFile> m_progress;  // kept apart from theme.dat
};

}  // namespace vorlane
