// vorlane-content trace: bad drawings refused with a French message and
// nothing written; a good one appended to a theme without touching the rest.
#include "ThemeWriter.h"
#include "ToolTestSupport.h"

#include "content/ThemeDat.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <fstream>
#include <chrono>
#include <map>
#include <thread>
#include <zlib.h>

namespace vorlane::test {
namespace {

namespace fs = std::filesystem;

const std::string kTool = VORLANE_CONTENT_TOOL;
const std::string kElephant = "/usr/share/openclipart/svg/animals/mammals/contour_elephant.svg";

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string BigEndian(std::uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::string Chunk(const std::string& type, const std::string& data)
{
    const std::string body = type + data;
    return BigEndian(static_cast<std::uint32_t>(data.size())) + body +
           BigEndian(static_cast<std::uint32_t>(
               crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

// A small PNG whose header announces width × height: decoding it would ask for gigabytes.
std::string HugePng(std::uint32_t width, std::uint32_t height)
{
    const std::string pixels(64, '\0');
    std::vector<Bytef> packed(compressBound(pixels.size()));
    uLongf size = packed.size();
    compress(packed.data(), &size, reinterpret_cast<const Bytef*>(pixels.data()), pixels.size());
    return "\x89PNG\r\n\x1a\n" + Chunk("IHDR", BigEndian(width) + BigEndian(height) + std::string("\x08\x02\0\0\0", 5)) +
           Chunk("IDAT", std::string(packed.begin(), packed.begin() + static_cast<long>(size))) + Chunk("IEND", "");
}

std::string Plain(Qt::GlobalColor colour)
{
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

TEST(TraceCommandTest, BadDrawingsAreRefusedAndNothingIsWritten)
{
    NeedGuiApplication();
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY a \"hahahahahahahahahaha\">";
    for (char level = 'b'; level <= 'j'; ++level)
        laughs += std::string("<!ENTITY ") + level + " \"" + std::string(10, '&') + "\">";
    laughs += "]><svg xmlns=\"http://www.w3.org/2000/svg\"><text>&j;</text></svg>";
    const std::map<std::string, std::string> drawings = {
        {"vide.png", ""},
        {"illisible.png", "ceci n'est pas une image"},
        {"blanc.png", Plain(Qt::white)},
        {"noir.png", Plain(Qt::black)},
        {"immense.png", HugePng(40000, 40000)},
        {"externe.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                        "width=\"100\" height=\"100\"><image xlink:href=\"file:///etc/passwd\" width=\"90\" "
                        "height=\"90\"/><rect width=\"50\" height=\"50\"/></svg>"},
        {"rires.svg", laughs},
    };
    TempDir folder;
    for (const auto& [name, bytes] : drawings) {
        Write(folder.path() / name, bytes);
        int status = -1;
        const std::string output = CommandOutput(kTool + " trace " + (folder.path() / name).string() + " " +
                                                     (folder.path() / "programme").string() + " --theme Essai 2>&1",
                                                 &status);
        EXPECT_EQ(status, 1) << name << ": " << output;
        EXPECT_NE(output.find(name + " : Ce "), std::string::npos) << output;
        EXPECT_FALSE(fs::exists(folder.path() / "programme")) << name;
    }
}

TEST(TraceCommandTest, AppendsToAThemeTouchingNothingElseAndReopens)
{
    TempDir folder;
    const fs::path program = folder.path();
    fs::copy(DemoProgramFolder(), program, fs::copy_options::recursive);
    const fs::path theme = program / "Themes" / "Animaux";
    ThemeDat dat((theme / "theme.dat").string());
    const int before = dat.NombreImages();
    dat.WriteCheck(false);
    dat.WriteImprimer(2, true);
    Write(theme / CouleurFileName(2), "colorié par un enfant");
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::directory_iterator(theme))
        if (entry.path().filename() != "theme.dat")
            files[entry.path()] = Slurp(entry.path());
    const std::string oldDat = Slurp(theme / "theme.dat");

    int status = -1;
    const std::string output = CommandOutput(kTool + " trace " + kElephant + " " + program.string() +
                                                 " --theme Animaux --points 12 --numeros A --nom Éléphant 2>&1",
                                             &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("Themes/Animaux : OK"), std::string::npos) << output;
    EXPECT_NE(output.find("\nQualité : "), std::string::npos) << "the page's verdict: " << output;

    for (const auto& [path, bytes] : files)
        EXPECT_EQ(Slurp(path), bytes) << path;
    const ThemeDat after((theme / "theme.dat").string());
    EXPECT_EQ(after.NombreImages(), before + 1);
    EXPECT_FALSE(after.Check());
    EXPECT_TRUE(after.Imprimer(2));
    const auto picture = static_cast<std::uint32_t>(before + 1);
    EXPECT_FALSE(after.Imprimer(picture));
    EXPECT_EQ(after.NombrePoints(picture), 12);
    EXPECT_EQ(after.Titre(picture), "Éléphant");
    const std::string newDat = Slurp(theme / "theme.dat");
    EXPECT_EQ(newDat.substr(newDat.find("[Configuration]"), oldDat.size() - oldDat.find("[Configuration]")),
              oldDat.substr(oldDat.find("[Configuration]")));

    const ReopenedPicture reopened = ReopenPicture(ContentPlaces(program.string()), "Animaux", before + 1);
    EXPECT_EQ(reopened.pictureName, "Éléphant");
    EXPECT_EQ(reopened.options.style, LabelStyle::UpperLetters);
    ASSERT_EQ(reopened.dots.size(), 12u);
    for (std::uint32_t p = 1; p <= 12; ++p)
        EXPECT_EQ(reopened.dots[p - 1].position, QPoint(after.Point(picture, p).X, after.Point(picture, p).Y));
    EXPECT_EQ(reopened.drawing.PictureToColour(), ReadPicture(theme / ImageFileName(picture)));
}

// Three writers of one theme.dat at once: two command lines append a picture
// each while the launcher's tick is written in between. Each reads, changes
// and writes the file under the theme folder's lock: no key is lost, no
// picture number taken twice.
TEST(TraceCommandTest, ConcurrentWritersOfOneThemeLoseNothing)
{
    TempDir folder;
    const fs::path theme = folder.path() / "Themes" / "Animaux";
    fs::create_directories(theme.parent_path());
    fs::copy(DemoProgramFolder() / "Themes" / "Animaux", theme, fs::copy_options::recursive);
    const std::string dat = (theme / "theme.dat").string();
    const int before = ThemeDat(dat).NombreImages();
    ThemeDat(dat).WriteCheck(true);

    int statuses[2] = {-1, -1};
    std::vector<std::thread> tracers;
    for (int i = 0; i < 2; ++i)
        tracers.emplace_back([&, i] {
            CommandOutput(kTool + " trace " + kElephant + " " + folder.path().string() + " --theme Animaux --points " +
                              std::to_string(12 + i) + " 2>&1",
                          &statuses[i]);
        });
    // The tick is written while a picture's files are being written.
    const auto drawn = [&] {
        for (int picture = before + 1; picture <= before + 2; ++picture)
            if (fs::exists(theme / ("Dessin" + NumberText(static_cast<std::uint32_t>(picture)) + ".svg")))
                return true;
        return false;
    };
    for (int wait = 0; wait < 60000 && !drawn(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ThemeDat(dat).WriteCheck(false);
    for (std::thread& tracer : tracers)
        tracer.join();

    EXPECT_EQ(statuses[0], 0);
    EXPECT_EQ(statuses[1], 0);
    const ThemeDat after(dat);
    EXPECT_EQ(after.NombreImages(), before + 2);
    EXPECT_FALSE(after.Check());
    const auto first = static_cast<std::uint32_t>(before + 1);
    EXPECT_EQ(after.NombrePoints(first) + after.NombrePoints(first + 1), 12 + 13);
}

// The quality bar on real drawings, over a fixed fifth of the corpus (the
// whole corpus: vorlane-content trace-corpus without --cinquieme).
TEST(TraceCorpusTest, AFifthOfTheCorpusMakesGoodPagesOrSaysWhy)
{
    int status = -1;
    const std::string output = CommandOutput(kTool + " trace-corpus " VORLANE_TEST_DATA "/tracing/corpus.tsv --cinquieme 2>&1",
                                             &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("Total : "), std::string::npos) << output;
}

}  // namespace
}  // namespace vorlane::test
