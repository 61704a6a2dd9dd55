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

std::string Folder(const std::string& parent, const QString& name)
{
    const std::string path = parent + "/" + name.toStdString();
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
        throw EWriteError(path);
    return path;
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
    const std::string themesDir = Folder(programDir, QStringLiteral("Themes"));
    std::vector<RenderedTheme> themes;
    for (ThemeRecipe& recipe : DemoThemes()) {
        RenderedTheme rendered{std::move(recipe), {}};
        const std::string folder = Folder(themesDir, rendered.recipe.folder);
        for (std::uint32_t n = 1; n <= rendered.recipe.pictures.size(); ++n) {
            rendered.pictures.push_back(RenderPicture(rendered.recipe, rendered.recipe.pictures[n - 1]));
            WriteBitmapFile(rendered.pictures.back().dots, folder + "/" + PointsFileName(n));
            WriteBitmapFile(rendered.pictures.back().finished, folder + "/" + ImageFileName(n));
        }
        const std::string datPath = folder + "/theme.dat";
        WriteText(datPath, ThemeDatText(rendered.recipe, rendered.pictures, datPath));
        themes.push_back(std::move(rendered));
    }

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

}  // namespace vorlane
