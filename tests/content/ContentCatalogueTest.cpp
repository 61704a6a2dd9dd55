#include "base/Errors.h"
#include "content/ContentCatalogue.h"
#include "content/ContentPaths.h"
#include "content/ContentPlaces.h"
#include "content/GameSettings.h"
#include "content/ThemeDat.h"
#include "support/SharedProgramFolder.h"
#include "support/TestSupport.h"

#include <QAbstractItemModelTester>
#include <QLocale>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vorlane;
using vorlane::test::ReadFile;
using vorlane::test::TempDir;
using vorlane::test::WriteFile;

namespace {

const std::string kValid = "[General]\nVersion=1\nSubVersion=0\nNom=Vorlane\n";

// A program folder of its own, in French, for each test.
class Catalogue : public ::testing::Test {
protected:
    Catalogue() : m_savedFolder(ContentPlaces::Current().ProgramFolder()), m_savedLocale(QLocale())
    {
        ContentPlaces::Settle(m_dir.path().string());
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        std::filesystem::create_directories(m_dir.path() / "Themes");
        std::filesystem::create_directories(m_dir.path() / "Apparences");
    }
    ~Catalogue() override
    {
        ContentPlaces::Settle(m_savedFolder);
        QLocale::setDefault(m_savedLocale);
    }

    void AddTheme(const std::string& name, const std::string& description)
    {
        std::filesystem::create_directories(m_dir.path() / "Themes" / name);
        WriteFile(ThemeFile(name), description);
    }
    void AddAppearance(const std::string& name, const std::string& description)
    {
        std::filesystem::create_directories(m_dir.path() / "Apparences" / name);
        WriteFile(AppearanceFile(name), description);
    }

    static std::vector<std::string> Names(const CatalogueListModel& list)
    {
        std::vector<std::string> names;
        for (int row = 0; row < list.Count(); ++row)
            names.push_back(list.Name(row));
        return names;
    }

    TempDir m_dir;
    std::string m_savedFolder;
    QLocale m_savedLocale;
};

}  // namespace

TEST_F(Catalogue, OnlyAcceptedThemesAreListed)
{
    AddTheme("Ferme", kValid + "NombreImages=3\n");
    AddTheme("Casse", "[General]\nVersion=1\nSubVersion=0\nNom=vorlane\nNombreImages=3\n");
    AddTheme("Futur", "[General]\nVersion=2\nSubVersion=0\nNom=Vorlane\n");
    AddTheme("Retouche", "[General]\nVersion=1\nSubVersion=1\nNom=Vorlane\n");
    AddTheme("Vide", "");
    AddTheme(".Cachee", kValid + "NombreImages=2\n");
    AddTheme("Binaire", std::string("\x00\xFF[General]\x00Version=1", 22));
    std::filesystem::create_directories(m_dir.path() / "Themes" / "SansDescription");
    WriteFile(ThemesPath() + "Notes.txt", kValid);
    std::filesystem::create_symlink(m_dir.path() / "nulle-part", m_dir.path() / "Themes" / "Lien");
    // A FIFO is skipped, never opened waiting for a writer.
    std::filesystem::create_directories(m_dir.path() / "Themes" / "Tube");
    ASSERT_EQ(::mkfifo(ThemeFile("Tube").c_str(), 0644), 0);

    ContentCatalogue catalogue;
    catalogue.Scan();
    EXPECT_EQ(catalogue.ThemeNames(), std::vector<std::string>{"Ferme"});
    EXPECT_EQ(catalogue.ThemeImageCounts(), std::vector<std::string>{"3"});
    EXPECT_EQ(Names(catalogue.Themes()), std::vector<std::string>{"Ferme"});
}

TEST_F(Catalogue, NoThemesFolderGivesEmptyLists)
{
    std::filesystem::remove_all(m_dir.path() / "Themes");
    std::filesystem::remove_all(m_dir.path() / "Apparences");
    ContentCatalogue catalogue;
    catalogue.Scan();
    EXPECT_TRUE(catalogue.ThemeNames().empty());
    EXPECT_EQ(catalogue.Themes().rowCount(), 0);
    EXPECT_EQ(catalogue.InitialAppearance(0), -1);
}

TEST_F(Catalogue, ListsSortWithoutRegardToCaseAndCountsKeepTheFoldersOrder)
{
    AddTheme("zèbres", kValid + "NombreImages=1\nCheck=1\n");  // not in [Configuration]: unticked
    AddTheme("Bateaux", kValid + "NombreImages=0x0C\n[Configuration]\nCheck=1\n");
    AddTheme("animaux", kValid);
    AddTheme("Éléphants", kValid + "NombreImages=5\n[Configuration]\nCheck=0\n");
    AddTheme("Dinosaures", kValid + "NombreImages=12px\n[configuration]\ncheck=$1\n");

    ContentCatalogue catalogue;
    QAbstractItemModelTester tester(&catalogue.Themes(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    catalogue.Scan();

    const std::vector<std::string> sorted = {"animaux", "Bateaux", "Dinosaures", "Éléphants", "zèbres"};
    EXPECT_EQ(Names(catalogue.Themes()), sorted);
    EXPECT_TRUE(std::is_permutation(sorted.begin(), sorted.end(), catalogue.ThemeNames().begin(),
                                    catalogue.ThemeNames().end()));
    for (std::size_t i = 0; i < catalogue.ThemeNames().size(); ++i) {
        const std::string& name = catalogue.ThemeNames()[i];
        const std::string expected = name == "Bateaux" ? "12" : name == "Éléphants" ? "5" : name == "zèbres" ? "1" : "0";
        EXPECT_EQ(catalogue.ThemeImageCounts()[i], expected) << name;
    }

    const CatalogueListModel& themes = catalogue.Themes();
    std::vector<bool> checks;
    for (int row = 0; row < themes.Count(); ++row)
        checks.push_back(themes.IsChecked(row));
    EXPECT_EQ(checks, (std::vector<bool>{false, true, true, false, false}));
    EXPECT_EQ(themes.data(themes.index(3), Qt::DisplayRole).toString(), QString::fromUtf8("Éléphants"));
    EXPECT_EQ(themes.data(themes.index(1), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_TRUE(themes.flags(themes.index(0)) & Qt::ItemIsUserCheckable);
}

TEST_F(Catalogue, FoldersDifferingOnlyInCaseKeepTheirOwnCounts)
{
    AddTheme("Ferme", kValid + "NombreImages=3\n");
    AddTheme("ferme", kValid + "NombreImages=7\n");
    ContentCatalogue catalogue;
    catalogue.Scan();
    EXPECT_EQ(Names(catalogue.Themes()), (std::vector<std::string>{"Ferme", "ferme"}));
    EXPECT_EQ(catalogue.ImageCount("Ferme"), 3);
    EXPECT_EQ(catalogue.ImageCount("ferme"), 7);
    const std::int32_t either = catalogue.ImageCount("FERME");
    EXPECT_TRUE(either == 3 || either == 7);
    EXPECT_EQ(catalogue.ImageCount("Absent"), 0);
}

TEST_F(Catalogue, TicksGoToThePlayListInDisplayedOrder)
{
    AddTheme("B", kValid + "NombreImages=2\n[Configuration]\nCheck=1\n");
    AddTheme("a", kValid + "NombreImages=3\n");
    AddTheme("C", kValid + "NombreImages=4\n[Configuration]\nCheck=1\n");
    ContentCatalogue catalogue;
    catalogue.Scan();
    CatalogueListModel& themes = catalogue.Themes();
    ASSERT_EQ(Names(themes), (std::vector<std::string>{"a", "B", "C"}));
    // A tick made in the view.
    EXPECT_TRUE(themes.setData(themes.index(0), Qt::Checked, Qt::CheckStateRole));
    themes.SetChecked(2, false);

    const std::vector<CheckedTheme> checked = catalogue.CheckedThemes();
    ASSERT_EQ(checked.size(), 2u);
    EXPECT_EQ(checked[0].Name, "a");
    EXPECT_EQ(checked[0].ImageCount, 3);
    EXPECT_EQ(checked[1].Name, "B");
    EXPECT_EQ(checked[1].ImageCount, 2);
}

TEST_F(Catalogue, ChecksAreWrittenBackForEveryListedTheme)
{
    AddTheme("Ferme", kValid + "NombreImages=2\n\n[Image01]\nImprimer=1\n");
    AddTheme("Mer", kValid + "[Configuration]\nCheck=1\n");
    AddTheme("Refus", kValid + "[Configuration]\nCheck=1\n");
    AddTheme("Autre", "[General]\nVersion=3\n");
    ContentCatalogue catalogue;
    catalogue.Scan();
    ASSERT_EQ(Names(catalogue.Themes()), (std::vector<std::string>{"Ferme", "Mer", "Refus"}));
    catalogue.Themes().SetChecked(0, true);
    catalogue.Themes().SetChecked(1, false);
    catalogue.Themes().SetChecked(2, false);

    // One theme that cannot be written must not cost the others their ticks.
    std::filesystem::permissions(m_dir.path() / "Themes" / "Refus",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    std::filesystem::permissions(m_dir.path() / "Themes" / "Mer", std::filesystem::perms::all);
    std::filesystem::permissions(m_dir.path() / "Themes" / "Ferme", std::filesystem::perms::all);
    std::filesystem::permissions(ThemeFile("Mer"), std::filesystem::perms::all);
    std::filesystem::permissions(ThemeFile("Ferme"), std::filesystem::perms::all);
    {
        vorlane::test::ScopedUnprivileged unprivileged;
        try {
            catalogue.WriteThemeChecks();
            FAIL() << "the read-only theme was written";
        } catch (const EWriteError& error) {
            EXPECT_EQ(std::string(error.what()), "Impossible d'écrire dans " + ThemeFile("Refus"));
        }
    }
    EXPECT_EQ(ReadFile(ThemeFile("Ferme")), kValid + "NombreImages=2\n\n[Image01]\nImprimer=1\n\n[Configuration]\nCheck=1\n");
    EXPECT_EQ(ReadFile(ThemeFile("Mer")), kValid + "[Configuration]\nCheck=0\n");
    EXPECT_EQ(ReadFile(ThemeFile("Refus")), kValid + "[Configuration]\nCheck=1\n");
    EXPECT_EQ(ReadFile(ThemeFile("Autre")), "[General]\nVersion=3\n");
}

TEST_F(Catalogue, AppearancesAndTheRememberedChoice)
{
    AddAppearance("Océan", kValid);
    AddAppearance("bois", kValid + "XDessin=10\n");
    AddAppearance("Ancienne", "[General]\nVersion=1\nSubVersion=1\nNom=Vorlane\n");
    AddAppearance(".Brouillon", kValid);
    AddAppearance("Classique", kValid);
    std::filesystem::create_directories(m_dir.path() / "Apparences" / "Vide");
    ContentCatalogue catalogue;
    catalogue.Scan();
    EXPECT_EQ(Names(catalogue.Appearances()), (std::vector<std::string>{"bois", "Classique", "Océan"}));
    EXPECT_FALSE(catalogue.Appearances().flags(catalogue.Appearances().index(0)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(catalogue.Appearances().data(catalogue.Appearances().index(0), Qt::CheckStateRole).isValid());

    const struct {
        std::int32_t apparence;
        int selected;
    } cases[] = {{0, 0}, {2, 2}, {3, 0}, {99, 0}, {-1, 0}, {INT32_MIN, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(catalogue.InitialAppearance(c.apparence), c.selected) << "Apparence " << c.apparence;
}

// A family install: the shared themes stay whole and listed whatever the
// user's folder holds, the user's own themes come after them, and the user's
// progress on a shared theme lives in a file of its own, written only when it
// changes. What an older version left there is carried over once.
TEST_F(Catalogue, ReadOnlyProgramFolderKeepsItsThemesWholeBesideTheUsersOwn)
{
    AddTheme("Ferme", kValid + "NombreImages=1\n[Image01]\nXPoint01=7\n[Configuration]\nCheck=1\n");
    AddTheme("Formes", kValid + "NombreImages=3\n");
    AddAppearance("Crayons", kValid);
    vorlane::test::SharedProgramFolder shared(m_dir.path());
    const std::string user = shared.UserFolder();
    const auto write = [&](const std::string& file, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(user + file).parent_path());
        WriteFile(user + file, text);
    };
    // An older version's tick file, made a theme by a traced picture; a whole
    // theme named like a shared one in another case; a picture of the shared
    // theme's name; the user's own theme; the user's own appearance of a
    // shared one's name.
    write("Themes/Formes/theme.dat",
          "[General]\nNombreImages=1\n[Configuration]\nCheck=0\n[Image02]\nImprimer=1\n"
          "[Image01]\nNombrePoints=9\nImprimer=1\n");
    write("Themes/formes/theme.dat", kValid + "NombreImages=1\n");
    write("Themes/Ferme/Points01.bmp", "");
    write("Themes/Mes dessins/theme.dat", kValid + "NombreImages=2\n[Configuration]\nCheck=1\n");
    write("Apparences/crayons/apparence.dat", kValid);
    ContentPlaces::Settle(m_dir.path().string());

    ContentCatalogue catalogue;
    catalogue.Scan();
    std::vector<std::string> names = catalogue.ThemeNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Ferme", "Formes", "Mes dessins", "formes (2)"}));
    EXPECT_EQ(catalogue.ImageCount("Formes"), 3);
    EXPECT_EQ(catalogue.ImageCount("formes (2)"), 1);
    EXPECT_EQ(Names(catalogue.Appearances()), std::vector<std::string>{"Crayons"});
    EXPECT_EQ(ContentPlaces::Current().ThemeContentFile("Ferme", "Points01.bmp"), ThemePath("Ferme") + "Points01.bmp");
    const ThemeDat formes = ThemeDat::ForTheme("Formes");
    EXPECT_FALSE(formes.Check());
    EXPECT_TRUE(formes.Imprimer(2));
    EXPECT_FALSE(formes.Imprimer(1));
    EXPECT_TRUE(std::filesystem::exists(user + "Themes/Formes/theme.dat.ancien"));

    // Only what changed is written, and progress on shared themes never into a theme.dat.
    catalogue.Themes().SetChecked(0, false);
    catalogue.WriteThemeChecks();
    ThemeDat::ForTheme("Ferme").WriteImprimer(1, true);
    ThemeDat::ForTheme("Formes").WriteImprimer(3, false);
    TGameSettings settings;
    WriteSettings(ContentPlaces::Current().SettingsFile(m_dir.path().string() + "/Vorlane"), settings);
    EXPECT_EQ(ReadFile(user + "Themes/Ferme/progression.ini"), "[Configuration]\nCheck=0\n\n[Image01]\nImprimer=1\n");
    EXPECT_FALSE(std::filesystem::exists(user + "Themes/Ferme/theme.dat"));
    EXPECT_EQ(ReadFile(user + "Themes/Formes/progression.ini"), "[Configuration]\nCheck=0\n\n[Image02]\nImprimer=1\n");
    EXPECT_FALSE(std::filesystem::exists(user + "Themes/Formes/theme.dat"));
    EXPECT_NE(ReadFile(user + "vorlane.ini").find("Tolerance=15"), std::string::npos);
    EXPECT_EQ(ContentPlaces::Current().ThemeFileToWrite("Ferme", "Couleur01.bmz"), user + "Themes/Ferme/Couleur01.bmz");
    EXPECT_TRUE(shared.Unchanged());

    // A newer package adds a picture: the user sees it and keeps their tick and mark.
    shared.Update([this] {
        WriteFile(ThemeFile("Ferme"), kValid + "NombreImages=2\n[Image02]\nXPoint01=9\n[Configuration]\nCheck=1\n");
        WriteFile(ThemePath("Ferme") + "Points02.bmp", "");
    });
    catalogue.Scan();
    EXPECT_EQ(catalogue.ImageCount("Ferme"), 2);
    const ThemeDat ferme = ThemeDat::ForTheme("Ferme");
    EXPECT_EQ(ferme.Point(2, 1).X, 9);
    EXPECT_FALSE(ferme.Check());
    EXPECT_TRUE(ferme.Imprimer(1));
    EXPECT_EQ(ContentPlaces::Current().ThemeContentFile("Ferme", "points02.BMP"), ThemePath("Ferme") + "Points02.bmp");
}
