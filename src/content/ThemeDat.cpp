#include "content/ThemeDat.h"

#include "content/ContentPaths.h"

namespace vorlane {
namespace {

constexpr const char* kConfiguration = "Configuration";

}  // namespace

std::string NumberText(std::uint32_t number)
{
    return (number < 10 ? "0" : "") + std::to_string(number);
}

std::string PointsFileName(std::uint32_t picture)
{
    return "Points" + NumberText(picture) + ".bmp";
}

std::string ImageFileName(std::uint32_t picture)
{
    return "Image" + NumberText(picture) + ".bmp";
}

std::string CouleurFileName(std::uint32_t picture)
{
    return "Couleur" + NumberText(picture) + ".bmz";
}

std::string ImageSection(std::uint32_t picture)
{
    return "Image" + NumberText(picture);
}

ThemeDat::ThemeDat(std::string fileName) : m_file(std::move(fileName)) {}

ThemeDat ThemeDat::ForTheme(const std::string& themeName)
{
    return ThemeDat(ResolveContentFile(ThemeFile(themeName)));
}

PackageIdentity ThemeDat::Identity() const
{
    return PackageIdentity::Read(m_file);
}

std::int32_t ThemeDat::NombreImages() const
{
    return m_file.ReadInteger(PackageIdentity::kSection, "NombreImages", 0);
}

bool ThemeDat::Check() const
{
    return m_file.ReadBool(kConfiguration, "Check", false);
}

void ThemeDat::WriteCheck(bool checked)
{
    m_file.WriteBool(kConfiguration, "Check", checked);
}

std::int32_t ThemeDat::NombrePoints(std::uint32_t picture) const
{
    return m_file.ReadInteger(ImageSection(picture), "NombrePoints", 1);
}

std::int32_t ThemeDat::Couleur(std::uint32_t picture) const
{
    return m_file.ReadInteger(ImageSection(picture), "Couleur", 0);
}

ThemePoint ThemeDat::Point(std::uint32_t picture, std::uint32_t point) const
{
    const std::string section = ImageSection(picture);
    const std::string number = NumberText(point);
    return {m_file.ReadInteger(section, "XPoint" + number, 1), m_file.ReadInteger(section, "YPoint" + number, 1),
            m_file.ReadInteger(section, "Ligne" + number, 1)};
}

bool ThemeDat::Imprimer(std::uint32_t picture) const
{
    return m_file.ReadBool(ImageSection(picture), "Imprimer", false);
}

void ThemeDat::WriteImprimer(std::uint32_t picture, bool printable)
{
    m_file.WriteBool(ImageSection(picture), "Imprimer", printable);
}

}  // namespace vorlane
