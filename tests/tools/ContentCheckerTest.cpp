// The checker finds each fault it claims to find: a copy of one demo package is
// broken in one way, and the checker must name that fault, and only that.

#include "ContentChecker.h"
#include "DrawnPage.h"
#include "ThemeFiles.h"
#include "WaveWriter.h"
#include "ToolTestSupport.h"
#include "content/IniFile.h"

#include <QPainter>

#include <cstdio>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

using namespace vorlane;
using namespace vorlane::test;
namespace fs = std::filesystem;

namespace {

void SetKey(const fs::path& dat, const char* section, const char* key, const char* value)
{
    IniFile(dat.string()).WriteString(section, key, value);
}

void EditPicture(const fs::path& path, const std::function<void(QImage&)>& edit)
{
    QImage image = ReadPicture(path);
    edit(image);
    WritePicture(image, path);
}

QPoint Indicator(const fs::path& folder)
{
    const IniFile ini((folder / "apparence.dat").string());
    return {ini.ReadInteger("General", "XCouleur", 0), ini.ReadInteger("General", "YCouleur", 0)};
}

void Fill(QImage& image, const QRect& rect, QColor colour)
{
    QPainter(&image).fillRect(rect, colour);
}

void SetKeyPixel(const fs::path& folder, int column, QRgb colour)
{
    EditPicture(folder / "M_Couleurs.qrvi", [&](QImage& keys) { keys.setPixel(column, 0, colour); });
}

struct Breakage {
    const char* name;
    const char* package;                            // under the program folder
    std::function<void(const fs::path&)> breakIt;   // given the package's folder
    const char* expected;                           // in one of the faults; nullptr: no fault
    std::size_t faults = 1;
};

const char* kTheme = "Themes/Formes";
const char* kAppearance = "Apparences/Crayons";

const std::vector<Breakage>& Breakages()
{
    static const std::vector<Breakage> cases = {
        // Identity of the theme.
        {"theme version", kTheme, [](const fs::path& f) { SetKey(f / "theme.dat", "General", "Version", "2"); },
         "theme.dat : [General] Version vaut 2 au lieu de 1"},
        {"theme sub-version", kTheme, [](const fs::path& f) { SetKey(f / "theme.dat", "General", "SubVersion", "1"); },
         "theme.dat : [General] SubVersion vaut 1 au lieu de 0"},
        {"theme tag in lower case", kTheme, [](const fs::path& f) { SetKey(f / "theme.dat", "General", "Nom", "vorlane"); },
         "theme.dat : [General] Nom vaut « vorlane » au lieu de « Vorlane »"},
        {"no pictures", kTheme, [](const fs::path& f) { SetKey(f / "theme.dat", "General", "NombreImages", "0"); },
         "NombreImages vaut 0"},
        {"no theme.dat", kTheme, [](const fs::path& f) { fs::remove(f / "theme.dat"); }, "theme.dat : fichier absent"},
        // Pictures.
        {"dots picture missing", kTheme, [](const fs::path& f) { fs::remove(f / "Points03.bmp"); },
         "Points03.bmp : fichier absent"},
        {"finished picture not a bitmap", kTheme, [](const fs::path& f) { WriteFile((f / "Image02.bmp").string(), "not a bitmap"); },
         "Image02.bmp : image illisible"},
        {"finished picture empty", kTheme, [](const fs::path& f) { WriteFile((f / "Image02.bmp").string(), ""); },
         "Image02.bmp : image vide"},
        {"pictures of different sizes", kTheme,
         [](const fs::path& f) { EditPicture(f / "Image04.bmp", [](QImage& i) { i = i.copy(0, 0, 700, i.height()); }); },
         "Image04.bmp : taille 700×560, différente de celle de Points04.bmp (704×560)"},
        {"grey edges", kTheme,
         [](const fs::path& f) {
             EditPicture(f / "Image06.bmp", [](QImage& i) {
                 QPainter painter(&i);
                 painter.setRenderHint(QPainter::Antialiasing);
                 painter.setPen(QPen(Qt::black, 5));
                 painter.drawEllipse(QPointF(40.3, 40.6), 20, 17);
             });
         },
         "pixels gris au bord des traits noirs", 2},
        {"near-black line", kTheme,
         [](const fs::path& f) { EditPicture(f / "Image07.bmp", [](QImage& i) { Fill(i, QRect(10, 10, 30, 4), QColor(0x20, 0x20, 0x20)); }); },
         "Image07.bmp : 120 pixels presque noirs (le premier en 10, 10)"},
        {"file names in another letter case", kTheme,
         [](const fs::path& f) { fs::rename(f / "Points01.bmp", f / "points01.BMP"); }, nullptr, 0},
        // Points.
        {"no point", kTheme, [](const fs::path& f) { SetKey(f / "theme.dat", "Image05", "NombrePoints", "0"); },
         "theme.dat [Image05] NombrePoints : 0 : il faut de 1 à"},
        {"point count unreadable", kTheme, [](const fs::path& f) { SetKey(f / "theme.dat", "Image05", "NombrePoints", "douze"); },
         "theme.dat [Image05] NombrePoints : absent ou illisible"},
        {"coordinate unreadable", kTheme, [](const fs::path& f) { SetKey(f / "theme.dat", "Image03", "XPoint03", "12px"); },
         "theme.dat [Image03] XPoint03 : absent ou illisible"},
        {"point outside", kTheme, [](const fs::path& f) { SetKey(f / "theme.dat", "Image03", "XPoint03", "704"); },
         "theme.dat [Image03] XPoint03/YPoint03 : point (704, "},
        {"point the drawing cannot pass", kTheme, [](const fs::path& f) { SetKey(f / "theme.dat", "Image03", "YPoint03", "-1"); },
         "le dessin ne pourrait pas passer ce point"},
        {"pen the drawing cannot pass", kTheme, [](const fs::path& f) { SetKey(f / "theme.dat", "Image03", "Ligne04", "-1"); },
         "theme.dat [Image03] Ligne04 : épaisseur -1"},

        // Identity and files of the appearance.
        {"no apparence.dat", kAppearance, [](const fs::path& f) { fs::remove(f / "apparence.dat"); },
         "apparence.dat : fichier absent"},
        {"appearance version", kAppearance, [](const fs::path& f) { SetKey(f / "apparence.dat", "General", "Version", "0"); },
         "apparence.dat : [General] Version vaut 0 au lieu de 1"},
        {"image missing", kAppearance, [](const fs::path& f) { fs::remove(f / "F_Lignes.qrvi"); }, "F_Lignes.qrvi : fichier absent"},
        {"image unreadable", kAppearance, [](const fs::path& f) { WriteFile((f / "MF_Principale.qrvi").string(), "BM?"); },
         "MF_Principale.qrvi : image illisible"},
        {"sound missing", kAppearance, [](const fs::path& f) { fs::remove(f / "S_Oui.qrvs"); }, "S_Oui.qrvs : fichier absent"},
        {"sound not a wave", kAppearance, [](const fs::path& f) { WriteFile((f / "S_Non.qrvs").string(), "RIFF....AVI "); },
         "S_Non.qrvs : son illisible (Wave is invalid)"},
        {"sound without samples", kAppearance,
         [](const fs::path& f) {
             const std::vector<std::int16_t> none;
             const auto bytes = WaveFileBytes(none, 22050);
             WriteFile((f / "S_Couleur.qrvs").string(), std::string(bytes.begin(), bytes.end()));
         },
         "S_Couleur.qrvs : son vide"},
        {"frame not screen-wide", kAppearance,
         [](const fs::path& f) { EditPicture(f / "F_Principale.qrvi", [](QImage& i) { i = i.scaled(800, 600); }); },
         "F_Principale.qrvi : taille 800×600 au lieu de 1024×768"},
        {"question panel of another size", kAppearance,
         [](const fs::path& f) { EditPicture(f / "F_Confirmation_Suivant.qrvi", [](QImage& i) { i = i.scaled(300, 200); }); },
         "F_Confirmation_Suivant.qrvi : taille 300×200 au lieu de 520×300"},
        {"crayons' colours unreadable", kAppearance, [](const fs::path& f) { WriteFile((f / "M_Crayons.qrvi").string(), "BM?"); },
         "M_Crayons.qrvi : image illisible"},
        {"no question panels nor crayons' colours: as before", kAppearance,
         [](const fs::path& f) {
             for (const char* name : {"M_Crayons", "F_Confirmation_Efface", "F_Confirmation_Suivant",
                                      "F_Confirmation_Precedent", "F_Confirmation_Quitte"})
                 fs::remove(f / (std::string(name) + ".qrvi"));
         },
         nullptr, 0},
        {"pointer offset outside", kAppearance, [](const fs::path& f) { SetKey(f / "apparence.dat", "General", "PointeurOffsetX", "56"); },
         "hors du pointeur 56×56"},
        // Keys and masks.
        {"key row too short", kAppearance,
         [](const fs::path& f) { EditPicture(f / "M_Couleurs.qrvi", [](QImage& i) { i = i.copy(0, 0, 8, 1); }); },
         "M_Couleurs.qrvi : 8 pixels de large : il en faut au moins 9"},
        {"two keys alike", kAppearance, [](const fs::path& f) { SetKeyPixel(f, 4, qRgb(0, 0, 255)); },
         "la clé 3 (suivant) et la clé 4 (précédent) ont la même couleur"},
        {"two keys alike at 16 bits", kAppearance, [](const fs::path& f) { SetKeyPixel(f, 4, qRgb(1, 0, 255)); },
         "la clé 3 (suivant) et la clé 4 (précédent) ont la même couleur à 16 bits par pixel", 3},
        {"black key", kAppearance, [](const fs::path& f) { SetKeyPixel(f, 5, qRgb(0, 0, 0)); },
         "la clé 5 (arrêt) est noire"},
        {"key black at 16 bits", kAppearance, [](const fs::path& f) { SetKeyPixel(f, 5, qRgb(7, 3, 7)); },
         "la clé 5 (arrêt) devient noire à 16 bits par pixel", 3},
        {"key not in the mask", kAppearance, [](const fs::path& f) { SetKeyPixel(f, 1, qRgb(0x12, 0x34, 0x56)); },
         "MF_Principale.qrvi : la couleur de la clé 1 (effacer) n'y figure pas"},
        {"yes not in the panel mask", kAppearance,
         [](const fs::path& f) {
             EditPicture(f / "MF_Confirmation.qrvi", [](QImage& i) {
                 const QRgb yes = i.pixel(120, 180);
                 for (int y = 0; y < i.height(); ++y)
                     for (int x = 0; x < i.width(); ++x)
                         if (i.pixel(x, y) == yes)
                             i.setPixel(x, y, qRgb(0, 0, 0));
             });
         },
         "MF_Confirmation.qrvi : la couleur de la clé 6 (oui) n'y figure pas"},
        {"mask colour that becomes a key at 16 bits", kAppearance,
         [](const fs::path& f) { EditPicture(f / "MF_Principale.qrvi", [](QImage& i) { Fill(i, QRect(0, 760, 10, 8), QColor(254, 0, 0)); }); },
         "MF_Principale.qrvi : 80 pixels d'une autre couleur deviennent la clé 1 (effacer) à 16 bits par pixel"},
        // Colour indicator.
        {"indicator open", kAppearance,
         [](const fs::path& f) {
             const QPoint at = Indicator(f);
             EditPicture(f / "F_Lignes.qrvi", [&](QImage& i) { Fill(i, QRect(at.x(), at.y(), 120, 3), Qt::white); });
         },
         "l'indicateur de couleur n'est pas fermé par du noir"},
        {"indicator point on black", kAppearance,
         [](const fs::path& f) {
             const QPoint at = Indicator(f);
             EditPicture(f / "F_Lignes.qrvi", [&](QImage& i) { i.setPixel(at, qRgb(0, 0, 0)); });
         },
         "le point est noir"},
        {"indicator hidden by the frame", kAppearance,
         [](const fs::path& f) {
             const QPoint at = Indicator(f);
             EditPicture(f / "F_Coloriage.qrvi", [&](QImage& i) { i.setPixel(at, qRgb(200, 0, 0)); });
         },
         "F_Coloriage.qrvi en (XCouleur, YCouleur) : pas blanc"},
    };
    return cases;
}

}  // namespace

TEST(ContentChecker, FindsEachFault)
{
    for (const Breakage& breakage : Breakages()) {
        SCOPED_TRACE(breakage.name);
        TempDir program;
        const fs::path folder = program.path() / breakage.package;
        fs::create_directories(folder.parent_path());
        fs::copy(DemoProgramFolder() / breakage.package, folder, fs::copy_options::recursive);
        breakage.breakIt(folder);

        const auto reports = CheckProgramFolder(program.path().string());
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].package, breakage.package);
        EXPECT_EQ(reports[0].faults.size(), breakage.faults);
        if (breakage.expected == nullptr)
            continue;
        const bool found = std::any_of(reports[0].faults.begin(), reports[0].faults.end(),
                                       [&](const std::string& fault) { return fault.find(breakage.expected) != std::string::npos; });
        EXPECT_TRUE(found) << "expected « " << breakage.expected << " »";
    }
}

// A theme of one page drawn by the judge's tests: good unless spoilt.
void WriteDrawnTheme(const fs::path& folder, const JudgedPage& page)
{
    fs::create_directories(folder);
    WriteFile((folder / "theme.dat").string(),
              ThemeDatHead(1, false) + PictureSection(1, page.dots, QColor(0x15, 0x65, 0xC0), 5, false));
    WritePicture(page.dotsPicture, folder / "Points01.bmp");
    WritePicture(page.finishedPicture, folder / "Image01.bmp");
}

TEST(ContentChecker, CommandLineReportsEachPackageAndFails)
{
    NeedGuiApplication();
    TempDir program;
    WriteDrawnTheme(program.path() / "Themes" / "Anneau", DrawPage());
    fs::create_directories(program.path() / "Themes" / "Vide");
    fs::create_directories(program.path() / "Themes" / ".cache");
    const std::string command = std::string(VORLANE_CONTENT_TOOL) + " check " + program.path().string();

    int status = 0;
    EXPECT_EQ(CommandOutput(command + " 2>&1", &status), "Themes/Anneau : OK\nThemes/Vide : theme.dat : fichier absent\n");
    EXPECT_EQ(status, 1);

    fs::remove(program.path() / "Themes" / "Vide");
    EXPECT_EQ(CommandOutput(command + " --strict 2>&1", &status), "Themes/Anneau : OK\n");
    EXPECT_EQ(status, 0);
}

// A doubtful page is a warning naming the picture, its reasons and its dots;
// with --strict, an error.
TEST(ContentChecker, CommandLineJudgesEveryPicture)
{
    NeedGuiApplication();
    TempDir program;
    JudgedPage page = DrawPage({16, 6, 18, false, {}});
    WriteDrawnTheme(program.path() / "Themes" / "Anneau", page);
    const std::string command = std::string(VORLANE_CONTENT_TOOL) + " check " + program.path().string();
    const std::string verdict = "Image01 : Qualité : à revoir — le trait de l'enfant s'écarte du contour du dessin de ";

    int status = -1;
    const std::string warned = CommandOutput(command + " 2>&1", &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(warned.starts_with("Themes/Anneau : avertissement : " + verdict)) << warned;
    EXPECT_NE(warned.find("16"), std::string::npos) << warned;
    std::string strict = warned;
    strict.erase(strict.find("avertissement : "), std::strlen("avertissement : "));
    EXPECT_EQ(CommandOutput(command + " --strict 2>&1", &status), strict);
    EXPECT_EQ(status, 1);
}
