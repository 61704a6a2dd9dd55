#include "print/PrintStore.h"

#include "content/ContentPaths.h"
#include "content/ContentPlaces.h"
#include "content/ThemeDat.h"

#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace vorlane;
using vorlane::test::ReadFile;
using vorlane::test::TempDir;
using vorlane::test::WriteFile;

TEST(PrintableMark, AnyNonZeroIntegerIsSet)
{
    struct Case {
        const char* line;
        bool set;
    };
    const Case cases[] = {
        {"Imprimer=1", true}, {"Imprimer=2", true},   {"Imprimer=-1", true},    {"imprimer=$10", true},
        {"Imprimer=0", false}, {"Imprimer=oui", false}, {"Imprimer=", false},   {"Autre=1", false},
    };
    TempDir dir;
    const std::string themeFile = dir.file("theme.dat");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        WriteFile(themeFile, std::string("[Image06]\nImprimer=1\n[Image07]\nNombrePoints=12\n") + c.line + "\n");
        EXPECT_EQ(ReadPrintableMark(themeFile, "Image07"), c.set);
    }
    EXPECT_FALSE(ReadPrintableMark(themeFile, "Image08"));
    EXPECT_FALSE(ReadPrintableMark(dir.file("absent.dat"), "Image07"));
}

TEST(PrintableMark, GameWritesOneAndPrintManagerZero)
{
    TempDir dir;
    const std::string themeFile = dir.file("theme.dat");
    WriteFile(themeFile, "[Image07]\nNombrePoints=12\n");
    WritePrintableMark(themeFile, "Image07", true);
    EXPECT_TRUE(ReadPrintableMark(themeFile, "Image07"));
    EXPECT_NE(ReadFile(themeFile).find("Imprimer=1"), std::string::npos);

    WritePrintableMark(themeFile, "Image07", false);
    EXPECT_FALSE(ReadPrintableMark(themeFile, "Image07"));
    const std::string text = ReadFile(themeFile);
    EXPECT_NE(text.find("Imprimer=0"), std::string::npos);  // the key stays
    EXPECT_NE(text.find("NombrePoints=12"), std::string::npos);
}

TEST(PrintStoreNames, EveryImageInAnyCaseIsReplaced)
{
    struct Case {
        const char* picture;
        const char* dots;
        const char* archive;
    };
    const Case cases[] = {
        {"Image07", "Points07.bmp", "Couleur07.bmz"},
        {"image100", "Points100.bmp", "Couleur100.bmz"},
        {"IMAGE01", "Points01.bmp", "Couleur01.bmz"},
        {"ImageimAGE2", "PointsPoints2.bmp", "CouleurCouleur2.bmz"},
        {"Dessin", "Dessin.bmp", "Dessin.bmz"},
        {"Imag", "Imag.bmp", "Imag.bmz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        EXPECT_EQ(DotsFileName(c.picture), c.dots);
        EXPECT_EQ(ArchiveFileName(c.picture), c.archive);
        EXPECT_EQ(PictureFileName(c.picture), std::string(c.picture) + ".bmp");
    }
}

// The game forms the names from the picture number, the print manager from the
// picture name: both must reach the same files and the same key.
TEST(PrintStoreNames, GameAndPrintManagerAgree)
{
    TempDir dir;
    ContentPlaces::Settle(dir.path().string() + "/");
    std::filesystem::create_directories(dir.path() / "Themes" / "Animaux");
    EXPECT_EQ(ThemeFile("Animaux"), dir.path().string() + "/Themes/Animaux/theme.dat");
    for (const std::uint32_t picture : {1u, 7u, 30u, 100u}) {
        const std::string name = ImageSection(picture);
        SCOPED_TRACE(name);
        EXPECT_EQ(DotsFileName(name), PointsFileName(picture));
        EXPECT_EQ(PictureFileName(name), ImageFileName(picture));
        EXPECT_EQ(ArchiveFileName(name), CouleurFileName(picture));
    }
    EXPECT_EQ(ArchiveFileName(ImageSection(7)), "Couleur07.bmz");

    WritePrintableMark(ThemeFile("Animaux"), ImageSection(7), true);
    EXPECT_TRUE(ThemeDat::ForTheme("Animaux").Imprimer(7));
    ThemeDat::ForTheme("Animaux").WriteImprimer(7, false);
    EXPECT_FALSE(ReadPrintableMark(ThemeFile("Animaux"), "Image07"));
}
