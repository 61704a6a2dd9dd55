#include "print/zipUnzip.h"

#include "base/Errors.h"
#include "display/TDIB.h"
#include "support/TestSupport.h"

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vorlane;
using vorlane::test::ReadFile;
using vorlane::test::TempDir;
using vorlane::test::WriteFile;

namespace {

const std::string kTool = std::string(VORLANE_TEST_SOURCE) + "/archive_tool.py";

// Runs a shell command; returns its standard output, and fails the test on a non-zero exit.
std::string RunCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << command;
        return output;
    }
    std::array<char, 4096> buffer{};
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe))
        output.append(buffer.data(), got);
    EXPECT_EQ(::pclose(pipe), 0) << command << "\n" << output;
    return output;
}

std::string Quoted(const std::string& text)
{
    return "'" + text + "'";
}

// The members as Python's zipfile sees them, each as its key=value fields.
std::vector<std::map<std::string, std::string>> Members(const std::string& archive)
{
    std::vector<std::map<std::string, std::string>> members;
    std::istringstream lines(RunCommand("python3 " + kTool + " info " + Quoted(archive)));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        auto& member = members.emplace_back();
        for (std::string field; fields >> field;) {
            const auto equals = field.find('=');
            member[field.substr(0, equals)] = field.substr(equals + 1);
        }
    }
    return members;
}

std::string ExtractMember(const std::string& archive, const std::string& name, const TempDir& dir)
{
    const std::string out = dir.file("extracted");
    RunCommand("python3 " + kTool + " extract " + Quoted(archive) + " " + name + " " + Quoted(out));
    return ReadFile(out);
}

std::string BmpBytes(const TDIB& bitmap)
{
    std::vector<std::uint8_t> bytes;
    bitmap.SaveBitmapStream(bytes);
    return std::string(bytes.begin(), bytes.end());
}

// Flat areas of a few colours with black outlines, like a coloured picture.
TDIB Drawing(int width, int height, std::uint32_t seed)
{
    TDIB bitmap;
    bitmap.SetSize24(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* pixel = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x, pixel += 3) {
            const bool outline = (x + y) % 11 == 0 || x % 13 == 0;
            const std::uint32_t colour = outline ? 0 : ((x / 13) * 0x3F1D27u + (y / 7) * 0x1B3A55u + seed * 0x4567u);
            pixel[0] = static_cast<std::uint8_t>(colour >> 16);
            pixel[1] = static_cast<std::uint8_t>(colour >> 8);
            pixel[2] = static_cast<std::uint8_t>(colour);
        }
    }
    return bitmap;
}

TDIB Noise(int width, int height, std::uint32_t seed)
{
    TDIB bitmap;
    bitmap.SetSize24(width, height);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < bitmap.Stride(); ++x)
            bitmap.ScanLine(y)[x] = static_cast<std::uint8_t>(random());
    }
    return bitmap;
}

void ExpectSamePixels(const TDIB& actual, const TDIB& expected)
{
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    for (int y = 0; y < expected.Height(); ++y) {
        for (int x = 0; x < expected.Width(); ++x)
            ASSERT_EQ(actual.PixelColour(x, y), expected.PixelColour(x, y)) << "at " << x << "," << y;
    }
}

// The archive reads back as exactly these pixels.
void ExpectArchiveHolds(const std::string& path, const TDIB& expected)
{
    TDIB read;
    UnzipBitmap(path, read);
    ExpectSamePixels(read, expected);
}

bool SamePixels(const TDIB& a, const TDIB& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (a.PixelColour(x, y) != b.PixelColour(x, y))
                return false;
        }
    }
    return true;
}

std::size_t FilesIn(const std::filesystem::path& folder)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

}  // namespace

TEST(ZipBitmap, WritesOneFastDeflatedMemberHoldingThe24BitBmp)
{
    TempDir dir;
    const std::string path = dir.file("Couleur07.bmz");
    const TDIB picture = Drawing(47, 33, 1);  // odd sizes exercise the row padding
    ZipBitmap(picture, path);

    const auto members = Members(path);
    ASSERT_EQ(members.size(), 1u);
    const std::string bmp = BmpBytes(picture);
    EXPECT_EQ(members[0].at("name"), "couleur.bmp");
    EXPECT_EQ(members[0].at("method"), "8");
    EXPECT_EQ(members[0].at("flags"), "4");
    EXPECT_EQ(members[0].at("size"), std::to_string(bmp.size()));
    EXPECT_LT(std::stoul(members[0].at("csize")), bmp.size());
    EXPECT_EQ(members[0].at("crc"), "ok");
    EXPECT_EQ(ExtractMember(path, "couleur.bmp", dir), bmp);

    // Info-ZIP agrees: the fast sub-type, and the data tests clean.
    EXPECT_NE(RunCommand("unzip -Z -v " + Quoted(path)).find("compression sub-type (deflation):               fast"),
              std::string::npos);
    EXPECT_NE(RunCommand("unzip -t " + Quoted(path)).find("No errors detected"), std::string::npos);

    ExpectArchiveHolds(path, picture);
}

TEST(ZipBitmap, IndexedBitmapIsWrittenAs24Bit)
{
    TempDir dir;
    const std::string path = dir.file("Couleur01.bmz");
    TDIB indexed;
    indexed.SetSizeIndexed(47, 33, {0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF});
    for (int y = 0; y < 33; ++y) {
        for (int x = 0; x < 47; ++x)
            indexed.ScanLine(y)[x] = static_cast<std::uint8_t>((x / 5 + y / 4) % 5);
    }
    ZipBitmap(indexed, path);

    const std::string bmp = ExtractMember(path, "couleur.bmp", dir);
    const auto u32 = [&bmp](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bmp[at])) |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bmp[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bmp[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bmp[at + 3])) << 24;
    };
    constexpr std::uint32_t kStride = ((24 * 47 + 31) / 32) * 4;
    ASSERT_EQ(bmp.size(), 54 + kStride * 33);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(u32(2), bmp.size());
    EXPECT_EQ(u32(10), 54u);                  // no colour table
    EXPECT_EQ(u32(22), 33u);                  // positive height: bottom-up rows
    EXPECT_EQ(u32(28) & 0xFFFF, 24u);         // bits per pixel
    EXPECT_EQ(u32(34), kStride * 33);         // image size

    ExpectArchiveHolds(path, indexed);
}

TEST(ZipBitmap, SecondSaveLeavesOneMemberWithTheSecondPicture)
{
    TempDir dir;
    const std::string path = dir.file("Couleur07.bmz");
    ZipBitmap(Drawing(40, 30, 1), path);
    const TDIB second = Drawing(40, 30, 2);
    ZipBitmap(second, path);

    const auto members = Members(path);
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].at("name"), "couleur.bmp");
    EXPECT_EQ(members[0].at("flags"), "4");  // a replaced member keeps the fast option
    ExpectArchiveHolds(path, second);
}

TEST(ZipBitmap, KeepsOtherMembersAndDropsEveryOlderPicture)
{
    TempDir dir;
    const std::string path = dir.file("Couleur03.bmz");
    RunCommand("python3 " + kTool + " write " + Quoted(path) +
        " lisezmoi.txt =bonjour stored couleur.bmp =ancien deflated couleur.bmp =plus-ancien deflated");
    const TDIB picture = Drawing(20, 10, 3);
    ZipBitmap(picture, path);

    const auto members = Members(path);
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].at("name"), "lisezmoi.txt");
    EXPECT_EQ(members[0].at("method"), "0");
    EXPECT_EQ(ExtractMember(path, "lisezmoi.txt", dir), "bonjour");
    EXPECT_EQ(members[1].at("name"), "couleur.bmp");
    EXPECT_EQ(members[1].at("crc"), "ok");
    ExpectArchiveHolds(path, picture);
}

TEST(ZipBitmap, IncompressiblePixelsAreStored)
{
    TempDir dir;
    const std::string path = dir.file("Couleur02.bmz");
    const TDIB noise = Noise(64, 64, 7);
    ZipBitmap(noise, path);

    const auto members = Members(path);
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].at("method"), "0");
    EXPECT_EQ(members[0].at("flags"), "0");
    EXPECT_EQ(members[0].at("csize"), members[0].at("size"));
    EXPECT_EQ(members[0].at("crc"), "ok");
    ExpectArchiveHolds(path, noise);

    // A drawing saved over the stored noise is deflated again.
    ZipBitmap(Drawing(64, 64, 1), path);
    EXPECT_EQ(Members(path).at(0).at("flags"), "4");
}

TEST(UnzipBitmap, ReadsArchivesOfAnotherWriter)
{
    TempDir dir;
    const TDIB picture = Drawing(47, 33, 5);
    const std::string bmpFile = dir.file("image.bmp");
    WriteFile(bmpFile, BmpBytes(picture));
    for (const char* method : {"stored", "deflated"}) {
        SCOPED_TRACE(method);
        const std::string path = dir.file(std::string(method) + ".bmz");
        RunCommand("python3 " + kTool + " write " + Quoted(path) + " couleur.bmp " + Quoted(bmpFile) + " " + method);
        ExpectArchiveHolds(path, picture);
    }
}

TEST(UnzipBitmap, ArchiveWithoutThePictureGivesAnEmptyImage)
{
    TempDir dir;
    const std::string path = dir.file("Couleur04.bmz");
    RunCommand("python3 " + kTool + " write " + Quoted(path) + " autre.bmp =BMxx deflated");
    TDIB image = Drawing(8, 8, 1);
    UnzipBitmap(path, image);
    EXPECT_TRUE(image.Empty());
}

TEST(UnzipBitmap, MemberThatIsNotABitmapFails)
{
    TempDir dir;
    const std::string path = dir.file("Couleur05.bmz");
    for (const char* member : {"=PNG-et-non-BMP", "=BM-mais-abime"}) {
        RunCommand("python3 " + kTool + " write " + Quoted(path) + " couleur.bmp " + member + " deflated");
        TDIB image = Drawing(8, 8, 1);
        try {
            UnzipBitmap(path, image);
            ADD_FAILURE() << member << " was accepted";
        } catch (const EInvalidBitmap& error) {
            EXPECT_STREQ(error.what(), "Image bitmap incorrecte");
        }
        ExpectSamePixels(image, Drawing(8, 8, 1));
    }
}

TEST(UnzipBitmap, FailuresNameTheFile)
{
    TempDir dir;
    const std::string notZip = dir.file("Couleur06.bmz");
    WriteFile(notZip, "ceci n'est pas une archive, mais un texte assez long pour en avoir l'air");
    const std::string damaged = dir.file("Couleur08.bmz");
    ZipBitmap(Drawing(200, 100, 1), damaged);
    std::string bytes = ReadFile(damaged);
    bytes[60] = static_cast<char>(bytes[60] ^ 0x55);  // inside the deflated data
    WriteFile(damaged, bytes);
    const std::string empty = dir.file("Couleur09.bmz");
    WriteFile(empty, "");

    for (const std::string& path : {notZip, damaged, empty}) {
        TDIB image;
        try {
            UnzipBitmap(path, image);
            ADD_FAILURE() << path << " was read";
        } catch (const EInvalidArchive& error) {
            EXPECT_EQ(std::string(error.what()), "Impossible d'ouvrir le fichier " + path);
        }
    }
    TDIB image;
    EXPECT_THROW(UnzipBitmap(dir.file("absent.bmz"), image), EFOpenError);
}

TEST(ZipBitmap, FileThatIsNotAnArchiveIsKept)
{
    TempDir dir;
    const std::string path = dir.file("Couleur06.bmz");
    const std::string text = "un document qu'il ne faut pas perdre";
    WriteFile(path, text);
    EXPECT_THROW(ZipBitmap(Drawing(10, 10, 1), path), EInvalidArchive);
    EXPECT_EQ(ReadFile(path), text);
    EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST(ZipBitmap, RefusedFolderChangesNothing)
{
    TempDir dir;
    const std::string path = dir.file("Couleur07.bmz");
    ZipBitmap(Drawing(10, 10, 1), path);
    const std::string before = ReadFile(path);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                                                 std::filesystem::perms::others_read |
                                                 std::filesystem::perms::others_exec);
    {
        vorlane::test::ScopedUnprivileged unprivileged;
        try {
            ZipBitmap(Drawing(10, 10, 2), path);
            ADD_FAILURE() << "the save into a read-only folder was not refused";
        } catch (const EWriteError& error) {
            EXPECT_EQ(std::string(error.what()), "Impossible d'écrire dans " + path);
        }
    }
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(FilesIn(dir.path()), 1u);

    EXPECT_THROW(ZipBitmap(Drawing(10, 10, 2), dir.file("absent/Couleur01.bmz")), EWriteError);
}

namespace {

struct FileState {
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    bool operator==(const FileState& other) const
    {
        return inode == other.inode && size == other.size && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

FileState StateOf(const std::string& path)
{
    struct stat info {};
    ::stat(path.c_str(), &info);
    return {info.st_ino, info.st_size, info.st_mtim};
}

// Spins until the folder holds another file or the archive changed: the save
// has started writing.
bool WaitForWriting(const TempDir& dir, const std::string& path)
{
    const FileState before = StateOf(path);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (FilesIn(dir.path()) != 1 || !(StateOf(path) == before))
            return true;
    }
    return false;
}

}  // namespace

// A save killed while it writes leaves the previous archive or the new one, whole.
TEST(ZipBitmap, KilledSaveLeavesAWholeArchive)
{
    TempDir dir;
    const std::string path = dir.file("Couleur09.bmz");
    // Noise is stored, so each save writes megabytes.
    const std::array<TDIB, 2> pictures = {Noise(1000, 800, 1), Noise(1000, 800, 2)};
    ZipBitmap(pictures[0], path);
    std::mt19937 random(42);
    for (int round = 0; round < 6; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                ZipBitmap(pictures[static_cast<std::size_t>((round + 1) % 2)], path);
            } catch (...) {
                ::_exit(1);
            }
            ::pause();  // wait for the kill
            ::_exit(0);
        }
        const bool writing = WaitForWriting(dir, path);
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 2000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(writing) << "the save never started writing";
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process failed";

        TDIB read;
        UnzipBitmap(path, read);
        EXPECT_TRUE(SamePixels(read, pictures[0]) || SamePixels(read, pictures[1])) << "round " << round;
        // A killed save may leave its temporary file; the next round must see the archive alone.
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            if (entry.path() != path)
                std::filesystem::remove(entry.path());
        }
    }
}

namespace {

// A small tmpfs over a folder; needs root (CI runs the tests as root).
class ScopedTmpfs {
public:
    ScopedTmpfs(const std::filesystem::path& folder, const std::string& size) : m_folder(folder)
    {
        m_mounted = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
    }
    ScopedTmpfs(const ScopedTmpfs&) = delete;
    ScopedTmpfs& operator=(const ScopedTmpfs&) = delete;
    ~ScopedTmpfs()
    {
        if (m_mounted)
            ::umount2(m_folder.c_str(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }

private:
    std::filesystem::path m_folder;
    bool m_mounted = false;
};

}  // namespace

TEST(ZipBitmap, FullDiskLeavesThePreviousArchive)
{
    TempDir dir;
    ScopedTmpfs disk(dir.path(), "256k");
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const std::string path = dir.file("Couleur10.bmz");
    const TDIB first = Drawing(200, 150, 1);
    ZipBitmap(first, path);
    EXPECT_THROW(ZipBitmap(Noise(400, 300, 3), path), EWriteError);
    ExpectArchiveHolds(path, first);
    EXPECT_EQ(FilesIn(dir.path()), 1u);
}
