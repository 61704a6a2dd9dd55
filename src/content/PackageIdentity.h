#pragma once

#include <cstdint>
#include <string>

namespace vorlane {

class IniFile;

// The [General] identity that theme.dat and apparence.dat share; only packages
// of format 1.0 made for this program are listed.
struct PackageIdentity {
    static constexpr const char* kSection = "General";
    static constexpr const char* kProductTag = "Vorlane";

    std::int32_t Version = 0;
    std::int32_t SubVersion = 0;
    std::string Nom;

    static PackageIdentity Read(const IniFile& file);
    // Version 1, SubVersion 0 and Nom exactly "Vorlane", letter case included.
    bool IsAccepted() const;
};

}  // namespace vorlane
