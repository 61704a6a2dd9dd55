#include "content/ThemeDat.h"

#include <filesystem>

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

ThemeDat ThemeDat::ForTheme(const std::string& themeName, const ContentPlaces& places)
{
    ThemeDat theme(places.ThemeContentFile(themeName, kFileName));
    std::string progress = places.ProgressFile(themeName);
    if (progress != theme.m_file.FileName())
        theme.m_progress.emplace(std::move(progress));
    return theme;
}

std::int32_t ThemeDat::ReadInteger(const std::string& section, const std::string& key, std::int32_t defaultValue) const
{
    return m_file.ReadInteger(section, key, defaultValue);
}

bool ThemeDat::ReadProgress(const std::string& section, const std::string& key) const
{
    const IniFile& holder = m_progress && m_progress->HasKey(section, key) ? *m_progress : m_file;
    return holder.ReadInteger(section, key, 0) != 0;
}

void ThemeDat::WriteProgress(const std::string& section, const std::string& key, bool value)
{
    if (!m_progress) {
        m_file.WriteBool(section, key, value);
        return;
    }
    if (ReadProgress(section, key) == value)
        return;
    // A progress file kept apart lies in the user's folder, whose theme
    // folder is made on the first write there.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(m_progress->FileName()).parent_path(), ignored);
    m_progress->WriteBool(section, key, value);
}

PackageIdentity ThemeDat::Identity() const
{
    return PackageIdentity::Read(m_file);
}

std::int32_t ThemeDat::NombreImages() const
{
    return ReadInteger(PackageIdentity::kSection, "NombreImages", 0);
}

bool ThemeDat::Check() const
{
    return ReadProgress(kConfiguration, "Check");
}

void ThemeDat::WriteCheck(bool checked)
{
    WriteProgress(kConfiguration, "Check", checked);
}

std::int32_t ThemeDat::NombrePoints(std::uint32_t picture) const
{
    return ReadInteger(ImageSection(picture), "NombrePoints", 1);
}

std::int32_t ThemeDat::Couleur(std::uint32_t picture) const
{
    return ReadInteger(ImageSection(picture), "Couleur", 0);
}

std::string ThemeDat::Titre(std::uint32_t picture) const
{
    return m_file.ReadString(ImageSection(picture), "Titre", "");
}

DotLabels ThemeDat::Labels(std::uint32_t picture) const
{
    const std::string section = ImageSection(picture);
    DotLabels labels;
    labels.style = DotLabels::StyleNamed(m_file.ReadString(section, "Numeros", "1"));
    labels.first = ReadInteger(section, "Premier", 1);
    return labels;
}

std::string ThemeDat::Etiquette(std::uint32_t picture, std::uint32_t point) const
{
    return Labels(picture).Label(static_cast<int>(point) - 1).toStdString();
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
    return ReadProgress(pictureSection, "Imprimer");
}

void ThemeDat::WriteImprimer(const std::string& pictureSection, bool printable)
{
    WriteProgress(pictureSection, "Imprimer", printable);
}

}  // namespace vorlane
