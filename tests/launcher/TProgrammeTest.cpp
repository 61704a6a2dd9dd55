#include "LauncherFixture.h"
#include "support/MessageBoxWatcher.h"
#include "support/SharedProgramFolder.h"

#include "app/TApplication.h"
#include "app/TfrmAide.h"
#include "base/FolderLock.h"
#include "content/IniFile.h"
#include "game/TfrmPrincipale.h"
#include "launcher/StartUp.h"
#include "launcher/TfrmAbout.h"
#include "print/TfrmImpression.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace vorlane {
namespace {

using test::HelpWindow;

using test::LauncherFixture;
using test::ReadFile;

class TProgrammeTest : public LauncherFixture {};

// Keys reach a window only once it is active.
void ShowActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// ---- The tolerance pair -------------------------------------------------

struct Tolerance {
    QString edit;
    int bar;
    int setting;
};

Tolerance ToleranceOf(const TProgramme& programme)
{
    return {programme.EdTolerance->text(), programme.ScrBTolerance->value(), GameSettings.Tolerance};
}

void ExpectTolerance(const TProgramme& programme, const QString& edit, int bar, int setting)
{
    const Tolerance seen = ToleranceOf(programme);
    EXPECT_EQ(seen.edit, edit);
    EXPECT_EQ(seen.bar, bar);
    EXPECT_EQ(seen.setting, setting);
}

TEST_F(TProgrammeTest, StoredToleranceIsBoundedByTheScrollBar)
{
    const struct {
        const char* stored;
        const char* edit;
        int value;
    } cases[] = {{"3", "5", 5}, {"15", "15", 15}, {"50", "50", 50}, {"99", "50", 50}, {"150", "50", 50}, {"0x1E", "30", 30}};
    for (const auto& stored : cases) {
        SCOPED_TRACE(stored.stored);
        GameSettings = TGameSettings{};
        WriteSettingsFile(std::string("Tolerance=") + stored.stored + "\n");
        ExpectTolerance(Create(), stored.edit, stored.value, stored.value);
    }
}

TEST_F(TProgrammeTest, TypedToleranceFollowsTheScrollBar)
{
    TProgramme& programme = Create();  // no settings file: 15
    QLineEdit* edit = programme.EdTolerance;
    auto typeOverAll = [edit](const char* keys) {
        edit->selectAll();
        QTest::keyClicks(edit, keys);
    };

    typeOverAll("99");  // "9" then "99": the bar stops at 50 and writes it back
    ExpectTolerance(programme, "50", 50, 50);

    edit->setText("59");  // over a bar already at 50 nothing moves
    ExpectTolerance(programme, "59", 50, 50);

    typeOverAll("3");  // below 5: "5" comes back at once
    ExpectTolerance(programme, "5", 5, 5);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, "8");
    ExpectTolerance(programme, "50", 50, 50);

    typeOverAll("7");
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClicks(edit, "2");
    ExpectTolerance(programme, "27", 27, 27);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Backspace);  // "2"
    ExpectTolerance(programme, "5", 5, 5);

    typeOverAll("42");  // "4" is already below 5: "5", then "52"
    ExpectTolerance(programme, "50", 50, 50);
    edit->clear();  // clearing puts "5" back
    ExpectTolerance(programme, "5", 5, 5);
}

TEST_F(TProgrammeTest, ToleranceEditTakesTwoDigitsAndNothingElse)
{
    TProgramme& programme = Create();
    QLineEdit* edit = programme.EdTolerance;
    edit->selectAll();
    QTest::keyClicks(edit, "x-. ");
    ExpectTolerance(programme, "15", 15, 15);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, "3");  // a third digit
    ExpectTolerance(programme, "15", 15, 15);
}

TEST_F(TProgrammeTest, ScrollBarMovesTheEditAndTheSetting)
{
    TProgramme& programme = Create();
    QTest::keyClick(programme.ScrBTolerance, Qt::Key_PageDown);  // page step 5 from 15
    ExpectTolerance(programme, "20", 20, 20);
    programme.ScrBTolerance->setValue(50);
    ExpectTolerance(programme, "50", 50, 50);
}

TEST_F(TProgrammeTest, LaunchUsesTheScrollBarNotTheEdit)
{
    AddTheme("Animaux", 2, true);
    AddAppearance("Crayons");
    WriteSettingsFile("Tolerance=50\n");
    TProgramme& programme = Create();
    programme.EdTolerance->setText("59");
    GameSettings.Tolerance = 7;  // whatever happened since, the start reads the bar
    programme.btnLancerClick();
    EXPECT_EQ(GameSettings.Tolerance, 50);
    EXPECT_EQ(PlayCount, 2);
}

// ---- Command line ------------------------------------------------------

TEST(DebugSwitch, OnlyTheExactFirstArgument)
{
    const struct {
        std::vector<const char*> arguments;
        bool debug;
    } cases[] = {
        {{"vorlane", "debug"}, true},         {{"vorlane", "debug", "autre"}, true},
        {{"vorlane"}, false},                 {{"vorlane", "Debug"}, false},
        {{"vorlane", "DEBUG"}, false},        {{"vorlane", "debug "}, false},
        {{"vorlane", "-debug"}, false},       {{"vorlane", "debugs"}, false},
        {{"vorlane", "autre", "debug"}, false}, {{"vorlane", ""}, false},
    };
    for (const auto& command : cases) {
        const int argc = static_cast<int>(command.arguments.size());
        EXPECT_EQ(DebugSwitchGiven(argc, command.arguments.data()), command.debug)
            << argc << " " << command.arguments.back();
    }
}

// ---- Options -----------------------------------------------------------

TEST_F(TProgrammeTest, SelectingAThemeShowsItsPictureCountAndNames)
{
    AddTheme("Formes", 3);
    AddTheme("Animaux", 12);
    IniFile(ThemeFile("Formes")).WriteString("Image01", "Titre", "rond");
    IniFile(ThemeFile("Formes")).WriteString("Image03", "Titre", "<étoile>");
    TProgramme& programme = Create();
    ShowActive(programme);
    ASSERT_TRUE(programme.clbThemes->isEnabled());
    // Tabbing into the list makes its first row current but picks nothing.
    programme.chkSon->setFocus();
    QTest::keyClick(programme.chkSon, Qt::Key_Tab);
    ASSERT_EQ(programme.focusWidget(), programme.clbThemes);
    EXPECT_EQ(programme.lblImagesCount->text(), "");
    EXPECT_EQ(programme.HighlightedTheme(), "");
    const QModelIndex animaux = programme.clbThemes->model()->index(0, 0);  // sorted: Animaux first
    QTest::mouseClick(programme.clbThemes->viewport(), Qt::LeftButton, {},
                      programme.clbThemes->visualRect(animaux).center());
    EXPECT_EQ(programme.lblImagesCount->text(), "Animaux : 12 images.");
    EXPECT_EQ(programme.lblImagesCount->toolTip(), "") << "made before pictures had names";
    QTest::keyClick(programme.clbThemes, Qt::Key_Down);
    EXPECT_EQ(programme.lblImagesCount->text(), "Formes : 3 images.");
    EXPECT_TRUE(programme.lblImagesCount->toolTip().contains("1. rond, Image02, 3. &lt;étoile&gt;"))
        << programme.lblImagesCount->toolTip().toStdString();
    EXPECT_EQ(programme.HighlightedTheme(), "Formes");
}

TEST_F(TProgrammeTest, ThemeListIsDisabledWithoutThemes)
{
    AddAppearance("Crayons");
    TProgramme& programme = Create();
    EXPECT_FALSE(programme.clbThemes->isEnabled());
    EXPECT_TRUE(programme.cBApparences->isEnabled());
}

TEST_F(TProgrammeTest, RememberedAppearanceIsSelectedOrTheFirstOne)
{
    AddAppearance("Crayons");
    AddAppearance("bois");
    AddAppearance("Aquarelle");
    const struct {
        const char* stored;
        const char* selected;
    } cases[] = {{"1", "bois"}, {"2", "Crayons"}, {"3", "Aquarelle"}, {"-1", "Aquarelle"}, {"-7", "Aquarelle"}};
    for (const auto& remembered : cases) {
        SCOPED_TRACE(remembered.stored);
        GameSettings = TGameSettings{};
        WriteSettingsFile(std::string("Apparence=") + remembered.stored + "\n");
        TProgramme& programme = Create();
        EXPECT_EQ(programme.SelectedAppearance(), remembered.selected);
        EXPECT_EQ(GameSettings.Apparence, std::atoi(remembered.stored));  // selecting does not change the setting
    }
}

TEST_F(TProgrammeTest, OptionControlsSetTheSettings)
{
    AddAppearance("Aquarelle");
    AddAppearance("Crayons");
    WriteSettingsFile("Son=0\nHazard=1\nAidePoint=2\n");
    TProgramme& programme = Create();
    EXPECT_FALSE(programme.chkSon->isChecked());
    EXPECT_TRUE(programme.chkHazard->isChecked());
    EXPECT_EQ(programme.cBAidePoint->currentText(), "après 10 secondes");
    EXPECT_TRUE(programme.chkVoix->isChecked());  // an older file: the default

    for (QCheckBox* box : {programme.chkSon, programme.chkHazard, programme.chkVoix})
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_TRUE(GameSettings.Son);
    EXPECT_FALSE(GameSettings.Hazard);
    EXPECT_FALSE(GameSettings.Voix);
    programme.cBAidePoint->setFocus();
    QTest::keyClick(programme.cBAidePoint, Qt::Key_Home);
    EXPECT_EQ(GameSettings.AidePoint, NextDotHelp::Never);

    programme.cBApparences->setCurrentIndex(1);
    emit programme.cBApparences->activated(1);  // as the user's pick in the drop-down list
    EXPECT_EQ(GameSettings.Apparence, 1);
    EXPECT_EQ(programme.SelectedAppearance(), "Crayons");
}

// Clears the program-wide game window reference when a test ends.
class ScopedPrincipale {
public:
    explicit ScopedPrincipale(TfrmPrincipale*& reference) : m_reference(reference) {}
    ScopedPrincipale(const ScopedPrincipale&) = delete;
    ScopedPrincipale& operator=(const ScopedPrincipale&) = delete;
    ~ScopedPrincipale() { m_reference = nullptr; }

private:
    TfrmPrincipale*& m_reference;
};

// ---- Start -------------------------------------------------------------

void Tick(TProgramme& programme, int row)
{
    QAbstractItemModel* themes = programme.clbThemes->model();
    themes->setData(themes->index(row, 0), Qt::Checked, Qt::CheckStateRole);
}

TEST_F(TProgrammeTest, LaunchIsRefusedWithoutATickedTheme)
{
    AddTheme("Animaux", 12);
    AddAppearance("Crayons");
    TProgramme& programme = Create();
    PlayList = {TTheme{}, TTheme{"Ancien/", 4}};
    PlayCount = 1;
    test::MessageBoxWatcher watcher;
    programme.btnLancerClick();
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, "Il faut sélectionner au moins un thème !!!");
    EXPECT_EQ(watcher.Seen()[0].title, "Vorlane");
    EXPECT_EQ(watcher.Seen()[0].buttons, QStringList{"OK"});
    EXPECT_EQ(PlayCount, 1);  // the list keeps what it held
    EXPECT_EQ(PlayList[1], (TTheme{"Ancien/", 4}));
}

TEST_F(TProgrammeTest, LaunchIsRefusedWhenTheTickedThemesHoldNoPicture)
{
    AddTheme("Vide", 0, true);
    AddTheme("Abime", -3, true);
    AddAppearance("Crayons");
    TProgramme& programme = Create();
    test::MessageBoxWatcher watcher;
    programme.btnLancerClick();
    EXPECT_EQ(watcher.Texts(), QStringList{"Les thèmes sélectionnés ne contiennent aucune image."});
}

TEST_F(TProgrammeTest, LaunchIsRefusedWithoutAnAppearance)
{
    AddTheme("Animaux", 12, true);
    TProgramme& programme = Create();
    test::MessageBoxWatcher watcher;
    programme.btnLancerClick();
    EXPECT_EQ(watcher.Texts(), QStringList{"Aucune apparence n'est installée."});
}

TEST_F(TProgrammeTest, LaunchPlaysTheTickedThemesInDisplayedOrder)
{
    AddTheme("Formes", 2);
    AddTheme("animaux", 3);
    AddTheme("Bateaux", 1);
    AddAppearance("Crayons");
    WriteSettingsFile("Hazard=0\n");
    TProgramme& programme = Create();
    Tick(programme, 2);  // Formes
    Tick(programme, 0);  // animaux
    test::MessageBoxWatcher watcher;
    programme.btnLancerClick();
    EXPECT_TRUE(watcher.Seen().empty());
    ASSERT_EQ(PlayCount, 5);
    EXPECT_EQ(PlayIndex, 1);
    const std::vector<TTheme> expected = {{}, {"animaux/", 1}, {"animaux/", 2}, {"animaux/", 3}, {"Formes/", 1}, {"Formes/", 2}};
    EXPECT_EQ(PlayList, expected);
}

// ---- The game ----------------------------------------------------------

class TProgrammeGameTest : public LauncherFixture {
protected:
    void SetUp() override
    {
        LauncherFixture::SetUp();
        for (const char* part : {"Themes", "Apparences"})
            std::filesystem::copy(std::string(VORLANE_PROGRAM_DIR) + "/" + part, folder.file(part),
                                  std::filesystem::copy_options::recursive |
                                      std::filesystem::copy_options::overwrite_existing);
    }
    void TearDown() override
    {
        game.reset();
        LauncherFixture::TearDown();
    }

    // The game window as start-up makes and hooks it.
    TfrmPrincipale& MakeGame()
    {
        game = std::make_unique<TfrmPrincipale>();
        frmPrincipale = game.get();
        game->SelectedAppearance = [this] { return programme->SelectedAppearance(); };
        game->ShowLauncher = [this] { programme->show(); };
        return *game;
    }

    std::unique_ptr<TfrmPrincipale> game;
    ScopedPrincipale reference{frmPrincipale};
};

TEST_F(TProgrammeGameTest, StartHidesTheLauncherAndTheGameShowsItAgainWhenItCloses)
{
    TProgramme& programme = Create();
    programme.show();
    TfrmPrincipale& principale = MakeGame();
    Tick(programme, 0);
    test::MessageBoxWatcher watcher;
    QTest::mouseClick(programme.btnLancer, Qt::LeftButton);
    EXPECT_TRUE(watcher.Seen().empty());
    EXPECT_TRUE(principale.isVisible());
    EXPECT_FALSE(programme.isVisible());
    EXPECT_TRUE(principale.DXPrincipale.Initialized());

    principale.close();
    EXPECT_TRUE(programme.isVisible());
}

TEST_F(TProgrammeGameTest, GameThatCannotStartLeavesTheLauncherAsItWas)
{
    std::filesystem::remove(folder.file("Apparences/Crayons/C_Pointeur.qrvi"));
    TProgramme& programme = Create();
    programme.show();
    TfrmPrincipale& principale = MakeGame();
    Tick(programme, 0);
    test::MessageBoxWatcher watcher;
    QTest::mouseClick(programme.btnLancer, Qt::LeftButton);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_TRUE(watcher.Seen()[0].text.contains("C_Pointeur.qrvi"));
    EXPECT_EQ(watcher.Seen()[0].icon, QMessageBox::Critical);
    EXPECT_FALSE(principale.isVisible());
    EXPECT_TRUE(programme.isVisible());
    EXPECT_TRUE(programme.btnLancer->isEnabled());
}

// ---- Closing -----------------------------------------------------------

TEST_F(TProgrammeTest, ClosingWritesTheSettingsAndEveryThemesTick)
{
    AddTheme("Animaux", 12, true);
    AddTheme("Formes", 3, false);
    AddAppearance("Crayons");
    WriteSettingsFile("Tolerance=20\nApparence=4\nSon=1\nHazard=1\nLangue=3\n");
    TProgramme& programme = Create();
    programme.show();
    Tick(programme, 1);
    programme.clbThemes->model()->setData(programme.clbThemes->model()->index(0, 0), Qt::Unchecked,
                                          Qt::CheckStateRole);
    QTest::mouseClick(programme.chkSon, Qt::LeftButton, {}, QPoint(6, programme.chkSon->height() / 2));
    PlayList = {TTheme{}, TTheme{"Formes/", 1}};
    PlayCount = 1;

    test::MessageBoxWatcher watcher;
    programme.close();
    EXPECT_TRUE(watcher.Seen().empty());
    EXPECT_FALSE(programme.isVisible());
    const IniFile settings(SettingsFile());
    EXPECT_EQ(settings.ReadInteger("Configuration", "Langue", -1), 0);
    EXPECT_EQ(settings.ReadInteger("Configuration", "Tolerance", -1), 20);
    EXPECT_EQ(settings.ReadInteger("Configuration", "Apparence", -1), 4);
    EXPECT_EQ(settings.ReadString("Configuration", "Son", ""), "0");
    EXPECT_EQ(settings.ReadString("Configuration", "Hazard", ""), "1");
    EXPECT_EQ(settings.ReadString("Configuration", "AidePoint", ""), "1");  // the defaults of a file without them
    EXPECT_EQ(settings.ReadString("Configuration", "Voix", ""), "1");
    EXPECT_NE(ReadFile(ThemeFile("Animaux")).find("Check=0"), std::string::npos);
    EXPECT_NE(ReadFile(ThemeFile("Formes")).find("Check=1"), std::string::npos);
    EXPECT_EQ(PlayCount, 0);
}

TEST_F(TProgrammeTest, RefusedWriteAtCloseIsShownAndTheOtherFilesAreStillWritten)
{
    AddTheme("Animaux", 12, false);
    AddTheme("Bateaux", 4, false);
    AddTheme("Formes", 3, false);
    TProgramme& programme = Create();
    for (int row = 0; row < 3; ++row)
        Tick(programme, row);
    // Everything open to the unprivileged user but Bateaux's folder.
    std::filesystem::permissions(folder.path(), std::filesystem::perms::all);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path()))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::all);
    std::filesystem::permissions(folder.path() / "Themes" / "Bateaux",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);

    test::MessageBoxWatcher watcher;
    {
        test::ScopedUnprivileged unprivileged;
        programme.FormClose();
    }
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text.toStdString(), "Impossible d'écrire dans " + ThemeFile("Bateaux"));
    EXPECT_EQ(watcher.Seen()[0].icon, QMessageBox::Critical);
    EXPECT_NE(ReadFile(ThemeFile("Animaux")).find("Check=1"), std::string::npos);
    EXPECT_NE(ReadFile(ThemeFile("Formes")).find("Check=1"), std::string::npos);
    EXPECT_NE(ReadFile(ThemeFile("Bateaux")).find("Check=0"), std::string::npos);  // untouched
    EXPECT_NE(ReadFile(SettingsFile()).find("Tolerance=15"), std::string::npos);
}

TEST_F(TProgrammeTest, RefusedSettingsWriteIsShownAndTheTicksAreStillWritten)
{
    AddTheme("Animaux", 12, false);
    TProgramme& programme = Create();
    Tick(programme, 0);
    std::filesystem::create_directory(SettingsFile());  // a folder where the settings file should be

    test::MessageBoxWatcher watcher;
    programme.FormClose();
    EXPECT_EQ(watcher.Texts(), QStringList{QString::fromStdString("Impossible d'écrire dans " + SettingsFile())});
    EXPECT_NE(ReadFile(ThemeFile("Animaux")).find("Check=1"), std::string::npos);
}

// ---- Display test ------------------------------------------------------

class ScopedDepths {
public:
    explicit ScopedDepths(const char* depths) { setenv("VORLANE_DEPTHS", depths, 1); }
    ScopedDepths(const ScopedDepths&) = delete;
    ScopedDepths& operator=(const ScopedDepths&) = delete;
    ~ScopedDepths() { unsetenv("VORLANE_DEPTHS"); }
};

TEST_F(TProgrammeTest, DisplayTestTakesTheFirstDepthOffered)
{
    const struct {
        const char* offered;
        bool debug;
        int depth;
        const char* title;
        bool canStart;
    } cases[] = {
        {"32,24,16,8", false, 32, "Vorlane", true},
        {"16,8", false, 16, "Vorlane", true},
        {"16", true, 16, "Mode DirectX 1024x768 - 16 bits.", true},
        {"8,24", true, 24, "Mode DirectX 1024x768 - 24 bits.", true},
        {"12", false, 32, "Mode DirectX 1024x768 - 32, 24, 16, 8 bits non supporté !", false},
        {"12", true, 32, "Mode DirectX 1024x768 - 32 bits.", false},
    };
    for (const auto& display : cases) {
        SCOPED_TRACE(display.offered);
        const ScopedDepths depths(display.offered);
        GameSettings = TGameSettings{};
        GameSettings.DebugMode = display.debug;
        TProgramme& programme = Create();
        EXPECT_EQ(GameSettings.BitDepth, display.depth);
        EXPECT_EQ(GameSettings.ScreenWidth, 1024);
        EXPECT_EQ(GameSettings.ScreenHeight, 768);
        EXPECT_EQ(programme.windowTitle(), display.title);
        EXPECT_EQ(programme.btnLancer->isEnabled(), display.canStart);
    }
}

// A screen whose window is on no form: opening the display fails.
class FormlessScreen : public TDXDrawScreen {
public:
    bool OnForm() const override { return false; }
    void TakeScreen(bool) override {}
    void ReleaseScreen() override {}
    void ShowFrame(const TDirectDrawSurface&, const QRegion&) override {}
    void DisplayDestroyed() override {}
};

TEST_F(TProgrammeTest, DisplayTestThatFailsLeavesTheStartPossible)
{
    FormlessScreen screen;
    programme = std::make_unique<TProgramme>(folder.file("vorlane"));
    programme->dxDrawTest.SetScreen(&screen);
    programme->FormCreate();
    EXPECT_EQ(programme->windowTitle(), "Mode DirectX non supporté !");
    EXPECT_TRUE(programme->btnLancer->isEnabled());
    EXPECT_EQ(GameSettings.BitDepth, 32);
    programme.reset();
}

// ---- The atelier -------------------------------------------------------

// The theme menu starts the program beside the launcher with the theme and the
// program folder; when the launcher comes back, the picture it added is
// counted and the ticks made meanwhile are kept. Without the program, a message.
TEST_F(TProgrammeTest, ThemeMenuOpensTheAtelierAndTheLauncherListsItsPicture)
{
    AddTheme("Animaux", 2);
    AddTheme("Formes", 1);
    const std::string atelier = folder.file("vorlane-atelier");
    test::WriteFile(atelier, "#!/bin/sh\n"
                             "sed -i 's/NombreImages=2/NombreImages=3/' \"$3Themes/$2/theme.dat\"\n"
                             "printf '%s|' \"$@\" > \"$3arguments\"\n");
    std::filesystem::permissions(atelier, std::filesystem::perms::owner_all);
    TProgramme& programme = Create();
    programme.show();
    QAbstractItemModel* themes = programme.clbThemes->model();
    themes->setData(themes->index(1, 0), Qt::Checked, Qt::CheckStateRole);  // Formes, not yet in its file

    const auto rightClickAnimaux = [&programme] {
        QString offered;
        QTimer::singleShot(0, [&offered] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr)
                return;
            offered = menu->actions().front()->text();
            menu->actions().front()->trigger();
            menu->close();
        });
        const QPoint at = programme.clbThemes->visualRect(programme.clbThemes->model()->index(0, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, programme.clbThemes->viewport()->mapToGlobal(at));
        QApplication::sendEvent(programme.clbThemes->viewport(), &event);
        return offered;
    };
    EXPECT_EQ(rightClickAnimaux(), "Ajouter un dessin à ce thème…");
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(folder.file("arguments")); }));
    EXPECT_EQ(ReadFile(folder.file("arguments")), "--theme|Animaux|" + folder.path().string() + "/|");

    QWidget other;
    other.show();
    other.activateWindow();
    QTest::qWait(20);
    programme.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return programme.lblImagesCount->text() == "Animaux : 3 images."; }));
    EXPECT_EQ(themes->index(1, 0).data(Qt::CheckStateRole), Qt::Checked);
    EXPECT_EQ(programme.HighlightedTheme(), "Animaux");

    std::filesystem::remove(atelier);
    test::MessageBoxWatcher watcher;
    rightClickAnimaux();
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].title, "Vorlane");
    EXPECT_TRUE(watcher.Seen()[0].text.startsWith("L'atelier de dessins n'est pas installé"));
}

// ---- A family install ---------------------------------------------------

// A read-only program folder shared by the family. A child closes the
// launcher; a parent then traces drawings for the child on the command line,
// into the shared theme's name in two letter cases, then into a new theme.
// Nothing of the shared themes may be hidden afterwards: the catalogue, the
// counts and the print manager's tree show them whole beside the new one.
TEST_F(TProgrammeTest, FamilyInstallNeverHidesASharedTheme)
{
    AddTheme("Animaux", 3, true);
    AddTheme("Formes", 2);
    test::TempDir drawings;
    test::WriteFile(drawings.file("maison.svg"),
                    R"(<svg xmlns="http://www.w3.org/2000/svg" width="400" height="300"><path )"
                    R"(d="M50 270 L50 120 L200 30 L350 120 L350 270 Z" fill="none" stroke="black" stroke-width="6"/></svg>)");
    test::SharedProgramFolder shared(folder.path());
    const std::string user = shared.UserFolder();

    // Closing writes the one tick that changed, in a progress file.
    Tick(Create(), 1);
    programme->close();
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(user + "Themes"))
        if (entry.is_regular_file() && entry.path().filename() != FolderLock::kLockFileName)
            written.push_back(entry.path().string().substr(user.size()));
    EXPECT_EQ(written, std::vector<std::string>{"Themes/Formes/progression.ini"});

    // The command line as the child's own account runs it (root may write anywhere).
    const auto trace = [&](const std::string& theme) {
        const std::string command = std::string(::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "") +
                                    VORLANE_CONTENT_TOOL " trace " + drawings.file("maison.svg") + " " +
                                    folder.path().string() + " --theme '" + theme + "' >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(trace("Animaux"), 1);
    EXPECT_EQ(trace("animaux"), 1);
    EXPECT_EQ(trace("Mes dessins"), 0);
    EXPECT_FALSE(std::filesystem::exists(user + "Themes/animaux"));
    EXPECT_FALSE(std::filesystem::exists(user + "Themes/Animaux"));
    EXPECT_TRUE(shared.Unchanged());

    TProgramme& again = Create();
    again.show();
    const ContentCatalogue& catalogue = again.Catalogue();
    ASSERT_EQ(catalogue.Themes().Count(), 3);
    std::vector<std::string> counts;
    for (int row = 0; row < 3; ++row) {
        const QModelIndex index = again.clbThemes->model()->index(row, 0);
        QTest::mouseClick(again.clbThemes->viewport(), Qt::LeftButton, {}, again.clbThemes->visualRect(index).center());
        counts.push_back(again.lblImagesCount->text().toStdString());
    }
    EXPECT_EQ(counts, (std::vector<std::string>{"Animaux : 3 images.", "Formes : 2 images.", "Mes dessins : 1 image."}));
    EXPECT_TRUE(catalogue.Themes().IsChecked(0));
    EXPECT_TRUE(catalogue.Themes().IsChecked(1));

    TfrmImpression impression(&again);
    impression.SetCatalogue(&catalogue);
    impression.TreeViewRefresh();
    std::vector<std::pair<QString, int>> tree;
    for (int i = 0; i < impression.tvThemes->topLevelItemCount(); ++i)
        tree.emplace_back(impression.tvThemes->topLevelItem(i)->text(0), impression.tvThemes->topLevelItem(i)->childCount());
    EXPECT_EQ(tree, (std::vector<std::pair<QString, int>>{{"Animaux", 3}, {"Formes", 2}, {"Mes dessins", 1}}));

    // The atelier is offered only a theme of the user's own: a new one on a shared theme.
    QStringList offered;
    for (int row : {0, 2}) {
        QTimer::singleShot(0, [&offered] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                offered << menu->actions().front()->text();
                menu->close();
            }
        });
        const QPoint at = again.clbThemes->visualRect(again.clbThemes->model()->index(row, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, again.clbThemes->viewport()->mapToGlobal(at));
        QApplication::sendEvent(again.clbThemes->viewport(), &event);
    }
    EXPECT_EQ(offered, (QStringList{"Créer un nouveau thème dans l'atelier…", "Ajouter un dessin à ce thème…"}));
}

// What an older version left in the user's folder: a partial theme.dat of a
// shared theme holding its tick and a mark, and two pictures traced into it
// (numbered 2 and 3, one coloured), and a whole theme named like a shared one.
// The first start carries every picture into a theme of the user's, keeps
// the tick and the marks, and tells the user once.
TEST_F(TProgrammeTest, AnOlderVersionsPicturesAreCarriedIntoAThemeOfTheirOwnAndTold)
{
    AddTheme("Animaux", 3);
    AddTheme("Formes", 2);
    AddTheme("Fruits", 1);
    test::SharedProgramFolder shared(folder.path());
    const std::string user = shared.UserFolder() + "Themes/";
    const std::string old = user + "Animaux/";
    // Written as the user ("nobody" while shared), then the program started again.
    std::filesystem::create_directories(old);
    std::filesystem::create_directories(user + "FORMES");
    test::WriteFile(user + "FORMES/theme.dat", "[General]\nVersion=1\nSubVersion=0\nNom=Vorlane\nNombreImages=0\n");
    test::WriteFile(old + "theme.dat", "[General]\nNombreImages=3\n[Configuration]\nCheck=1\n[Image01]\nImprimer=1\n"
                                       "[Image02]\nNombrePoints=5\nImprimer=1\n[Image03]\nNombrePoints=6\n");
    for (const char* file : {"Points02.bmp", "Image02.bmp", "Dessin02.svg", "Points03.bmp", "Image03.bmp", "Couleur03.bmz"})
        test::WriteFile(old + file, file);
    test::WriteFile(old + "Dessin02.json", R"({"dessin": "Dessin02.svg"})");
    // The version before this one had already put its theme.dat aside, pictures and all.
    std::filesystem::create_directories(user + "fruits");
    test::WriteFile(user + "fruits/theme.dat.ancien", "[Image01]\nNombrePoints=7\n");
    test::WriteFile(user + "fruits/Points01.bmp", "");
    shared.Update([] {});
    const std::vector<std::string> moved = ContentPlaces::Current().Moved();

    const std::string made = user + "Animaux (2)/";
    const IniFile dat(made + "theme.dat");
    EXPECT_EQ(dat.ReadInteger("General", "NombreImages", 0), 2);
    EXPECT_EQ(dat.ReadInteger("Image01", "NombrePoints", 0), 5);
    EXPECT_TRUE(dat.ReadBool("Image01", "Imprimer", false));
    EXPECT_EQ(dat.ReadInteger("Image02", "NombrePoints", 0), 6);
    EXPECT_EQ(ReadFile(made + "Points01.bmp"), "Points02.bmp");
    EXPECT_EQ(ReadFile(made + "Couleur02.bmz"), "Couleur03.bmz");
    EXPECT_EQ(ReadFile(made + "Dessin01.json"), R"({"dessin": "Dessin01.svg"})");
    EXPECT_TRUE(std::filesystem::exists(made + "Dessin01.svg"));
    // Nothing left unlisted: the pictures' files went, the colouring that may
    // be of the shared picture 3 stays beside it too.
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(old))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".vorlane-verrou", "Couleur03.bmz", "progression.ini", "theme.dat.ancien"}));
    const IniFile progress(old + "progression.ini");
    EXPECT_TRUE(progress.ReadBool("Configuration", "Check", false));
    EXPECT_TRUE(progress.ReadBool("Image01", "Imprimer", false));
    EXPECT_FALSE(progress.HasKey("Image02", "Imprimer"));
    EXPECT_TRUE(std::filesystem::exists(user + "FORMES (2)/theme.dat"));
    EXPECT_EQ(IniFile(user + "fruits (2)/theme.dat").ReadInteger("Image01", "NombrePoints", 0), 7);

    TProgramme& launcher = Create();
    std::vector<std::string> names;
    for (int row = 0; row < launcher.Catalogue().Themes().Count(); ++row)
        names.push_back(launcher.Catalogue().Themes().Name(row));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Animaux", "Animaux (2)", "FORMES (2)", "Formes", "Fruits", "fruits (2)"}));
    test::MessageBoxWatcher watcher;
    launcher.show();
    TApplication::TellMoved(moved, &launcher);
    QTest::qWait(100);
    ASSERT_EQ(watcher.Texts().size(), 1);
    EXPECT_TRUE(watcher.Texts().front().contains(
        "Votre thème « FORMES » portait le nom d'un thème de Vorlane : il s'appelle maintenant « FORMES (2) »."));
    EXPECT_TRUE(watcher.Texts().front().contains("Les dessins ajoutés au thème « Animaux » par une version précédente "
                                                 "de Vorlane sont maintenant dans le thème « Animaux (2) », à cocher "
                                                 "pour y jouer."));
    // The next start has nothing to move, nor to tell.
    shared.Update([] {});
    EXPECT_TRUE(ContentPlaces::Current().Moved().empty());
    EXPECT_FALSE(std::filesystem::exists(user + "Animaux (3)"));
}

// ---- Other windows -----------------------------------------------------

TEST_F(TProgrammeTest, F1AnywhereAndTheHelpButtonOpenTheHelpContents)
{
    std::filesystem::create_directories(folder.path() / "Aide");
    test::WriteFile(folder.file("Aide/index.html"), "<html><body><h1>Sommaire de test</h1></body></html>");
    TProgramme& programme = Create();
    programme.show();
    for (QWidget* from : {static_cast<QWidget*>(programme.EdTolerance), static_cast<QWidget*>(programme.clbThemes),
                          static_cast<QWidget*>(programme.btnQuitter)}) {
        if (HelpWindow() != nullptr)
            HelpWindow()->close();
        QTest::keyRelease(from, Qt::Key_F1);
        ASSERT_NE(HelpWindow(), nullptr);
        EXPECT_TRUE(HelpWindow()->isVisible());
        EXPECT_TRUE(HelpWindow()->Browser()->toPlainText().contains("Sommaire de test"));
    }
    HelpWindow()->close();
    QTest::mouseClick(programme.btnAideProgramme, Qt::LeftButton);
    EXPECT_TRUE(HelpWindow()->isVisible());
    HelpWindow()->close();
    TApplication::SetHelpFile(VORLANE_PROGRAM_DIR "/Aide/index.html");
}

TEST_F(TProgrammeTest, AboutBoxAndPrintManagerOpenModally)
{
    TProgramme& programme = Create();
    TfrmAbout about(&programme);
    TfrmImpression impression(&programme);
    frmAbout = &about;
    frmImpression = &impression;
    programme.show();

    QWidget* modal = nullptr;
    auto closeWhenShown = [&modal] {
        QTimer::singleShot(0, [&modal] {
            modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->accept();
        });
    };
    closeWhenShown();
    QTest::mouseClick(programme.btnAPropos, Qt::LeftButton);
    EXPECT_EQ(modal, &about);
    closeWhenShown();
    QTest::mouseClick(programme.btnUtilitaireImpression, Qt::LeftButton);
    EXPECT_EQ(modal, &impression);
    EXPECT_EQ(impression.windowTitle(), "Vorlane - Gestion des impressions");
    EXPECT_EQ(impression.size(), QSize(815, 413));
    frmAbout = nullptr;
    frmImpression = nullptr;
}

TEST_F(TProgrammeTest, EnterClicksTheFocusedButtonHereAndInTheAboutBox)
{
    TProgramme& programme = Create();
    ShowActive(programme);
    test::MessageBoxWatcher watcher;
    QTest::keyClick(programme.btnLancer, Qt::Key_Return);
    EXPECT_EQ(watcher.Texts(), QStringList{"Il faut sélectionner au moins un thème !!!"});
    TfrmAbout about(&programme);
    QTimer::singleShot(0, &about, [&about] {
        about.btnOk->setFocus();
        QTest::keyClick(about.btnOk, Qt::Key_Return);
    });
    EXPECT_EQ(about.exec(), QDialog::Accepted);
}

// ---- The window --------------------------------------------------------

TEST_F(TProgrammeTest, WindowIsFixedWithoutMaximiseAndStartsOnLancer)
{
    TProgramme& programme = Create();
    programme.show();
    EXPECT_EQ(programme.windowTitle(), "Vorlane");
    EXPECT_EQ(programme.size(), QSize(397, 481));
    EXPECT_EQ(programme.minimumSize(), programme.maximumSize());
    EXPECT_FALSE(programme.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(programme.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(programme.focusWidget(), programme.btnLancer);
}

TEST_F(TProgrammeTest, EveryCaptionFitsItsControl)
{
    TProgramme& programme = Create();
    for (QWidget* control : programme.findChildren<QWidget*>()) {
        const bool hasCaption = qobject_cast<QAbstractButton*>(control) != nullptr ||
                                (qobject_cast<QLabel*>(control) != nullptr && !static_cast<QLabel*>(control)->text().isEmpty());
        if (!hasCaption || control->parentWidget() == nullptr)
            continue;
        SCOPED_TRACE(control->metaObject()->className());
        EXPECT_LE(control->sizeHint().width(), control->width()) << control->property("text").toString().toStdString();
        EXPECT_LE(control->geometry().right(), control->parentWidget()->width());
    }
    // The longest caption of the list's label.
    programme.lblImagesCount->setText("Animaux : 100 images.");
    EXPECT_LE(programme.lblImagesCount->sizeHint().width(), programme.lblImagesCount->width());
}

}  // namespace
}  // namespace vorlane
