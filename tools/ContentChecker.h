#pragma once

#include <string>
#include <vector>

namespace vorlane {

// What the checker found in one package.
struct PackageReport {
    std::string package;              // "Themes/Animaux", "Apparences/Crayons"
    std::vector<std::string> faults;  // French, each naming its file and key
};

// Checks a theme folder: what the game and the print manager rely on.
PackageReport CheckTheme(const std::string& folder, const std::string& package);
// Checks an appearance folder.
PackageReport CheckAppearance(const std::string& folder, const std::string& package);
// Every theme under Themes/ and every appearance under Apparences/ of a program
// folder, in name order; hidden folders are skipped as the launcher skips them.
std::vector<PackageReport> CheckProgramFolder(const std::string& programDir);

}  // namespace vorlane
