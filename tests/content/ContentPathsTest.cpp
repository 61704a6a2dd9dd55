#include "content/ContentPaths.h"
#include "content/ContentPlaces.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace vorlane;
using vorlane::test::TempDir;
using vorlane::test::WriteFile;

TEST(ContentPaths, ProgramFolderIsTheExecutables)
{
    const std::string executable = ExecutablePath();
    ASSERT_TRUE(executable.ends_with("/test_content")) << executable;
    EXPECT_EQ(ContentPlaces::Current().ProgramFolder(), executable.substr(0, executable.size() - std::string("test_content").size()));
}

TEST(ContentPaths, SettingsFileLowerCasesOnlyItsOwnName)
{
    EXPECT_EQ(SettingsFileNameFor("/home/Léa/Jeux/Vorlane"), "/home/Léa/Jeux/vorlane.ini");
    EXPECT_EQ(SettingsFileNameFor("/opt/Prog.D/VORLANE.EXE"), "/opt/Prog.D/vorlane.ini");
    EXPECT_EQ(SettingsFileNameFor("/opt/v1.10/Vorlane.bin"), "/opt/v1.10/vorlane.ini");
}

TEST(ContentPaths, ContentFileFoundWithoutRegardToCase)
{
    TempDir dir;
    const auto root = dir.path().string();
    std::filesystem::create_directories(dir.path() / "Themes" / "Animaux");
    WriteFile(root + "/Themes/Animaux/points01.BMP", "");
    WriteFile(root + "/Themes/Animaux/Image01.bmp", "");
    WriteFile(root + "/Themes/Animaux/IMAGE02.bmp", "");
    WriteFile(root + "/Themes/Animaux/image02.BMP", "");

    EXPECT_EQ(ResolveContentFile(root + "/Themes/Animaux/Image01.bmp"), root + "/Themes/Animaux/Image01.bmp");
    EXPECT_EQ(ResolveContentFile(root + "/Themes/Animaux/Points01.bmp"), root + "/Themes/Animaux/points01.BMP");
    // The folder is looked up the same way.
    EXPECT_EQ(ResolveContentFile(root + "/themes/ANIMAUX/Points01.bmp"), root + "/Themes/Animaux/points01.BMP");
    // Of two spellings, always the same one.
    EXPECT_EQ(ResolveContentFile(root + "/Themes/Animaux/Image02.bmp"), root + "/Themes/Animaux/IMAGE02.bmp");
    // Nothing found: the name asked for, for the error message.
    EXPECT_EQ(ResolveContentFile(root + "/Themes/Animaux/Points03.bmp"), root + "/Themes/Animaux/Points03.bmp");
    EXPECT_EQ(ResolveContentFile(root + "/Themes/Animaux/Image01.bmp/x"), root + "/Themes/Animaux/Image01.bmp/x");
}
