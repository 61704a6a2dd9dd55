#include "content/ThemeDat.h"

#include "content/ContentPaths.h"

namespace vorlane {
namespace {

constexpr const char* kConfiguration = "Configuration";
constexpr const char* kFileName = "theme.dat";

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
    const std::vector<std::string> folders = ThemeFolders(themeName);
    ThemeDat theme(ResolveContentFile(folders.front() + kFileName));
    if (folders.size() > 1 && !PackageIdentity::Read(theme.m_file).IsAccepted())
        theme.m_shared.emplace(ResolveContentFile(folders[1] + kFileName));
    return theme;
}

const IniFile& ThemeDat::Holder(const std::string& section, const std::string& key) const
{
    return m_shared && !m_file.HasKey(section, key) ? *m_shared : m_file;
}

std::int32_t ThemeDat::ReadInteger(const std::string& section, const std::string& key, std::int32_t defaultValue) const
{
    return Holder(section, key).ReadInteger(section, key, defaultValue);
}

void ThemeDat::WriteBool(const std::string& section, const std::string& key, bool value)
{
    CreateUserFoldersFor(m_file.FileName());
    m_file.WriteBool(section, key, value);
}

PackageIdentity ThemeDat::Identity() const
{
    return PackageIdentity::Read(m_shared ? *m_shared : m_file);
}

std::int32_t ThemeDat::NombreImages() const
{
    return ReadInteger(PackageIdentity::kSection, "NombreImages", 0);
}

bool ThemeDat::Check() const
{
    return ReadInteger(kConfiguration, "Check", 0) != 0;
}

void ThemeDat::WriteCheck(bool checked)
{
    WriteBool(kConfiguration, "Check", checked);
}

std::int32_t ThemeDat::NombrePoints(std::uint32_t picture) const
{
    return ReadInteger(ImageSection(picture), "NombrePoints", 1);
}

std::int32_t ThemeDat::Couleur(std::uint32_t picture) const
{
    return ReadInteger(ImageSection(picture), "Couleur", 0);
}

ThemePoint ThemeDat::Point(std::uint32_t picture, std::uint32_t point) const
{
    const std::string section = ImageSection(picture);
    const std::string number = NumberText(point);
    return {ReadInteger(section, "XPoint" + number, 1), ReadInteger(section, "YPoint" + number, 1),
            ReadInteger(section, "Ligne" + number, 1)};
}

bool ThemeDat::Imprimer(std::uint32_t picture) const
{
    return Imprimer(ImageSection(picture));
}

void ThemeDat::WriteImprimer(std::uint32_t picture, bool printable)
{
    WriteImprimer(ImageSection(picture), printable);
}

bool ThemeDat::Imprimer(const std::string& pictureSection) const
{
    return ReadInteger(pictureSection, "Imprimer", 0) != 0;
}

void ThemeDat::WriteImprimer(const std::string& pictureSection, bool printable)
{
    WriteBool(pictureSection, "Imprimer", printable);
}

}  // namespace vorlane
