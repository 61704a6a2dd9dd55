#include "content/AppearanceDat.h"
#include "content/ContentPaths.h"
#include "content/ContentPlaces.h"
#include "content/DisplayString.h"
#include "content/ThemeDat.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace vorlane;
using vorlane::test::ReadFile;
using vorlane::test::TempDir;
using vorlane::test::WriteFile;

TEST(ThemePackage, PictureNumbersHaveAtLeastTwoDigits)
{
    EXPECT_EQ(NumberText(0), "00");
    EXPECT_EQ(NumberText(1), "01");
    EXPECT_EQ(NumberText(99), "99");
    EXPECT_EQ(PointsFileName(100), "Points100.bmp");
    EXPECT_EQ(ImageFileName(100), "Image100.bmp");
    EXPECT_EQ(CouleurFileName(100), "Couleur100.bmz");
    EXPECT_EQ(ImageSection(100), "Image100");
    EXPECT_EQ(PointsFileName(3), "Points03.bmp");
    EXPECT_EQ(ImageSection(3), "Image03");
}

TEST(ThemePackage, PointKeysAndTheirDefaults)
{
    TempDir dir;
    WriteFile(dir.file("theme.dat"),
              "[General]\nVersion=1\nNom=Vorlane\nNombreImages=$0C\n"
              "[Image05]\nNombrePoints=2\nTitre=vache\n"
              "[Image100]\nNombrePoints=3\nCouleur=0x0000FF\n"
              "Ligne01=3\nxpoint01=0x20\nYPoint01=12px\n"
              "Ligne02=-1\nXPoint02=-1\nYPoint02=$1E\n");
    const ThemeDat theme(dir.file("theme.dat"));
    EXPECT_EQ(theme.NombreImages(), 12);

    // A picture with only its point count: every point at (1, 1), width 1, black lines.
    EXPECT_EQ(theme.NombrePoints(5), 2);
    EXPECT_EQ(theme.Couleur(5), 0);
    EXPECT_EQ(theme.Point(5, 1), (ThemePoint{1, 1, 1}));
    EXPECT_EQ(theme.Point(5, 2), (ThemePoint{1, 1, 1}));

    EXPECT_EQ(theme.NombrePoints(100), 3);
    EXPECT_EQ(theme.Couleur(100), 0xFF);
    EXPECT_EQ(theme.Point(100, 1), (ThemePoint{32, 1, 3}));
    EXPECT_EQ(theme.Point(100, 2), (ThemePoint{-1, 30, -1}));
    EXPECT_EQ(theme.NombrePoints(7), 1);  // a missing section
    EXPECT_EQ(theme.Titre(5), "vache");
    EXPECT_EQ(theme.Titre(100), "");      // made before pictures had names
    EXPECT_EQ(theme.Etiquette(100, 3), "3");  // made before pictures said how they count
    EXPECT_FALSE(theme.Check());
}

TEST(ThemePackage, DotLabelsCountAsThePictureSays)
{
    TempDir dir;
    WriteFile(dir.file("theme.dat"), "[Image01]\nNumeros=A\n[Image02]\nnumeros=a\nPremier=9\n"
                                     "[Image03]\nNumeros=5\nPremier=30\n[Image04]\nPremier=161\n"
                                     "[Image05]\nNumeros=10\n[Image06]\nNumeros=2\nPremier=0\n");
    const ThemeDat theme(dir.file("theme.dat"));
    const struct {
        std::uint32_t picture, point;
        const char* label;
    } cases[] = {{1, 1, "A"}, {1, 26, "Z"}, {2, 1, "a"}, {2, 3, "c"}, {3, 1, "30"}, {3, 35, "200"},
                 {4, 40, "200"}, {5, 2, "11"}, {6, 1, "0"}, {6, 4, "6"}};
    for (const auto& c : cases)
        EXPECT_EQ(theme.Etiquette(c.picture, c.point), c.label) << c.picture << " " << c.point;
}

TEST(ThemePackage, MissingCountIsZero)
{
    TempDir dir;
    WriteFile(dir.file("theme.dat"), "[General]\nVersion=1\nSubVersion=0\nNom=Vorlane\n");
    EXPECT_EQ(ThemeDat(dir.file("theme.dat")).NombreImages(), 0);
    EXPECT_EQ(ThemeDat(dir.file("absent.dat")).NombreImages(), 0);
}

TEST(ThemePackage, PrintableMarkAndCheckAreWrittenInPlace)
{
    TempDir dir;
    const std::string path = dir.file("theme.dat");
    WriteFile(path, "[General]\nVersion=1\n\n[Image02]\nNombrePoints=4\n");
    ThemeDat theme(path);
    theme.WriteImprimer(2, true);
    theme.WriteImprimer(10, true);
    theme.WriteCheck(true);
    EXPECT_TRUE(ThemeDat(path).Imprimer(2));
    EXPECT_TRUE(ThemeDat(path).Imprimer(10));
    EXPECT_FALSE(ThemeDat(path).Imprimer(1));
    theme.WriteImprimer(2, false);
    EXPECT_EQ(ReadFile(path),
              "[General]\nVersion=1\n\n[Image02]\nNombrePoints=4\nImprimer=0\n\n[Image10]\nImprimer=1\n\n"
              "[Configuration]\nCheck=1\n");
}

TEST(ThemePackage, DescriptionFoundUnderAnyCase)
{
    TempDir dir;
    const std::string saved = ContentPlaces::Current().ProgramFolder();
    ContentPlaces::Settle(dir.path().string());
    std::filesystem::create_directories(dir.path() / "Themes" / "Animaux");
    WriteFile(dir.file("Themes/Animaux/THEME.DAT"), "[General]\nNombreImages=4\n");
    ThemeDat theme = ThemeDat::ForTheme("Animaux");
    EXPECT_EQ(theme.NombreImages(), 4);
    theme.WriteCheck(true);
    EXPECT_EQ(ReadFile(dir.file("Themes/Animaux/THEME.DAT")), "[General]\nNombreImages=4\n\n[Configuration]\nCheck=1\n");
    ContentPlaces::Settle(saved);
}

TEST(AppearancePackage, LayoutKeys)
{
    TempDir dir;
    WriteFile(dir.file("apparence.dat"),
              "[General]\nVersion=1\nSubVersion=0\nNom=Vorlane\n"
              "PointeurOffsetX=3\nPOINTEUROFFSETY=0x4\nXDessin=112\nYDessin=$40\n"
              "XOuiNon=300\nYouiNon=250\nXCouleur=20\nYCouleur=700px\nCouleurAideCentre=0x00112233\n");
    const AppearanceDat appearance(dir.file("apparence.dat"));
    EXPECT_TRUE(appearance.Identity().IsAccepted());
    EXPECT_EQ(appearance.Layout(), (AppearanceLayout{3, 4, 112, 64, 300, 250, 20, 0}));
    EXPECT_EQ(appearance.Cue(), (CueColours{0x112233, CueColours{}.CouleurAideBord}));
    EXPECT_EQ(AppearanceDat(dir.file("absent.dat")).Layout(), AppearanceLayout{});
    EXPECT_FALSE(AppearanceDat(dir.file("absent.dat")).Identity().IsAccepted());
}

TEST(DisplayString, Utf8ElseLatin1)
{
    EXPECT_EQ(DisplayString("\xC3\x89l\xC3\xA9phants"), QString::fromUtf8("Éléphants"));
    EXPECT_EQ(DisplayString("\xC9l\xE9phants"), QString::fromUtf8("Éléphants"));
    EXPECT_EQ(DisplayString("Ferme"), QStringLiteral("Ferme"));
    EXPECT_EQ(DisplayString(""), QString());
    EXPECT_EQ(DisplayString("\xC3"), QString::fromUtf8("Ã"));  // cut in the middle of a character
}
