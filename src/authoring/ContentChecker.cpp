#include "ContentChecker.h"

#include "PictureJudge.h"

#include "content/AppearanceDat.h"
#include "content/ContentPaths.h"
#include "content/ContentPlaces.h"
#include "content/IniFile.h"
#include "content/ThemeDat.h"
#include "display/TDIB.h"
#include "display/TWave.h"

#include <algorithm>
#include <array>
#include <climits>
#include <filesystem>
#include <optional>
#include <string_view>

namespace vorlane {

namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kAbsent = INT32_MIN;
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kKeyCount = 9;
// Beyond this a theme is surely broken, and reading its keys would take long.
constexpr int kMostPoints = 9999;

// A content file, under its exact name or, as the game finds it, under the
// same name in another letter case (content made on Windows).
std::optional<std::string> Find(const std::string& folder, const std::string& name)
{
    const std::string path = ResolveContentFile(folder + "/" + name);
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return std::nullopt;
    return path;
}

class Faults {
public:
    explicit Faults(PackageReport& report) : m_report(report) {}
    void Add(const std::string& file, const std::string& what) { m_report.faults.push_back(file + " : " + what); }
    std::size_t Count() const { return m_report.faults.size(); }
    void Warn(const std::string& what) { m_report.warnings.push_back(what); }

private:
    PackageReport& m_report;
};

std::string Size(int width, int height)
{
    return std::to_string(width) + "×" + std::to_string(height);
}

std::optional<TDIB> LoadImage(const std::string& folder, const std::string& name, Faults& faults)
{
    const auto path = Find(folder, name);
    if (!path) {
        faults.Add(name, "fichier absent");
        return std::nullopt;
    }
    TDIB bitmap;
    try {
        bitmap.LoadBitmapFile(*path);
    } catch (const std::exception& error) {
        faults.Add(name, std::string("image illisible (") + error.what() + ")");
        return std::nullopt;
    }
    if (bitmap.Empty()) {
        faults.Add(name, "image vide");
        return std::nullopt;
    }
    return bitmap;
}

// [General] Version 1, SubVersion 0 and Nom "Vorlane": without them the
// launcher does not list the package.
void CheckIdentity(const PackageIdentity& identity, const std::string& file, Faults& faults)
{
    if (identity.Version != 1)
        faults.Add(file, "[General] Version vaut " + std::to_string(identity.Version) + " au lieu de 1");
    if (identity.SubVersion != 0)
        faults.Add(file, "[General] SubVersion vaut " + std::to_string(identity.SubVersion) + " au lieu de 0");
    if (identity.Nom != PackageIdentity::kProductTag)
        faults.Add(file, "[General] Nom vaut « " + identity.Nom + " » au lieu de « Vorlane »");
}

bool IsBlack(std::uint32_t colour) { return (colour & 0xFFFFFF) == 0; }

int Red(std::uint32_t colour) { return static_cast<int>(colour & 0xFF); }
int Green(std::uint32_t colour) { return static_cast<int>((colour >> 8) & 0xFF); }
int Blue(std::uint32_t colour) { return static_cast<int>((colour >> 16) & 0xFF); }

// Pixels of one kind of fault: how many, and where the first is.
struct PixelFault {
    long count = 0;
    int x = 0;
    int y = 0;

    void Add(int atX, int atY)
    {
        if (count++ == 0) {
            x = atX;
            y = atY;
        }
    }
    std::string Describe(const std::string& what) const
    {
        return std::to_string(count) + " pixels " + what + " (le premier en " + std::to_string(x) + ", " +
               std::to_string(y) + ")";
    }
};

bool TouchesBlack(const TDIB& image, int x, int y)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if ((dx != 0 || dy != 0) && x + dx >= 0 && y + dy >= 0 && x + dx < image.Width() &&
                y + dy < image.Height() && IsBlack(image.PixelColour(x + dx, y + dy)))
                return true;
    return false;
}

// Pixels a fill would go through although they look like part of a black
// line: near-black pixels, and grey pixels touching black (anti-aliased edges).
void CheckPureBlackLines(const TDIB& image, const std::string& file, Faults& faults)
{
    PixelFault nearBlack;
    PixelFault greyEdge;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const std::uint32_t colour = image.PixelColour(x, y) & 0xFFFFFF;
            if (colour == 0 || colour == 0xFFFFFF)
                continue;
            const int brightest = std::max({Red(colour), Green(colour), Blue(colour)});
            const int darkest = std::min({Red(colour), Green(colour), Blue(colour)});
            if (brightest <= 0x30)
                nearBlack.Add(x, y);
            else if (brightest - darkest <= 24 && TouchesBlack(image, x, y))
                greyEdge.Add(x, y);
        }
    if (nearBlack.count > 0)
        faults.Add(file, nearBlack.Describe("presque noirs") +
                             " : les traits doivent être noir pur (0x000000), sinon le coloriage les traverse");
    if (greyEdge.count > 0)
        faults.Add(file, greyEdge.Describe("gris au bord des traits noirs") +
                             " : un coloriage laisserait un liseré ; dessinez les traits sans lissage");
}

void CheckPicture(const std::string& folder, const IniFile& ini, std::uint32_t number, Faults& faults)
{
    const std::size_t before = faults.Count();
    const std::string section = ImageSection(number);
    const std::string pointsName = PointsFileName(number);
    const std::string imageName = ImageFileName(number);
    const auto points = LoadImage(folder, pointsName, faults);
    const auto image = LoadImage(folder, imageName, faults);
    if (points && image && (points->Width() != image->Width() || points->Height() != image->Height()))
        faults.Add(imageName, "taille " + Size(image->Width(), image->Height()) + ", différente de celle de " +
                                  pointsName + " (" + Size(points->Width(), points->Height()) +
                                  ") : les points et le dessin doivent se superposer");
    if (image)
        CheckPureBlackLines(*image, imageName, faults);

    const std::string where = "theme.dat [" + section + "] ";
    const std::int32_t count = ini.ReadInteger(section, "NombrePoints", kAbsent);
    if (count == kAbsent) {
        faults.Add(where + "NombrePoints", "absent ou illisible");
        return;
    }
    if (count < 1 || count > kMostPoints) {
        faults.Add(where + "NombrePoints", std::to_string(count) + " : il faut de 1 à " + std::to_string(kMostPoints) +
                                               " points");
        return;
    }
    JudgedPage page;
    for (std::int32_t p = 1; p <= count; ++p) {
        const std::string number = NumberText(static_cast<std::uint32_t>(p));
        const std::string xKey = "XPoint" + number;
        const std::string yKey = "YPoint" + number;
        const std::string lineKey = "Ligne" + number;
        const std::int32_t x = ini.ReadInteger(section, xKey, kAbsent);
        const std::int32_t y = ini.ReadInteger(section, yKey, kAbsent);
        const std::int32_t width = ini.ReadInteger(section, lineKey, 1);
        if (x == kAbsent || y == kAbsent) {
            faults.Add(where + (x == kAbsent ? xKey : yKey), "absent ou illisible");
            continue;
        }
        if (width < 1)
            faults.Add(where + lineKey, "épaisseur " + std::to_string(width) +
                                            (width == -1 ? " : le dessin ne pourrait pas passer ce point"
                                                         : " : il faut au moins 1 pixel"));
        if (x == -1 || y == -1)
            faults.Add(where + xKey + "/" + yKey, "(" + std::to_string(x) + ", " + std::to_string(y) +
                                                      ") : le dessin ne pourrait pas passer ce point");
        else if (points && (x < 0 || y < 0 || x >= points->Width() || y >= points->Height()))
            faults.Add(where + xKey + "/" + yKey, "point (" + std::to_string(x) + ", " + std::to_string(y) +
                                                      ") hors de l'image " + Size(points->Width(), points->Height()));
        page.dots.emplace_back(x, y);
        page.lineWidth = p == 1 ? width : std::max(page.lineWidth, width);
    }
    // Only a page the game can play is worth judging.
    if (faults.Count() != before || !points || !image)
        return;
    page.dotsPicture = JudgedPage::GreyPicture(*points);
    page.finishedPicture = JudgedPage::GreyPicture(*image);
    const PageVerdict verdict = PictureJudge::Judge(page);
    if (!verdict.Good())
        faults.Warn(section + " : " + verdict.Line());
}

// Names and key columns of the zones, in M_Couleurs order (column 2 is not read).
struct ZoneName {
    int column;
    const char* name;
};
constexpr std::array<ZoneName, 8> kZones = {{
    {0, "dessin"}, {1, "effacer"}, {3, "suivant"}, {4, "précédent"},
    {5, "arrêt"}, {6, "oui"}, {7, "non"}, {8, "palette"},
}};

std::string KeyName(int column)
{
    for (const ZoneName& zone : kZones)
        if (zone.column == column)
            return "clé " + std::to_string(column) + " (" + zone.name + ")";
    return "clé " + std::to_string(column);
}

// Every key must be found in its mask, and no other mask pixel may turn into a
// key at 16 bits per pixel.
void CheckMask(const TDIB& mask, const std::string& file, const std::array<std::uint32_t, kKeyCount>& keys,
               std::initializer_list<int> columns, Faults& faults)
{
    std::array<bool, kKeyCount> found{};
    long strays = 0;
    int strayColumn = -1;
    for (int y = 0; y < mask.Height(); ++y)
        for (int x = 0; x < mask.Width(); ++x) {
            const std::uint32_t colour = mask.PixelColour(x, y) & 0xFFFFFF;
            for (const int column : columns) {
                const auto k = static_cast<std::size_t>(column);
                if (colour == keys[k]) {
                    found[k] = true;
                } else if (To565(colour) == To565(keys[k])) {
                    ++strays;
                    strayColumn = column;
                }
            }
        }
    for (const int column : columns)
        if (!found[static_cast<std::size_t>(column)])
            faults.Add(file, "la couleur de la " + KeyName(column) + " n'y figure pas : cette zone ne répond jamais");
    if (strays > 0)
        faults.Add(file, std::to_string(strays) + " pixels d'une autre couleur deviennent la " + KeyName(strayColumn) +
                             " à 16 bits par pixel");
}

// The region the game fills from (XCouleur, YCouleur), four-connected up to
// black, must be closed: it must not reach the image's edge.
void CheckIndicator(const TDIB& lines, int atX, int atY, Faults& faults)
{
    const std::string where = "F_Lignes.qrvi autour de (XCouleur, YCouleur) = (" + std::to_string(atX) + ", " +
                              std::to_string(atY) + ")";
    if (atX < 0 || atY < 0 || atX >= lines.Width() || atY >= lines.Height()) {
        faults.Add(where, "point hors de l'image");
        return;
    }
    if (IsBlack(lines.PixelColour(atX, atY))) {
        faults.Add(where, "le point est noir : l'indicateur de couleur ne se remplirait pas");
        return;
    }
    std::vector<bool> seen(static_cast<std::size_t>(lines.Width()) * static_cast<std::size_t>(lines.Height()));
    std::vector<std::pair<int, int>> pending{{atX, atY}};
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        if (x < 0 || y < 0 || x >= lines.Width() || y >= lines.Height()) {
            faults.Add(where, "l'indicateur de couleur n'est pas fermé par du noir : le remplissage atteindrait le bord");
            return;
        }
        const std::size_t index = static_cast<std::size_t>(y) * static_cast<std::size_t>(lines.Width()) +
                                  static_cast<std::size_t>(x);
        if (seen[index] || IsBlack(lines.PixelColour(x, y)))
            continue;
        seen[index] = true;
        pending.insert(pending.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
    }
}

constexpr std::array<const char*, 8> kImages = {"C_Pointeur",     "F_Principale", "MF_Principale",
                                                "M_Couleurs",     "F_Lignes",     "F_Confirmation",
                                                "MF_Confirmation", "F_Coloriage"};

}  // namespace

std::uint32_t To565(std::uint32_t colour)
{
    return static_cast<std::uint32_t>((Red(colour) >> 3) << 11 | (Green(colour) >> 2) << 5 | (Blue(colour) >> 3));
}

PackageReport CheckTheme(const std::string& folder, const std::string& package)
{
    PackageReport report{package, {}, {}};
    Faults faults(report);
    const auto datPath = Find(folder, "theme.dat");
    if (!datPath) {
        faults.Add("theme.dat", "fichier absent");
        return report;
    }
    const IniFile ini(*datPath);
    CheckIdentity(PackageIdentity::Read(ini), "theme.dat", faults);
    const std::int32_t pictures = ini.ReadInteger("General", "NombreImages", 0);
    if (pictures < 1) {
        faults.Add("theme.dat", "[General] NombreImages vaut " + std::to_string(pictures) + " : il faut au moins une image");
        return report;
    }
    for (std::int32_t n = 1; n <= pictures; ++n)
        CheckPicture(folder, ini, static_cast<std::uint32_t>(n), faults);
    return report;
}

PackageReport CheckAppearance(const std::string& folder, const std::string& package)
{
    PackageReport report{package, {}, {}};
    Faults faults(report);
    const auto datPath = Find(folder, "apparence.dat");
    if (!datPath) {
        faults.Add("apparence.dat", "fichier absent");
        return report;
    }
    const AppearanceDat dat(*datPath);
    CheckIdentity(dat.Identity(), "apparence.dat", faults);

    std::array<std::optional<TDIB>, kImages.size()> images;
    for (std::size_t i = 0; i < kImages.size(); ++i)
        images[i] = LoadImage(folder, AppearanceImageFileName(kImages[i]), faults);
    const auto& pointer = images[0];
    const auto& mask = images[2];
    const auto& keyImage = images[3];
    const auto& lines = images[4];
    const auto& panelMask = images[6];
    const auto& colouring = images[7];
    for (const std::size_t i : {std::size_t{1}, std::size_t{2}, std::size_t{4}, std::size_t{7}})
        if (images[i] && (images[i]->Width() != kScreenWidth || images[i]->Height() != kScreenHeight))
            faults.Add(AppearanceImageFileName(kImages[i]), "taille " + Size(images[i]->Width(), images[i]->Height()) +
                                                              " au lieu de " + Size(kScreenWidth, kScreenHeight));

    for (const char* sound : kAppearanceSounds) {
        const std::string name = AppearanceSoundFileName(sound);
        const auto path = Find(folder, name);
        if (!path) {
            faults.Add(name, "fichier absent");
            continue;
        }
        TWave wave;
        try {
            wave.LoadWaveFile(*path);
        } catch (const std::exception& error) {
            faults.Add(name, std::string("son illisible (") + error.what() + ")");
            continue;
        }
        if (wave.Empty())
            faults.Add(name, "son vide");
    }

    const AppearanceLayout layout = dat.Layout();
    const std::int32_t offsetX = layout.PointeurOffsetX;
    const std::int32_t offsetY = layout.PointeurOffsetY;
    if (pointer && (offsetX < 0 || offsetY < 0 || offsetX >= pointer->Width() || offsetY >= pointer->Height()))
        faults.Add("apparence.dat [General] PointeurOffsetX/PointeurOffsetY",
                   "(" + std::to_string(offsetX) + ", " + std::to_string(offsetY) + ") hors du pointeur " +
                       Size(pointer->Width(), pointer->Height()));

    if (keyImage && keyImage->Width() < kKeyCount) {
        faults.Add("M_Couleurs.qrvi", std::to_string(keyImage->Width()) + " pixels de large : il en faut au moins 9");
    } else if (keyImage) {
        std::array<std::uint32_t, kKeyCount> keys{};
        for (int k = 0; k < kKeyCount; ++k)
            keys[static_cast<std::size_t>(k)] = keyImage->PixelColour(k, 0) & 0xFFFFFF;
        for (std::size_t a = 0; a < kZones.size(); ++a) {
            const auto ka = keys[static_cast<std::size_t>(kZones[a].column)];
            if (To565(ka) == 0)
                faults.Add("M_Couleurs.qrvi", "la " + KeyName(kZones[a].column) +
                                                  (ka == 0 ? " est noire" : " devient noire à 16 bits par pixel") +
                                                  " : le noir est lu hors des images");
            for (std::size_t b = a + 1; b < kZones.size(); ++b) {
                const auto kb = keys[static_cast<std::size_t>(kZones[b].column)];
                if (ka == kb || To565(ka) == To565(kb))
                    faults.Add("M_Couleurs.qrvi", "la " + KeyName(kZones[a].column) + " et la " +
                                                      KeyName(kZones[b].column) + " ont la même couleur" +
                                                      (ka == kb ? "" : " à 16 bits par pixel"));
            }
        }
        if (mask)
            CheckMask(*mask, "MF_Principale.qrvi", keys, {0, 1, 3, 4, 5, 8}, faults);
        if (panelMask)
            CheckMask(*panelMask, "MF_Confirmation.qrvi", keys, {6, 7}, faults);
    }

    const std::int32_t atX = layout.XCouleur;
    const std::int32_t atY = layout.YCouleur;
    if (lines)
        CheckIndicator(*lines, atX, atY, faults);
    if (colouring && atX >= 0 && atY >= 0 && atX < colouring->Width() && atY < colouring->Height() &&
        (colouring->PixelColour(atX, atY) & 0xFFFFFF) != 0xFFFFFF)
        faults.Add("F_Coloriage.qrvi en (XCouleur, YCouleur)",
                   "pas blanc : le cadre cacherait l'indicateur de couleur");

    // Images the game uses when they are there: one it cannot read, or of
    // another size, it leaves aside without a word, so it is said here.
    const auto& panel = images[5];
    std::vector<const char*> optional(kQuestionImages.begin(), kQuestionImages.end());
    optional.push_back(kCrayonsImage);
    for (const char* image : optional) {
        const std::string name = AppearanceImageFileName(image);
        if (!Find(folder, name))
            continue;
        const auto loaded = LoadImage(folder, name, faults);
        const bool crayons = image == kCrayonsImage;
        const int width = crayons ? kScreenWidth : panel ? panel->Width() : 0;
        const int height = crayons ? kScreenHeight : panel ? panel->Height() : 0;
        if (loaded && width > 0 && (loaded->Width() != width || loaded->Height() != height))
            faults.Add(name, "taille " + Size(loaded->Width(), loaded->Height()) + " au lieu de " + Size(width, height) +
                                 " : le jeu ne la montre pas");
    }
    return report;
}

std::vector<PackageReport> CheckProgramFolder(const std::string& programDir)
{
    std::vector<PackageReport> reports;
    for (const auto& [kind, check] : {std::pair{"Themes", &CheckTheme}, std::pair{"Apparences", &CheckAppearance}}) {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(fs::path(programDir) / kind, error)) {
            const std::string name = entry.path().filename().string();
            // A user's progress on a shared theme is no theme of theirs.
            if (!name.starts_with(".") && entry.is_directory(error) &&
                !(kind == std::string_view("Themes") && ContentPlaces::HoldsProgressOnly(entry.path().string())))
                names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            reports.push_back(check((fs::path(programDir) / kind / name).string(), std::string(kind) + "/" + name));
    }
    return reports;
}

}  // namespace vorlane
