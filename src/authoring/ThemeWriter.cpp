#include "ThemeWriter.h"

#include "BitmapWriter.h"
#include "ThemeFiles.h"

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/FolderLock.h"
#include "content/ThemeDat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <filesystem>
#include <span>

namespace vorlane {

namespace {

namespace fs = std::filesystem;

// Beside each picture made from a drawing: the drawing itself and what was
// chosen for it, so that it can be opened and edited again.
std::string SourceFileName(std::uint32_t picture, const QString& suffix)
{
    return "Dessin" + NumberText(picture) + "." + suffix.toStdString();
}
std::string ChoicesFileName(std::uint32_t picture)
{
    return "Dessin" + NumberText(picture) + ".json";
}

// What the rubber took from each page, as runs of a row: [y, first x, last x].
constexpr const char* kErasedKeys[] = {"points", "image"};

QJsonArray Runs(const QImage& rubbed)
{
    QJsonArray runs;
    for (int y = 0; y < rubbed.height(); ++y) {
        const uchar* row = rubbed.constScanLine(y);
        for (int x = 0; x < rubbed.width(); ++x) {
            if (row[x] == 0)
                continue;
            const int first = x;
            while (x + 1 < rubbed.width() && row[x + 1] != 0)
                ++x;
            runs.append(QJsonArray{y, first, x});
        }
    }
    return runs;
}

// Runs outside the picture, or not runs at all, are passed over: the file
// may have been edited by hand.
QImage Rubbed(const QJsonArray& runs, QSize size)
{
    QImage rubbed(size, QImage::Format_Grayscale8);
    rubbed.fill(0);
    for (const QJsonValue value : runs) {
        const QJsonArray run = value.toArray();
        const int y = run.at(0).toInt(-1);
        const int first = std::max(0, run.at(1).toInt(size.width()));
        const int last = std::min(size.width() - 1, run.at(2).toInt(-1));
        if (y >= 0 && y < size.height() && first <= last)
            std::fill(rubbed.scanLine(y) + first, rubbed.scanLine(y) + last + 1, 255);
    }
    return rubbed;
}

QByteArray ChoicesText(const std::string& pictureName, const std::string& sourceName, const TracedDrawing& drawing,
                       const std::vector<Dot>& dots, const DotOptions& options)
{
    const QSize size = drawing.PictureSize();
    QJsonArray points;
    for (const Dot& dot : dots)
        points.append(QJsonArray{dot.position.x(), dot.position.y(), dot.corner ? 1 : 0});
    QJsonObject choices{
        {QStringLiteral("nom"), QString::fromStdString(pictureName)},
        {QStringLiteral("dessin"), QString::fromStdString(sourceName)},
        {QStringLiteral("taille"), QJsonArray{size.width(), size.height()}},
        {QStringLiteral("points"), points},
        {QStringLiteral("nombre"), options.count},
        {QStringLiteral("premier"), options.firstNumber},
        {QStringLiteral("sens"), options.direction == Direction::Clockwise ? QStringLiteral("horaire")
                                                                          : QStringLiteral("antihoraire")},
        {QStringLiteral("couleur"), options.lineColour.name()},
        {QStringLiteral("ligne"), options.lineWidth},
        {QStringLiteral("numeros"), LabelStyleName(options.style)},
    };
    QJsonObject erased;
    for (const DrawingPage page : {DrawingPage::Dots, DrawingPage::Colour})
        if (!drawing.ErasedPixels(page).isNull())
            erased[QLatin1String(kErasedKeys[static_cast<std::size_t>(page)])] = Runs(drawing.ErasedPixels(page));
    if (!erased.isEmpty())
        choices[QStringLiteral("gomme")] = erased;
    return QJsonDocument(choices).toJson();
}

void WriteBytes(const std::string& path, const QByteArray& bytes)
{
    ReplaceFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                          static_cast<std::size_t>(bytes.size())));
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// theme.dat with NombreImages set to `count` and the section of `picture`
// replaced by `section`; every other line kept as it was. `printable` tells
// whether the old section held the printable mark.
std::string UpdatedThemeDat(const std::string& text, std::uint32_t picture, std::size_t count,
                            const std::function<std::string(bool printable)>& section)
{
    const std::string eol = "\r\n";
    const std::string replaced = Lower("[" + ImageSection(picture) + "]");
    std::string out, current;
    bool counted = false, printable = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string trimmed = Lower(line.substr(line.find_first_not_of(" \t") == std::string::npos
                                                          ? line.size()
                                                          : line.find_first_not_of(" \t")));
        if (trimmed.starts_with('[')) {
            current = trimmed.substr(0, trimmed.find(']') + 1);
            if (current == replaced)
                continue;
            out += line + eol;
            if (current == "[general]" && !counted) {
                out += "NombreImages=" + std::to_string(count) + eol;
                counted = true;
            }
            continue;
        }
        const std::string key = trimmed.substr(0, trimmed.find('='));
        if (current == replaced) {
            printable = printable || (key.starts_with("imprimer") && trimmed.find("=1") != std::string::npos);
            continue;
        }
        if (current == "[general]" && key.find("nombreimages") == 0)
            continue;
        out += line + eol;
    }
    while (out.ends_with(eol + eol))
        out.resize(out.size() - eol.size());
    if (!counted)
        out = "[General]" + eol + "NombreImages=" + std::to_string(count) + eol + out;
    return out + section(printable);
}

std::string WithoutSlash(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

QJsonObject ReadChoices(const std::string& folder, std::uint32_t picture)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(folder + "/" + ChoicesFileName(picture), bytes))
        throw EVorlaneError("L'image " + std::to_string(picture) +
                            " n'a pas été faite dans l'atelier : elle ne peut pas y être rouverte.");
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    if (!document.isObject())
        throw EVorlaneError("Le fichier " + ChoicesFileName(picture) + " est abîmé : l'image ne peut pas être rouverte.");
    return document.object();
}

}  // namespace

std::vector<std::string> ThemeNames(const ContentPlaces& places)
{
    std::vector<std::string> names;
    for (const std::string& name : places.ThemeNames())
        if (!places.IsSharedTheme(name) && ThemeDat::ForTheme(name, places).Identity().IsAccepted())
            names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ThemeNameRefusal(const ContentPlaces& places, const std::string& theme)
{
    if (!IsFolderName(QString::fromStdString(theme)))
        return "Le nom de thème « " + theme + " » ne convient pas : de 1 à " + std::to_string(kLongestFolderName) +
               " caractères, sans point au début ni à la fin, sans / \\ : * ? \" < > |.";
    const std::string shared = places.SharedTheme(theme);
    if (shared.empty())
        return {};
    return "Le thème « " + theme + " » est celui de Vorlane" + (shared == theme ? "" : " « " + shared + " »") +
           ", partagé par tous les utilisateurs de l'ordinateur : il ne peut pas être changé. "
           "Donnez un autre nom au thème de vos dessins.";
}

int AddPictureToTheme(const ContentPlaces& places, const std::string& theme, const std::string& pictureName,
                      const TracedDrawing& drawing, const std::vector<Dot>& dots, const DotOptions& options,
                      int replacing)
{
    if (const std::string refusal = ThemeNameRefusal(places, theme); !refusal.empty())
        throw EVorlaneError(refusal);
    if (dots.empty() || drawing.PictureToColour().isNull())
        throw EVorlaneError("Il n'y a pas de points à joindre : ouvrez d'abord un dessin.");
    std::vector<QPoint> points;
    points.reserve(dots.size());
    for (const Dot& dot : dots)
        points.push_back(dot.position);
    const QImage dotsPicture = DrawDotsPicture(drawing, dots, options);
    // Reopened, the picture has the name theme.dat gives it.
    const std::string titre = TitreValue(pictureName);
    const auto writePicture = [&](const std::string& folder, std::uint32_t picture) {
        const std::string source = SourceFileName(picture, drawing.SourceSuffix());
        WriteBytes(folder + "/" + source, drawing.SourceBytes());
        WriteBytes(folder + "/" + ChoicesFileName(picture),
                   ChoicesText(titre, source, drawing, dots, options));
        WriteBitmapFile(drawing.PictureToColour(), folder + "/" + ImageFileName(picture));
        WriteBitmapFile(dotsPicture, folder + "/" + PointsFileName(picture));
    };
    const auto section = [&](std::uint32_t picture, bool printable) {
        return PictureSection(picture, points, options.lineColour, options.lineWidth, printable, options.style,
                              options.firstNumber, titre);
    };

    const std::string themes = WithoutSlash(MakeFolder(places.UserThemesPath()));
    const std::string folder = WithoutSlash(places.UserThemePath(theme));
    std::error_code error;
    {
        // New themes are made one at a time: two writers of one new name make one theme.
        const FolderLock making(themes);
        if (!fs::exists(folder, error)) {
            if (replacing != 0)
                throw EVorlaneError("Le thème « " + theme + " » n'existe plus.");
            WriteFolderWhole(themes, fs::path(folder).filename().string(), [&](const std::string& staging) {
                writePicture(staging, 1);
                // Not ticked: the parent ticks it in the launcher, as the atelier tells them.
                WriteTextFile(staging + "/theme.dat", ThemeDatHead(1, false) + section(1, false));
            });
            return 1;
        }
    }

    // From the count to the new count, no other writer of theme.dat comes in between.
    const FolderLock lock(folder);
    const std::string datPath = folder + "/theme.dat";
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(datPath, bytes))
        throw EVorlaneError("Le dossier « " + theme + " » n'est pas un thème de Vorlane : il n'a pas de theme.dat.");
    const auto count = static_cast<std::uint32_t>(std::max(0, ThemeDat(datPath).NombreImages()));
    if (replacing != 0)
        ReadChoices(folder, static_cast<std::uint32_t>(replacing));  // only what the atelier made is replaced
    const std::uint32_t picture = replacing != 0 ? static_cast<std::uint32_t>(replacing) : count + 1;
    // The picture's files first, then theme.dat counts them: at every moment
    // the theme is whole.
    writePicture(folder, picture);
    WriteTextFile(datPath, UpdatedThemeDat(std::string(bytes.begin(), bytes.end()), picture,
                                           std::max(count, picture),
                                           [&](bool printable) { return section(picture, printable); }));
    return static_cast<int>(picture);
}

ReopenedPicture ReopenPicture(const ContentPlaces& places, const std::string& theme, int picture)
{
    const std::string folder = WithoutSlash(places.UserThemePath(theme));
    const QJsonObject choices = ReadChoices(folder, static_cast<std::uint32_t>(std::max(0, picture)));
    const QString source = QString::fromStdString(
        fs::path(choices[QStringLiteral("dessin")].toString().toStdString()).filename().string());
    const QJsonArray size = choices[QStringLiteral("taille")].toArray();
    ReopenedPicture reopened;
    reopened.drawing = TracedDrawing::FromFile(QString::fromStdString(folder + "/") + source,
                                               QSize(size.at(0).toInt(kPictureSize.width()),
                                                     size.at(1).toInt(kPictureSize.height())));
    // Written before the rubber was: nothing rubbed out.
    const QJsonObject erased = choices[QStringLiteral("gomme")].toObject();
    for (const DrawingPage page : {DrawingPage::Dots, DrawingPage::Colour})
        if (const QJsonValue runs = erased[QLatin1String(kErasedKeys[static_cast<std::size_t>(page)])]; runs.isArray())
            reopened.drawing = reopened.drawing.Erased(page, Rubbed(runs.toArray(), reopened.drawing.PictureSize()));
    for (const QJsonValue point : choices[QStringLiteral("points")].toArray()) {
        const QJsonArray values = point.toArray();
        reopened.dots.push_back({QPoint(values.at(0).toInt(), values.at(1).toInt()), values.at(2).toInt() != 0});
    }
    DotOptions& options = reopened.options;
    options.count = choices[QStringLiteral("nombre")].toInt(options.count);
    options.firstNumber = choices[QStringLiteral("premier")].toInt(options.firstNumber);
    options.direction = choices[QStringLiteral("sens")].toString() == QLatin1String("antihoraire")
                            ? Direction::Anticlockwise
                            : Direction::Clockwise;
    options.lineColour = QColor(choices[QStringLiteral("couleur")].toString(options.lineColour.name()));
    options.lineWidth = choices[QStringLiteral("ligne")].toInt(options.lineWidth);
    options.style = LabelStyleNamed(choices[QStringLiteral("numeros")].toString()).value_or(options.style);
    if (!reopened.dots.empty())
        options.firstDot = reopened.dots.front().position;
    reopened.pictureName = choices[QStringLiteral("nom")].toString().toStdString();
    return reopened;
}

std::vector<std::pair<int, std::string>> ReopenablePictures(const ContentPlaces& places, const std::string& theme)
{
    const std::string folder = WithoutSlash(places.UserThemePath(theme));
    const int count = ThemeDat::ForTheme(theme, places).NombreImages();
    std::vector<std::pair<int, std::string>> pictures;
    std::error_code error;
    for (int picture = 1; picture <= count; ++picture)
        if (fs::exists(folder + "/" + ChoicesFileName(static_cast<std::uint32_t>(picture)), error))
            pictures.emplace_back(picture,
                                  ReadChoices(folder, static_cast<std::uint32_t>(picture))[QStringLiteral("nom")]
                                      .toString()
                                      .toStdString());
    return pictures;
}

}  // namespace vorlane
