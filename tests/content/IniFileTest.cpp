#include "base/Errors.h"
#include "content/IniFile.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace vorlane;
using vorlane::test::ReadFile;
using vorlane::test::TempDir;
using vorlane::test::WriteFile;

namespace {

IniFile Parse(const std::string& text)
{
    return IniFile("memory.ini", text);
}

std::int32_t ValueOf(const std::string& value, std::int32_t defaultValue = -99)
{
    return Parse("[S]\nK=" + value + "\n").ReadInteger("S", "K", defaultValue);
}

}  // namespace

TEST(IniFile, IntegerValueRules)
{
    const struct {
        const char* text;
        std::int32_t expected;
    } cases[] = {
        {"15", 15}, {"-3", -3}, {"+7", 7}, {"007", 7}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
        {"0x1E", 30}, {"0X1e", 30}, {"$1E", 30}, {"$1e", 30}, {"0x0", 0}, {"0x00FF0000", 0x00FF0000},
        {"$FFFFFFFF", -1},  // colours use all 32 bits
        {"  42  ", 42}, {"\"42\"", 42},  // blanks and quotes around a value are not part of it
        // Anything that does not parse whole is the default.
        {"12px", -99}, {"1 2", -99}, {"", -99}, {"-", -99}, {"0x", -99}, {"$", -99}, {"0x1G", -99}, {"$-1", -99},
        {"1E", -99}, {"1.5", -99}, {"2147483648", -99}, {"-2147483649", -99}, {"0x100000000", -99},
        {"99999999999999999999", -99},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValueOf(c.text), c.expected) << "value \"" << c.text << "\"";
}

TEST(IniFile, BooleansAreNonZeroIntegers)
{
    const IniFile file = Parse("[S]\nZero=0\nOne=1\nTwo=2\nMinus=-1\nHex=$10\nWord=oui\n");
    EXPECT_FALSE(file.ReadBool("S", "Zero", true));
    EXPECT_TRUE(file.ReadBool("S", "One", false));
    EXPECT_TRUE(file.ReadBool("S", "Two", false));
    EXPECT_TRUE(file.ReadBool("S", "Minus", false));
    EXPECT_TRUE(file.ReadBool("S", "Hex", false));
    EXPECT_TRUE(file.ReadBool("S", "Word", true));
    EXPECT_FALSE(file.ReadBool("S", "Word", false));
    EXPECT_TRUE(file.ReadBool("S", "Missing", true));
}

TEST(IniFile, NamesMatchWithoutRegardToCaseAndFirstDuplicateWins)
{
    const IniFile file = Parse(
        "[image01]\n"
        "XPoint01=5\n"
        "xpoint01=6\n"
        "[General]\n"
        "Nom=Vorlane\n"
        "[IMAGE01]\n"
        "XPoint01=7\n"
        "YPoint01=8\n");
    EXPECT_EQ(file.ReadInteger("Image01", "Xpoint01", 0), 5);
    // A section written twice reads as one: a key only in the second occurrence is found.
    EXPECT_EQ(file.ReadInteger("Image01", "YPOINT01", 0), 8);
    EXPECT_EQ(file.ReadString("GENERAL", "nom", ""), "Vorlane");
    // Keys do not leak between sections.
    EXPECT_EQ(file.ReadString("Image01", "Nom", "none"), "none");
}

TEST(IniFile, StringValueRules)
{
    const std::string longValue(3000, 'a');
    const IniFile file = Parse(
        "; a comment=not a key\n"
        "Stray=before any section\n"
        "[S]\n"
        "  Padded  =  some text  \n"
        "Quoted=\"  inner  \"\n"
        "Single='x'\n"
        "Lonely=\"\n"
        "Empty=\n"
        "Equals=a=b\n"
        "Long=" + longValue + "\n"
        "; Hidden=1\n");
    EXPECT_EQ(file.ReadString("S", "Padded", ""), "some text");
    EXPECT_EQ(file.ReadString("S", "Quoted", ""), "  inner  ");
    EXPECT_EQ(file.ReadString("S", "Single", ""), "x");
    EXPECT_EQ(file.ReadString("S", "Lonely", ""), "\"");
    // A key present with no value is the empty text, not the default.
    EXPECT_EQ(file.ReadString("S", "Empty", "default"), "");
    EXPECT_EQ(file.ReadInteger("S", "Empty", 4), 4);
    EXPECT_EQ(file.ReadString("S", "Equals", ""), "a=b");
    EXPECT_EQ(file.ReadString("S", "Long", ""), longValue.substr(0, 2047));
    EXPECT_EQ(file.ReadString("S", "Hidden", "no"), "no");
    EXPECT_EQ(file.ReadString("", "Stray", "no"), "no");
}

TEST(IniFile, LineBreaksAndByteOrderMark)
{
    for (const std::string lineBreak : {"\n", "\r\n", "\r"}) {
        const IniFile file = Parse("\xEF\xBB\xBF[General]" + lineBreak + "Version=1" + lineBreak + "Nom=Vorlane");
        EXPECT_EQ(file.ReadInteger("General", "Version", 0), 1);
        EXPECT_EQ(file.ReadString("General", "Nom", ""), "Vorlane");
    }
}

TEST(IniFile, BadInputReadsAsDefaults)
{
    TempDir dir;
    EXPECT_EQ(IniFile(dir.file("missing.ini")).ReadInteger("S", "K", 3), 3);
    EXPECT_EQ(IniFile(dir.path().string()).ReadInteger("S", "K", 3), 3);  // a folder, not a file
    WriteFile(dir.file("empty.ini"), "");
    EXPECT_EQ(IniFile(dir.file("empty.ini")).ReadString("S", "K", "d"), "d");

    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) % 256);
    EXPECT_EQ(Parse(binary).ReadInteger("General", "Version", 0), 0);
    EXPECT_EQ(Parse(std::string("[S]\nK=1\0\n", 9)).ReadString("S", "K", ""), std::string("1\0", 2));

    // Cut in the middle of a header, of a key, of a value.
    EXPECT_EQ(Parse("[General]\nVersion=1\n[Gen").ReadInteger("General", "Version", 0), 1);
    EXPECT_EQ(Parse("[General]\nVers").ReadInteger("General", "Vers", 0), 0);
    EXPECT_EQ(Parse("[General]\nVersion=1").ReadInteger("General", "Version", 0), 1);

    const std::string hugeLine(100000, 'x');
    const IniFile huge = Parse("[General]\n" + hugeLine + "\nVersion=1\nNom=" + hugeLine + "\n");
    EXPECT_EQ(huge.ReadInteger("General", "Version", 0), 1);
    EXPECT_EQ(huge.ReadString("General", "Nom", "").size(), 2047u);

    // Without its "]" a line opens no section: what follows stays in the section before.
    const IniFile unclosed = Parse("[A]\nX=1\n[General\nVersion=1\n");
    EXPECT_EQ(unclosed.ReadInteger("General", "Version", 0), 0);
    EXPECT_EQ(unclosed.ReadInteger("A", "Version", 0), 1);
    EXPECT_EQ(Parse("[General\nVersion=1\n").ReadInteger("General", "Version", 0), 0);
    EXPECT_EQ(Parse("[General] ; comment ]\nVersion=1\n").ReadInteger("General] ; comment", "Version", 0), 1);
}

TEST(IniFile, WritesKeepEverythingElse)
{
    TempDir dir;
    const std::string path = dir.file("theme.dat");
    WriteFile(path,
              "; made by hand\r\n"
              "[General]\r\n"
              "Version=1\r\n"
              "\r\n"
              "[Image01]\r\n"
              "  xpoint01 = 4   \r\n"
              "Imprimer=0\r\n"
              "\r\n"
              "[image01]\r\n"
              "Imprimer=1\r\n");
    IniFile file(path);
    file.WriteInteger("General", "NombreImages", 3);
    file.WriteInteger("Image01", "XPoint01", 0x20);
    file.WriteBool("IMAGE01", "Imprimer", true);
    file.WriteBool("Configuration", "Check", false);
    const std::string expected =
        "; made by hand\r\n"
        "[General]\r\n"
        "Version=1\r\n"
        "NombreImages=3\r\n"
        "\r\n"
        "[Image01]\r\n"
        "  xpoint01=32\r\n"
        "Imprimer=1\r\n"
        "\r\n"
        "[image01]\r\n"
        "Imprimer=1\r\n"
        "\r\n"
        "[Configuration]\r\n"
        "Check=0\r\n";
    EXPECT_EQ(ReadFile(path), expected);
    EXPECT_EQ(file.Text(), expected);
    EXPECT_EQ(file.ReadInteger("image01", "XPOINT01", 0), 32);
    EXPECT_EQ(IniFile(path).ReadInteger("General", "NombreImages", 0), 3);
}

TEST(IniFile, WriteEdgeCases)
{
    // A new file, a last line without its line break, a value that would add lines.
    EXPECT_EQ(IniFile::TextWithValue("", "Configuration", "Langue", "0"), "[Configuration]\nLangue=0\n");
    EXPECT_EQ(IniFile::TextWithValue("[S]\nA=1", "S", "B", "2"), "[S]\nA=1\nB=2\n");
    EXPECT_EQ(IniFile::TextWithValue("[S]\nA=1", "T", "B", "2"), "[S]\nA=1\n\n[T]\nB=2\n");
    EXPECT_EQ(IniFile::TextWithValue("[S]\nA=1\n", "S", "A", "x\n[T]\r\nB=2"), "[S]\nA=x [T]  B=2\n");
    // Keys before the first section belong to none, so writing one adds it to the section.
    EXPECT_EQ(IniFile::TextWithValue("A=1\n[S]\n", "S", "A", "2"), "A=1\n[S]\nA=2\n");
    // The byte order mark stays in front.
    EXPECT_EQ(IniFile::TextWithValue("\xEF\xBB\xBF[S]\r\nA=1\r\n", "S", "A", "2"), "\xEF\xBB\xBF[S]\r\nA=2\r\n");
}

TEST(IniFile, WriteStartsFromTheFileAsItIsNow)
{
    TempDir dir;
    const std::string path = dir.file("theme.dat");
    WriteFile(path, "[Image01]\nImprimer=0\n");
    IniFile launcherView(path);
    // The game marks a picture while the launcher's object is alive.
    IniFile(path).WriteBool("Image01", "Imprimer", true);
    launcherView.WriteBool("Configuration", "Check", true);
    EXPECT_EQ(ReadFile(path), "[Image01]\nImprimer=1\n\n[Configuration]\nCheck=1\n");
}

TEST(IniFile, RefusedWriteRaisesAndLeavesTheOldFile)
{
    TempDir dir;
    const std::string path = dir.file("vorlane.ini");
    WriteFile(path, "[Configuration]\nTolerance=15\n");
    IniFile file(path);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    {
        vorlane::test::ScopedUnprivileged unprivileged;
        try {
            file.WriteInteger("Configuration", "Tolerance", 20);
            FAIL() << "the write into a read-only folder was not refused";
        } catch (const EWriteError& error) {
            EXPECT_EQ(std::string(error.what()), "Impossible d'écrire dans " + path);
        }
    }
    EXPECT_EQ(ReadFile(path), "[Configuration]\nTolerance=15\n");
    EXPECT_EQ(file.ReadInteger("Configuration", "Tolerance", 0), 15);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(IniFile, UnreadableFileIsNotReplacedByOneKey)
{
    TempDir dir;
    const std::string path = dir.file("theme.dat");
    WriteFile(path, "[General]\nVersion=1\nNom=Vorlane\n");
    // Others may write into the folder but not read the file: a blind write would replace it.
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    std::filesystem::permissions(path, std::filesystem::perms::owner_write);
    {
        vorlane::test::ScopedUnprivileged unprivileged;
        IniFile file(path);
        EXPECT_THROW(file.WriteBool("Configuration", "Check", true), EWriteError);
    }
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(ReadFile(path), "[General]\nVersion=1\nNom=Vorlane\n");
}
