#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorlane {

// A colour 0x00BBGGRR as a pixel value at 16 bits per pixel, 5-6-5: the low
// bits dropped, as the display drops them. Colours that agree here are the
// same colour to a game played at 16 bits.
std::uint32_t To565(std::uint32_t colour);

// What the checker found in one package.
struct PackageReport {
    std::string package;                // "Themes/Animaux", "Apparences/Crayons"
    std::vector<std::string> faults;    // French, each naming its file and key
    std::vector<std::string> warnings;  // pages the picture judge finds doubtful: "Image03 : Qualité : à revoir — …"
};

// Checks a theme folder: what the game and the print manager rely on, then
// judges each sound picture's page.
PackageReport CheckTheme(const std::string& folder, const std::string& package);
// Checks an appearance folder.
PackageReport CheckAppearance(const std::string& folder, const std::string& package);
// Every theme under Themes/ and every appearance under Apparences/ of a program
// folder or of a user's folder, in name order; hidden folders are skipped as
// the launcher skips them, and so are a user's progress folders of shared themes.
std::vector<PackageReport> CheckProgramFolder(const std::string& programDir);

}  // namespace vorlane
