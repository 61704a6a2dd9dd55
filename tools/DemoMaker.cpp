#include "DemoMaker.h"

#include "BitmapWriter.h"
#include "Preview.h"
#include "SoundSynth.h"
#include "ThemeFiles.h"
#include "ThemeWriter.h"
#include "WaveWriter.h"

#include "base/AtomicFile.h"
#include "base/FolderLock.h"
#include "content/AppearanceDat.h"
#include "content/ContentPaths.h"
#include "content/ThemeDat.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <filesystem>

namespace vorlane {

namespace {

constexpr int kSampleRate = 22050;
// A quarter of the demo pictures' size.
constexpr QSize kThumbnailSize(176, 140);

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

std::string Folder(const std::string& parent, const QString& name)
{
    return MakeFolder(parent + "/" + name.toStdString());
}

// theme.dat, carrying over what the program itself wrote into an earlier one:
// the launcher's tick and the printable marks.
std::string ThemeDatText(const ThemeRecipe& theme, const std::vector<RenderedPicture>& pictures, const std::string& path)
{
    const bool existed = std::filesystem::exists(path);
    const ThemeDat previous(path);
    std::string text = ThemeDatHead(pictures.size(), !existed || previous.Check());
    for (std::uint32_t n = 1; n <= pictures.size(); ++n) {
        const PictureRecipe& picture = theme.pictures[n - 1];
        text += PictureSection(n, pictures[n - 1].points, pictures[n - 1].lineColour, theme.lineWidth,
                               previous.Imprimer(n), picture.labels.value_or(theme.labels),
                               picture.firstNumber.value_or(theme.firstNumber), picture.name.toStdString());
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
    WriteTextFile(datPath, ThemeDatText(theme.recipe, theme.pictures, datPath));
}

// Writes the theme's folder under `themesDir` and returns it. A theme made
// again is written in place, under its folder's lock and in whatever letter
// case its folder has: it also holds the children's colourings. A new one
// appears whole or not at all: its files go to a hidden folder, which the
// launcher skips, renamed once complete.
std::string WriteTheme(const RenderedTheme& theme, const std::string& themesDir)
{
    const std::string name = theme.recipe.folder.toStdString();
    std::string folder = ResolveContentFile(themesDir + "/" + name);
    std::error_code error;
    if (std::filesystem::exists(folder, error)) {
        const FolderLock lock(folder);
        WriteThemeFiles(theme, folder);
        return folder;
    }
    return WriteFolderWhole(themesDir, name, [&](const std::string& staging) { WriteThemeFiles(theme, staging); });
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
    const auto colour = [&](const char* key, const QColor& value) {
        char bgr[16];
        std::snprintf(bgr, sizeof bgr, "0x%.8X",
                      static_cast<unsigned>(value.red() | value.green() << 8 | value.blue() << 16));
        return key + ("=" + std::string(bgr)) + eol;
    };
    text += colour("CouleurAideCentre", appearance.cue.centre);
    text += colour("CouleurAideBord", appearance.cue.edge);
    return text;
}

// The help's page of the library shows each finished picture small, beside its
// name and its dots.
void WriteThumbnails(const std::vector<RenderedTheme>& themes, const std::string& programDir)
{
    const std::string folder = Folder(Folder(programDir, QStringLiteral("Aide")), QStringLiteral("vignettes"));
    for (const RenderedTheme& theme : themes)
        for (std::uint32_t n = 1; n <= theme.pictures.size(); ++n) {
            const QImage small = theme.pictures[n - 1].finished.scaled(kThumbnailSize, Qt::KeepAspectRatio,
                                                                        Qt::SmoothTransformation);
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            small.save(&buffer, "PNG");
            ReplaceFileAtomically(folder + "/" + ThumbnailFileName(theme.recipe.folder, n),
                                  std::span(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                            static_cast<std::size_t>(png.size())));
        }
}

}  // namespace

std::string ThumbnailFileName(const QString& themeFolder, std::uint32_t n)
{
    // Plain letters, so that the page names the file without escapes: "Véhicules" gives "Vehicules".
    QString plain;
    for (const QChar c : themeFolder.normalized(QString::NormalizationForm_D))
        if (c.isLetterOrNumber() && c.unicode() < 0x80)
            plain += c;
        else if (c.isSpace() || c == u'-')
            plain += u'-';
    char number[16];
    std::snprintf(number, sizeof number, "-%02u.png", n);
    return plain.toStdString() + number;
}

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
    WriteThumbnails(themes, programDir);

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
        WriteTextFile(folder + "/apparence.dat", AppearanceDatText(appearance));
        if (!previewDir.empty())
            WritePreview(appearance, images, themes, Folder(previewDir, appearance.folder));
    }
}

std::string MakeTheme(const std::string& dataFile, const ContentPlaces& places, const std::string& previewDir)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(dataFile, bytes))
        throw EFOpenError(dataFile);
    ThemeRecipe recipe =
        ParseTheme(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    if (const std::string refusal = ThemeNameRefusal(places, recipe.folder.toStdString()); !refusal.empty())
        throw EVorlaneError(refusal);
    const RenderedTheme theme = RenderTheme(std::move(recipe));
    std::string themes = places.UserThemesPath();
    themes.pop_back();
    std::string folder = WriteTheme(theme, MakeFolder(themes));
    if (!previewDir.empty())
        WriteThemePreview(theme, DemoAppearances().front().palette.colours, MakeFolder(previewDir));
    return folder;
}

}  // namespace vorlane
