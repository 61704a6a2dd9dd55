#include "DemoMaker.h"

#include "BitmapWriter.h"
#include "Preview.h"
#include "SoundSynth.h"
#include "WaveWriter.h"

#include "base/AtomicFile.h"
#include "content/AppearanceDat.h"
#include "content/ThemeDat.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <filesystem>

namespace vorlane {

namespace {

constexpr int kSampleRate = 22050;

QByteArray Resource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(path.toStdString());
    return file.readAll();
}

// Demo data files built into the tool whose names start with `prefix`.
std::vector<QByteArray> DataFiles(const QString& prefix)
{
    std::vector<QByteArray> files;
    const QDir folder(QStringLiteral(":/demo"));
    for (const QString& name : folder.entryList({prefix + QStringLiteral("*.json")}, QDir::Files, QDir::Name))
        files.push_back(Resource(folder.filePath(name)));
    return files;
}

void WriteText(const std::string& path, const std::string& text)
{
    ReplaceFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string Folder(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
        throw EWriteError(path);
    return path;
}

std::string Folder(const std::string& parent, const QString& name)
{
    return Folder(parent + "/" + name.toStdString());
}

// theme.dat as written on Windows (CR LF), carrying over what the program
// itself wrote into an earlier one: the launcher's tick and the printable marks.
std::string ThemeDatText(const ThemeRecipe& theme, const std::vector<RenderedPicture>& pictures, const std::string& path)
{
    const bool existed = std::filesystem::exists(path);
    const ThemeDat previous(path);
    const char* eol = "\r\n";
    std::string text;
    text += std::string("[General]") + eol + "Version=1" + eol + "SubVersion=0" + eol + "Nom=Vorlane" + eol;
    text += "NombreImages=" + std::to_string(pictures.size()) + eol + eol;
    const bool check = !existed || previous.Check();
    text += std::string("[Configuration]") + eol + "Check=" + (check ? "1" : "0") + eol;
    for (std::uint32_t n = 1; n <= pictures.size(); ++n) {
        const RenderedPicture& picture = pictures[n - 1];
        const QColor colour = picture.lineColour;
        char couleur[16];
        std::snprintf(couleur, sizeof couleur, "0x%.8X",
                      static_cast<unsigned>(colour.red() | colour.green() << 8 | colour.blue() << 16));
        text += eol + ("[" + ImageSection(n) + "]") + eol;
        text += "NombrePoints=" + std::to_string(picture.points.size()) + eol;
        text += std::string("Couleur=") + couleur + eol;
        if (previous.Imprimer(n))
            text += std::string("Imprimer=1") + eol;
        for (std::uint32_t p = 1; p <= picture.points.size(); ++p) {
            const QPoint point = picture.points[p - 1];
            const std::string number = NumberText(p);
            text += "Ligne" + number + "=" + std::to_string(theme.lineWidth) + eol;
            text += "XPoint" + number + "=" + std::to_string(point.x()) + eol;
            text += "YPoint" + number + "=" + std::to_string(point.y()) + eol;
        }
    }
    return text;
}

RenderedTheme RenderTheme(ThemeRecipe recipe)
{
    RenderedTheme rendered{std::move(recipe), {}};
    for (const PictureRecipe& picture : rendered.recipe.pictures)
        rendered.pictures.push_back(RenderPicture(rendered.recipe, picture));
    return rendered;
}

void WriteThemeFiles(const RenderedTheme& theme, const std::string& folder)
{
    for (std::uint32_t n = 1; n <= theme.pictures.size(); ++n) {
        WriteBitmapFile(theme.pictures[n - 1].dots, folder + "/" + PointsFileName(n));
        WriteBitmapFile(theme.pictures[n - 1].finished, folder + "/" + ImageFileName(n));
    }
    const std::string datPath = folder + "/theme.dat";
    WriteText(datPath, ThemeDatText(theme.recipe, theme.pictures, datPath));
}

// Writes the theme's folder under `themesDir` and returns it. A theme made
// again is written in place: its folder also holds the children's colourings.
// A new one appears whole or not at all: its files go to a hidden folder,
// which the launcher skips, renamed once complete.
std::string WriteTheme(const RenderedTheme& theme, const std::string& themesDir)
{
    const std::string name = theme.recipe.folder.toStdString();
    std::string folder = themesDir + "/" + name;
    std::error_code error;
    if (std::filesystem::exists(folder, error)) {
        WriteThemeFiles(theme, folder);
        return folder;
    }
    const std::string staging = themesDir + "/." + name + ".nouveau";
    std::filesystem::remove_all(staging, error);
    try {
        WriteThemeFiles(theme, Folder(staging));
        std::filesystem::rename(staging, folder, error);
        if (error)
            throw EWriteError(folder);
        FlushFileAndFolder(folder);
    } catch (...) {
        std::filesystem::remove_all(staging, error);
        throw;
    }
    return folder;
}

std::string AppearanceDatText(const AppearanceRecipe& appearance)
{
    const char* eol = "\r\n";
    auto line = [&](const char* key, int value) { return key + ("=" + std::to_string(value)) + eol; };
    std::string text = std::string("[General]") + eol + "Version=1" + eol + "SubVersion=0" + eol + "Nom=Vorlane" + eol;
    text += line("PointeurOffsetX", appearance.pointer.hotspot.x());
    text += line("PointeurOffsetY", appearance.pointer.hotspot.y());
    text += line("XDessin", appearance.picture.x());
    text += line("YDessin", appearance.picture.y());
    text += line("XOuiNon", appearance.panel.position.x());
    text += line("YouiNon", appearance.panel.position.y());
    text += line("XCouleur", appearance.indicator.point.x());
    text += line("YCouleur", appearance.indicator.point.y());
    return text;
}

}  // namespace

std::vector<ThemeRecipe> DemoThemes()
{
    std::vector<ThemeRecipe> themes;
    for (const QByteArray& data : DataFiles(QStringLiteral("theme-")))
        themes.push_back(ParseTheme(data));
    return themes;
}

std::vector<AppearanceRecipe> DemoAppearances()
{
    std::vector<AppearanceRecipe> appearances;
    for (const QByteArray& data : DataFiles(QStringLiteral("appearance-")))
        appearances.push_back(ParseAppearance(data));
    return appearances;
}

void MakeDemo(const std::string& programDir, const std::string& previewDir)
{
    std::vector<RenderedTheme> themes;
    for (ThemeRecipe& recipe : DemoThemes())
        themes.push_back(RenderTheme(std::move(recipe)));
    const std::string themesDir = Folder(programDir, QStringLiteral("Themes"));
    for (const RenderedTheme& theme : themes)
        WriteTheme(theme, themesDir);

    const std::string appearancesDir = Folder(programDir, QStringLiteral("Apparences"));
    for (const AppearanceRecipe& appearance : DemoAppearances()) {
        const std::string folder = Folder(appearancesDir, appearance.folder);
        const auto images = RenderAppearance(appearance);
        for (const auto& [name, image] : images)
            WriteBitmapFile(image, folder + "/" + AppearanceImageFileName(name.toStdString()));
        for (const SoundRecipe& sound : appearance.sounds) {
            const auto samples = Synthesise(sound, kSampleRate);
            const auto bytes = WaveFileBytes(samples, kSampleRate);
            ReplaceFileAtomically(folder + "/" + AppearanceSoundFileName(sound.name.toStdString()), bytes);
        }
        WriteText(folder + "/apparence.dat", AppearanceDatText(appearance));
        if (!previewDir.empty())
            WritePreview(appearance, images, themes, Folder(previewDir, appearance.folder));
    }
}

std::string MakeTheme(const std::string& dataFile, const std::string& programDir, const std::string& previewDir)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(dataFile, bytes))
        throw EFOpenError(dataFile);
    const RenderedTheme theme = RenderTheme(
        ParseTheme(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()))));
    std::string folder = WriteTheme(theme, Folder(programDir, QStringLiteral("Themes")));
    if (!previewDir.empty())
        WriteThemePreview(theme, DemoAppearances().front().palette.colours, Folder(previewDir));
    return folder;
}

}  // namespace vorlane
