#include "content/AppearanceDat.h"

#include "content/ContentPlaces.h"

namespace vorlane {

std::string AppearanceImageFileName(const std::string& image)
{
    return image + ".qrvi";
}

std::string AppearanceSoundFileName(const std::string& sound)
{
    return sound + ".qrvs";
}

AppearanceDat::AppearanceDat(std::string fileName) : m_file(std::move(fileName)) {}

AppearanceDat AppearanceDat::ForAppearance(const std::string& appearanceName)
{
    return AppearanceDat(ContentPlaces::Current().AppearanceContentFile(appearanceName, "apparence.dat"));
}

PackageIdentity AppearanceDat::Identity() const
{
    return PackageIdentity::Read(m_file);
}

AppearanceLayout AppearanceDat::Layout() const
{
    const auto read = [this](const char* key) { return m_file.ReadInteger(PackageIdentity::kSection, key, 0); };
    return {read("PointeurOffsetX"), read("PointeurOffsetY"), read("XDessin"), read("YDessin"),
            read("XOuiNon"), read("YouiNon"), read("XCouleur"), read("YCouleur")};
}

CueColours AppearanceDat::Cue() const
{
    const CueColours defaults;
    const auto read = [this](const char* key, std::uint32_t fallback) {
        return static_cast<std::uint32_t>(
                   m_file.ReadInteger(PackageIdentity::kSection, key, static_cast<std::int32_t>(fallback))) &
               0xFFFFFF;
    };
    return {read("CouleurAideCentre", defaults.CouleurAideCentre), read("CouleurAideBord", defaults.CouleurAideBord)};
}

}  // namespace vorlane
