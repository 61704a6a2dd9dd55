#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace vorlane;
using vorlane::test::ReadFile;
using vorlane::test::TempDir;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace

TEST(AtomicFile, ReplacesContentAndKeepsPermissions)
{
    TempDir dir;
    const std::string path = dir.file("settings.ini");
    ReplaceFileAtomically(path, Bytes("first"));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ReplaceFileAtomically(path, Bytes("second"));
    EXPECT_EQ(ReadFile(path), "second");
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(AtomicFile, RefusedWriteLeavesOldFileAndNamesPath)
{
    TempDir dir;
    const std::string path = dir.file("theme.dat");
    ReplaceFileAtomically(path, Bytes("old"));
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    {
        vorlane::test::ScopedUnprivileged unprivileged;
        try {
            ReplaceFileAtomically(path, Bytes("new"));
            FAIL() << "the write into a read-only folder was not refused";
        } catch (const EWriteError& error) {
            EXPECT_EQ(std::string(error.what()), "Impossible d'écrire dans " + path);
        }
    }
    EXPECT_EQ(ReadFile(path), "old");
}

TEST(AtomicFile, MissingFolderIsRefused)
{
    TempDir dir;
    EXPECT_THROW(ReplaceFileAtomically(dir.file("absent/file.ini"), Bytes("x")), EWriteError);
}

TEST(AtomicFile, ReadWholeFile)
{
    TempDir dir;
    std::vector<std::uint8_t> bytes{1, 2, 3};
    EXPECT_FALSE(ReadWholeFile(dir.file("absent"), bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(ReadWholeFile(dir.path().string(), bytes));
    ReplaceFileAtomically(dir.file("f"), Bytes("abc"));
    ASSERT_TRUE(ReadWholeFile(dir.file("f"), bytes));
    EXPECT_EQ(bytes, Bytes("abc"));
}
