// make-theme: a theme file of one's own becomes a theme the game and the
// checker accept; a refused file leaves the program folder as it was.

#include "ContentChecker.h"
#include "ThemeFiles.h"
#include "ToolTestSupport.h"
#include "content/IniFile.h"
#include "content/ThemeDat.h"
#include "support/SharedProgramFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

using namespace vorlane;
using namespace vorlane::test;
namespace fs = std::filesystem;

namespace {

const char* kFolder = "Mes étoiles";

// Two small pictures with the big dots of few-dot pages: the second takes the
// theme's line colour.
QJsonObject SmallTheme()
{
    const char* json = R"({
      "folder": "Mes étoiles", "size": [704, 560], "margin": 44, "lineWidth": 4, "lineColour": "#1565C0",
      "dotRadius": 9, "labelSize": 26,
      "pictures": [
        {"name": "étoile", "lineColour": "#F57F17",
         "dots": [[350, 40, "c"], [413, 213, "c"], [597, 220, "c"], [453, 333, "c"], [503, 510, "c"],
                  [350, 408, "c"], [197, 510, "c"], [247, 333, "c"], [103, 220, "c"], [287, 213, "c"]],
         "details": [{"circle": [350, 290, 40]}, {"polyline": ["@1", "@6"], "dots": false}]},
        {"name": "carré",
         "dots": [[0, 0, "c"], [50, 0], [100, 0, "c"], [100, 50], [100, 100, "c"], [50, 100], [0, 100, "c"],
                  [0, 75], [0, 50], [0, 25]]}
      ]
    })";
    return QJsonDocument::fromJson(json).object();
}

std::string Json(const QJsonObject& theme)
{
    return QJsonDocument(theme).toJson().toStdString();
}

std::string WriteTheme(const TempDir& folder, const QJsonObject& theme, const char* name = "theme.json")
{
    const std::string path = folder.file(name);
    WriteFile(path, Json(theme));
    return path;
}

QJsonObject WithPicture(QJsonObject theme, int index, const std::function<void(QJsonObject&)>& edit)
{
    QJsonArray pictures = theme["pictures"].toArray();
    QJsonObject picture = pictures[index].toObject();
    edit(picture);
    pictures[index] = picture;
    theme["pictures"] = pictures;
    return theme;
}

std::vector<std::string> Entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(MakeThemeTool, WritesAThemeTheGameReads)
{
    NeedGuiApplication();
    TempDir work;
    // Names as careless or hostile as a file can hold: quoted, blank round,
    // a section and keys on lines of their own, too long for a file name.
    const std::string sections = "\n[Image01]\r\nNombrePoints=1\nCouleur=0 ";
    QJsonObject theme = WithPicture(SmallTheme(), 0, [](QJsonObject& p) { p["name"] = "  'étoile'\t"; });
    theme = WithPicture(theme, 1, [&](QJsonObject& p) {
        p["name"] = QString::fromStdString(sections) + QString(120, QChar(0xE9));
    });
    const std::string folder = MakeTheme(WriteTheme(work, theme), ContentPlaces(work.file("programme")));

    EXPECT_EQ(folder, (work.path() / "programme" / "Themes" / kFolder).string());
    EXPECT_EQ(Entries(work.path() / "programme" / "Themes"), std::vector<std::string>{kFolder}) << "staging left";
    const PackageReport report = CheckTheme(folder, "Themes/Mes étoiles");
    for (const std::string& fault : report.faults)
        ADD_FAILURE() << fault;

    const ThemeDat dat(folder + "/theme.dat");
    EXPECT_TRUE(dat.Identity().IsAccepted());
    EXPECT_TRUE(dat.Check());
    ASSERT_EQ(dat.NombreImages(), 2);
    EXPECT_EQ(dat.Couleur(1), 0x177FF5);  // the picture's own colour, 0x00BBGGRR
    EXPECT_EQ(dat.Couleur(2), 0xC06515);  // the theme's
    EXPECT_EQ(IniFile(folder + "/theme.dat").SectionNames(),
              (std::vector<std::string>{"General", "Configuration", "Image01", "Image02"}));
    EXPECT_EQ(dat.Titre(1), "étoile");
    const std::string oneLine = "[Image01] NombrePoints=1 Couleur=0 ";
    std::string cut = oneLine;
    while (cut.size() + 2 <= kLongestTitre)
        cut += "é";
    EXPECT_EQ(dat.Titre(2), cut);
    for (std::uint32_t n = 1; n <= 2; ++n) {
        const QImage finished = ReadPicture(fs::path(folder) / ImageFileName(n));
        EXPECT_EQ(finished.size(), QSize(704, 560));
        ASSERT_EQ(dat.NombrePoints(n), 10);
        for (std::uint32_t p = 1; p <= 10; ++p) {
            const ThemePoint point = dat.Point(n, p);
            EXPECT_EQ(point.Ligne, 4);
            ASSERT_TRUE(finished.rect().contains(point.X, point.Y)) << n << " " << p;
            EXPECT_EQ(ColourAt(finished, point.X, point.Y), 0u) << "picture " << n << " point " << p;
        }
    }
}

// Given a program folder this user may not write, the theme goes to their own
// folder; a shared theme's name in any letter case is refused, and so it is
// when the user's own folder is given, or another folder of a user's data.
TEST(MakeThemeTool, SharedProgramFolderTakesTheThemeIntoTheUsersFolder)
{
    NeedGuiApplication();
    TempDir work;
    const fs::path program = work.path() / "programme";
    fs::create_directories(program / "Themes" / "mes étoiles");
    WriteFile((program / "Themes" / "mes étoiles" / "theme.dat").string(), "");
    QJsonObject other = SmallTheme();
    other["folder"] = "Autres étoiles";
    const std::string clash = WriteTheme(work, SmallTheme()), mine = WriteTheme(work, other, "autre.json");
    // Another user's folder, copied: it kept progress on a theme "Volcans".
    const fs::path copied = work.path() / "copie";
    fs::create_directories(copied / "Themes" / "Volcans");
    WriteFile((copied / "Themes" / "Volcans" / "progression.ini").string(), "[Configuration]\nCheck=1\n");
    QJsonObject volcanoes = SmallTheme();
    volcanoes["folder"] = "VOLCANS";
    const std::string erupting = WriteTheme(work, volcanoes, "volcans.json");
    for (const fs::path& made : {copied, copied / "Themes", copied / "Themes" / "Volcans"})
        fs::permissions(made, fs::perms::all);
    const SharedProgramFolder shared(program);
    const struct {
        std::string theme, folder, refusal;
    } refused[] = {
        {clash, program.string(), "Le thème « Mes étoiles » est celui de Vorlane « mes étoiles »"},
        {clash, shared.UserFolder(), "Le thème « Mes étoiles » est celui de Vorlane « mes étoiles »"},
        {clash, copied.string(), "Le thème « Mes étoiles » est celui de Vorlane « mes étoiles »"},
        {erupting, copied.string(), "Le thème « VOLCANS » est celui de Vorlane « Volcans »"},
    };
    for (const auto& [theme, folder, refusal] : refused) {
        try {
            MakeTheme(theme, ContentPlaces(folder));
            ADD_FAILURE() << "a shared theme's name was taken in " << folder;
        } catch (const EVorlaneError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with(refusal)) << error.what();
        }
    }
    EXPECT_FALSE(fs::exists(shared.UserFolder() + "Themes/Mes étoiles"));
    EXPECT_EQ(Entries(copied / "Themes"), std::vector<std::string>{"Volcans"});
    EXPECT_EQ(MakeTheme(mine, ContentPlaces(shared.UserFolder())), shared.UserFolder() + "Themes/Autres étoiles");
    EXPECT_TRUE(shared.Unchanged());
}

// The launcher's tick, the printable marks and a child's colouring survive a
// theme made again; a refused file leaves the theme as it was.
TEST(MakeThemeTool, MakingAgainKeepsWhatThePlayersDid)
{
    NeedGuiApplication();
    TempDir work;
    const std::string file = WriteTheme(work, SmallTheme());
    const std::string folder = MakeTheme(file, ContentPlaces(work.file("programme")));
    ThemeDat(folder + "/theme.dat").WriteCheck(false);
    ThemeDat(folder + "/theme.dat").WriteImprimer(2, true);
    WriteFile(folder + "/" + CouleurFileName(2), "coloriage");

    EXPECT_EQ(MakeTheme(file, ContentPlaces(work.file("programme"))), folder);
    const ThemeDat made(folder + "/theme.dat");
    EXPECT_FALSE(made.Check());
    EXPECT_FALSE(made.Imprimer(1));
    EXPECT_TRUE(made.Imprimer(2));
    EXPECT_EQ(ReadFile(folder + "/" + CouleurFileName(2)), "coloriage");

    const std::string before = ReadFile(folder + "/theme.dat");
    const std::string bad = WriteTheme(work, WithPicture(SmallTheme(), 1, [](QJsonObject& p) { p.remove("dots"); }));
    EXPECT_THROW(MakeTheme(bad, ContentPlaces(work.file("programme"))), EDemoDataError);
    EXPECT_EQ(ReadFile(folder + "/theme.dat"), before);
}

TEST(MakeThemeTool, RefusesABadFileAndWritesNothing)
{
    struct Bad {
        const char* name;
        std::string json;
        const char* expected;
    };
    auto with = [](const char* key, const QJsonValue& value) {
        QJsonObject theme = SmallTheme();
        theme[key] = value;
        return Json(theme);
    };
    auto picture = [](const std::function<void(QJsonObject&)>& edit) {
        return Json(WithPicture(SmallTheme(), 0, edit));
    };
    const QJsonObject scatter{{"scatter", QJsonObject{{"area", QJsonArray{0, 0, 9, 9}}, {"count", 1000}, {"seed", 1},
                                                      {"scales", QJsonArray{1, 2}}}},
                              {"shape", QJsonObject{{"circle", QJsonArray{0, 0, 1}}}},
                              {"colours", QJsonArray{"#000000"}}};
    QJsonObject scatters = scatter;
    scatters["shape"] = scatter;
    QJsonObject tooManyPixels = SmallTheme();
    tooManyPixels["size"] = QJsonArray{4096, 4096};
    tooManyPixels["margin"] = 40;
    const QJsonValue square = SmallTheme()["pictures"].toArray()[1];
    tooManyPixels["pictures"] = QJsonArray{square, square, square};
    const std::vector<Bad> cases = {
        {"unreadable JSON", "{ not json", "JSON illisible"},
        {"an array", "[1, 2]", "un thème est un objet JSON"},
        {"too few dots",
         picture([](QJsonObject& p) {
             QJsonArray dots = p["dots"].toArray();
             while (dots.size() > 4)
                 dots.removeLast();
             p["dots"] = dots;
             p.remove("details");
         }),
         "Mes étoiles, image 1 (étoile) : 4 points ; il en faut de 5 à 60"},
        {"unknown labels", with("labels", "B"), "« labels » : 1, A, a, 2, 5 ou 10"},
        {"more dots than letters",
         picture([](QJsonObject& p) {
             QJsonArray dots;
             for (int i = 0; i < 27; ++i)
                 dots.append(QJsonArray{100 * std::cos(i * 0.2327), 100 * std::sin(i * 0.2327)});
             p["dots"] = dots;
             p["labels"] = "a";
         }),
         "27 points ; une lettre par point, il en faut au plus 26"},
        {"absurd size", with("size", QJsonArray{100000, 100000}), "chacune de 64 à 4096"},
        {"negative size", with("size", QJsonArray{-320, 240}), "chacune de 64 à 4096"},
        {"size not a pair", with("size", "320x240"), "« size »"},
        {"margin leaving no room", with("margin", 270), "« margin » ne laisse pas 32 pixels"},
        {"absurd number", with("dotRadius", 1e300), "« dotRadius » va de 1 à 50"},
        {"number as text", with("lineWidth", "4"), "nombre attendu pour « lineWidth »"},
        {"folder outside Themes", with("folder", "../dehors"), "« folder »"},
        {"hidden folder", with("folder", ".cache"), "« folder »"},
        {"no picture", with("pictures", QJsonArray{}), "de 1 à 99 images"},
        {"pictures not a list", with("pictures", QJsonObject{}), "de 1 à 99 images"},
        {"too many pixels", Json(tooManyPixels), "3 images de 4096×4096 pixels dépassent 40 millions"},
        {"dot reference beyond the dots",
         picture([](QJsonObject& p) { p["details"] = QJsonArray{QJsonObject{{"polyline", QJsonArray{"@1", "@11"}}}}; }),
         "« @11 » : l'image n'a que 10 points"},
        {"scatter of scatters", picture([&](QJsonObject& p) { p["details"] = QJsonArray{scatters}; }),
         "détails trop nombreux"},
        {"negative seed",
         picture([&](QJsonObject& p) {
             QJsonObject negative = scatter;
             negative["scatter"] = QJsonObject{{"area", QJsonArray{0, 0, 9, 9}}, {"count", 3}, {"seed", -1},
                                               {"scales", QJsonArray{1, 2}}};
             p["details"] = QJsonArray{negative};
         }),
         "« seed » va de 0 à 4294967295"},
    };
    NeedGuiApplication();
    for (const Bad& bad : cases) {
        SCOPED_TRACE(bad.name);
        TempDir work;
        const std::string file = work.file("theme.json");
        WriteFile(file, bad.json);
        try {
            MakeTheme(file, ContentPlaces(work.file("programme")));
            ADD_FAILURE() << "accepted";
        } catch (const EDemoDataError& error) {
            EXPECT_NE(std::string(error.what()).find(bad.expected), std::string::npos) << error.what();
        }
        EXPECT_EQ(Entries(work.path()), std::vector<std::string>{"theme.json"});
    }

    TempDir work;
    try {
        MakeTheme(work.file("absent.json"), ContentPlaces(work.file("programme")));
        ADD_FAILURE() << "accepted";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()), "Impossible d'ouvrir le fichier " + work.file("absent.json"));
    }
    EXPECT_TRUE(Entries(work.path()).empty());
}

TEST(MakeThemeTool, CommandLineChecksWhatItWrote)
{
    TempDir work;
    const std::string tool = VORLANE_CONTENT_TOOL;
    const std::string program = work.file("programme");
    const std::string file = WriteTheme(work, SmallTheme());
    int status = 0;
    const std::string preview = work.file("png");
    const std::string command = tool + " make-theme '" + file + "' '" + program + "' --apercu '" + preview + "' 2>&1";
    // Sound, so no fault; its pages may be doubtful, which is only a warning.
    std::istringstream output(CommandOutput(command, &status));
    for (std::string line; std::getline(output, line);)
        EXPECT_TRUE(line == "Themes/Mes étoiles : OK" || line.starts_with("Themes/Mes étoiles : avertissement : Image"))
            << line;
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fs::exists(fs::path(program) / "Themes" / kFolder / "theme.dat"));
    EXPECT_EQ(Entries(work.path() / "png"),
              (std::vector<std::string>{"Mes étoiles-1-image.png", "Mes étoiles-1-points.png",
                                        "Mes étoiles-2-image.png", "Mes étoiles-2-points.png",
                                        "Mes étoiles-points.png", "Mes étoiles-regions.png"}));

    QJsonObject huge = SmallTheme();
    huge["size"] = QJsonArray{100000, 100000};
    const std::string bad = WriteTheme(work, huge, "gros.json");
    EXPECT_EQ(CommandOutput(tool + " make-theme '" + bad + "' '" + work.file("autre") + "' 2>&1", &status),
              "vorlane-content : Mes étoiles, « size » : [largeur, hauteur] en pixels entiers, "
              "chacune de 64 à 4096\n");
    EXPECT_EQ(status, 2);
    EXPECT_FALSE(fs::exists(work.file("autre")));

    EXPECT_NE(CommandOutput(tool + " make-theme '" + file + "' 2>&1", &status).find("make-theme FICHIER.json"),
              std::string::npos);
    EXPECT_EQ(status, 2);
}
