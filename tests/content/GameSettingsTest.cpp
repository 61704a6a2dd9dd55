#include "base/Errors.h"
#include "content/GameSettings.h"
#include "support/TestSupport.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace vorlane;
using vorlane::test::ReadFile;
using vorlane::test::TempDir;
using vorlane::test::WriteFile;

// While not 0, every folder flush of this program fails with this error, as
// on mounts that cannot flush a folder (EINVAL, ENOTSUP) or a failing disk.
static int folderFlushError = 0;

extern "C" int fsync(int fd)
{
    struct stat info {};
    if (folderFlushError != 0 && fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        errno = folderFlushError;
        return -1;
    }
    return static_cast<int>(syscall(SYS_fsync, fd));
}

namespace {

TGameSettings ReadFrom(const std::string& text)
{
    TempDir dir;
    WriteFile(dir.file("vorlane.ini"), text);
    TGameSettings settings;
    settings.Langue = 7;
    ReadSettings(dir.file("vorlane.ini"), settings);
    return settings;
}

}  // namespace

TEST(GameSettings, MissingFileGivesDefaults)
{
    TempDir dir;
    TGameSettings settings;
    settings.Langue = 3;
    settings.Tolerance = 40;
    settings.Apparence = 2;
    settings.Son = false;
    settings.Hazard = false;
    settings.AidePoint = NextDotHelp::Never;
    settings.Voix = false;
    ReadSettings(dir.file("vorlane.ini"), settings);
    EXPECT_EQ(settings.Langue, 0);
    EXPECT_EQ(settings.Tolerance, 15);
    EXPECT_EQ(settings.Apparence, 0);
    EXPECT_TRUE(settings.Son);
    EXPECT_TRUE(settings.Hazard);
    EXPECT_EQ(settings.AidePoint, NextDotHelp::AfterTwoMisses);
    EXPECT_TRUE(settings.Voix);
}

TEST(GameSettings, ToleranceHasOnlyALowerBound)
{
    const struct {
        const char* stored;
        std::int32_t expected;
    } cases[] = {{"3", 5}, {"4", 5}, {"5", 5}, {"6", 6}, {"99", 99}, {"-20", 5}, {"0x1E", 30}, {"$1E", 30},
                 {"12px", 15}, {"", 15}};
    for (const auto& c : cases) {
        EXPECT_EQ(ReadFrom(std::string("[Configuration]\nTolerance=") + c.stored + "\n").Tolerance, c.expected)
            << "stored \"" << c.stored << "\"";
    }
}

TEST(GameSettings, ReadsEveryKeyAndIgnoresLangue)
{
    const TGameSettings settings =
        ReadFrom("[configuration]\nLANGUE=2\nApparence=-4\nSon=0\nHazard=2\nTolerance=20\n");
    EXPECT_EQ(settings.Langue, 0);
    EXPECT_EQ(settings.Apparence, -4);  // taken as it is; the launcher decides what it selects
    EXPECT_FALSE(settings.Son);
    EXPECT_TRUE(settings.Hazard);
    EXPECT_EQ(settings.Tolerance, 20);
    EXPECT_FALSE(ReadFrom("[Configuration]\nHazard=0\n").Hazard);
    // A file of an older version has neither help key: both take their defaults.
    EXPECT_EQ(settings.AidePoint, NextDotHelp::AfterTwoMisses);
    EXPECT_TRUE(settings.Voix);
    EXPECT_EQ(ReadFrom("[Configuration]\nAidePoint=0\nVoix=0\n").AidePoint, NextDotHelp::Never);
    EXPECT_FALSE(ReadFrom("[Configuration]\nVoix=0\n").Voix);
    EXPECT_EQ(ReadFrom("[Configuration]\nAidePoint=2\n").AidePoint, NextDotHelp::AfterTenSeconds);
    EXPECT_EQ(ReadFrom("[Configuration]\nAidePoint=7\n").AidePoint, NextDotHelp::AfterTwoMisses);
}

TEST(GameSettings, WriteCreatesTheFileInKeyOrder)
{
    TempDir dir;
    const std::string path = dir.file("vorlane.ini");
    TGameSettings settings;
    settings.Tolerance = 3;
    settings.Apparence = 7;
    settings.Son = false;
    settings.AidePoint = NextDotHelp::AfterTenSeconds;
    settings.Voix = false;
    WriteSettings(path, settings);
    EXPECT_EQ(settings.Tolerance, 5);
    EXPECT_EQ(ReadFile(path),
              "[Configuration]\nLangue=0\nTolerance=5\nApparence=7\nSon=0\nHazard=1\nAidePoint=2\nVoix=0\n");

    TGameSettings readBack;
    ReadSettings(path, readBack);
    EXPECT_EQ(readBack.Tolerance, 5);
    EXPECT_EQ(readBack.Apparence, 7);
    EXPECT_FALSE(readBack.Son);
    EXPECT_TRUE(readBack.Hazard);
    EXPECT_EQ(readBack.AidePoint, NextDotHelp::AfterTenSeconds);
    EXPECT_FALSE(readBack.Voix);
}

TEST(GameSettings, WriteKeepsWhatElseTheFileHolds)
{
    TempDir dir;
    const std::string path = dir.file("vorlane.ini");
    WriteFile(path, "; réglages\n[Configuration]\nHazard=0\nTolerance=30\n\n[Autre]\nCle=1\n");
    TGameSettings settings;
    ReadSettings(path, settings);
    settings.Tolerance = 12;
    WriteSettings(path, settings);
    EXPECT_EQ(ReadFile(path),
              "; réglages\n[Configuration]\nHazard=0\nTolerance=12\nLangue=0\nApparence=0\nSon=1\nAidePoint=1\nVoix=1\n"
              "\n[Autre]\nCle=1\n");
}

TEST(GameSettings, RefusedWriteNamesTheFile)
{
    TempDir dir;
    const std::string path = dir.file("vorlane.ini");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    vorlane::test::ScopedUnprivileged unprivileged;
    TGameSettings settings;
    try {
        WriteSettings(path, settings);
        FAIL() << "the settings were written into a read-only folder";
    } catch (const EWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Impossible d'écrire dans " + path);
    }
}

TEST(GameSettings, WriteProtectedFileIsLeftUntouched)
{
    TempDir dir;
    const std::string path = dir.file("vorlane.ini");
    WriteFile(path, "[Configuration]\nTolerance=30\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::others_read);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);  // only the file says no
    TGameSettings settings;
    {
        vorlane::test::ScopedUnprivileged unprivileged;
        EXPECT_THROW(WriteSettings(path, settings), EWriteError);
    }
    EXPECT_EQ(ReadFile(path), "[Configuration]\nTolerance=30\n");
}

TEST(GameSettings, FolderFlushUnsupportedIsSuccessAndAFailureStopsNoOtherKey)
{
    TempDir dir;
    const std::string path = dir.file("vorlane.ini");
    TGameSettings settings;
    for (const int error : {EINVAL, ENOTSUP}) {
        folderFlushError = error;
        settings.Tolerance += 1;
        EXPECT_NO_THROW(WriteSettings(path, settings)) << error;
    }
    folderFlushError = EIO;
    settings.Apparence = 3;
    settings.Son = false;
    settings.Hazard = false;
    EXPECT_THROW(WriteSettings(path, settings), EWriteError);
    folderFlushError = 0;
    EXPECT_EQ(ReadFile(path), "[Configuration]\nLangue=0\nTolerance=17\nApparence=3\nSon=0\nHazard=0\nAidePoint=1\nVoix=1\n");
}
