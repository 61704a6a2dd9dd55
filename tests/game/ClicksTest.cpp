// The rules of a click, on the package made by the tests: joining the dots
// within the tolerance, finishing, colouring, the palette, the actions and
// the yes/no panel, and the sounds each of them plays.
#include "GameFixture.h"

#include <filesystem>

#include "content/IniFile.h"
#include "print/PrintStore.h"
#include "print/zipUnzip.h"
#include "support/SharedProgramFolder.h"

namespace vorlane::test {
namespace {

using Sounds = std::vector<int>;

class ClicksTest : public GameFixture, public testing::WithParamInterface<int> {
protected:
    const Sounds& Played() const { return m_form->ListeWav.PlayRecord(); }
    bool Printable(int picture) const
    {
        return ReadPrintableMark(ThemeFolder("Essai") + "theme.dat", ImageSection(static_cast<std::uint32_t>(picture)));
    }
    // Picture 1 finished: in the colouring stage.
    void Finish()
    {
        JoinAllDots();
        ASSERT_EQ(m_form->NumeroPoint, 0);
        m_form->ListeWav.ClearPlayRecord();
    }
};

INSTANTIATE_TEST_SUITE_P(Depths, ClicksTest, testing::Values(32, 16));

TEST_P(ClicksTest, HitAreaIsTheOpenSquareOfTheTolerance)
{
    TfrmPrincipale& form = Start(GetParam());
    for (int tolerance : {5, 15}) {
        GameSettings.Tolerance = tolerance;
        int hits = 0;
        for (int dy = -tolerance - 1; dy <= tolerance + 1; ++dy)
            for (int dx = -tolerance - 1; dx <= tolerance + 1; ++dx) {
                form.NumeroPoint = 1;
                form.XPoint = 60;
                form.YPoint = 70;
                ClickPicture(60 + dx, 70 + dy);
                const bool hit = form.NumeroPoint == 2;
                hits += hit;
                EXPECT_EQ(hit, std::abs(dx) < tolerance && std::abs(dy) < tolerance) << dx << ", " << dy;
            }
        EXPECT_EQ(hits, (2 * tolerance - 1) * (2 * tolerance - 1));
    }
}

TEST_P(ClicksTest, FirstClickEmptiesTheLinesLayerEvenOnAMiss)
{
    TfrmPrincipale& form = Start(GetParam());
    ClickPicture(150, 100);
    EXPECT_EQ(form.NumeroPoint, 1);
    EXPECT_EQ(Played(), Sounds{3});
    EXPECT_EQ(form.DXLignesSurface->ColourAt(20, 680), form.DXLignesSurface->MatchColour(0xFFFFFF));
    EXPECT_EQ(form.DXLignesSurface->SurfaceCanvas().PenX(), 120);
    EXPECT_EQ(form.DXLignesSurface->SurfaceCanvas().PenY(), 80);
    EXPECT_EQ(form.ZoneColour, static_cast<std::int32_t>(form.DXMasqueCouleurSurface->ColourAt(0, 0)));
}

// The lines form one polyline through the points; a lost display redraws it
// and the next hit goes on from the last point joined.
TEST_P(ClicksTest, HitsDrawThePolylineThatSurvivesALostDisplay)
{
    TfrmPrincipale& form = Start(GetParam());
    const std::vector<ThemePoint> points = Points();
    for (int i = 0; i < 3; ++i)
        ClickPicture(points[i].X + 2, points[i].Y - 3);
    EXPECT_EQ(form.NumeroPoint, 4);
    EXPECT_EQ(form.LoadStage, 2);
    EXPECT_EQ(Played(), (Sounds{2, 2, 2}));
    TDirectDrawSurface expected(form.DXPrincipale);
    expected.SetSize(1024, 768);
    expected.FillColour(expected.MatchColour(0xFFFFFF));
    TDirectDrawSurfaceCanvas& canvas = expected.SurfaceCanvas();
    canvas.SetPenColour(0xFF0000);
    canvas.MovePen(120, 80);
    for (int i = 0; i < 3; ++i) {
        canvas.SetPenWidth(points[i].Ligne);
        canvas.LineTo(points[i].X + 100, points[i].Y + 60);
    }
    EXPECT_TRUE(SameSurface(*form.DXLignesSurface, expected));

    form.DXPrincipale.DeclareSurfacesLost();
    form.DXTimerTimer(1);
    ClickPicture(points[3].X, points[3].Y);
    EXPECT_EQ(form.NumeroPoint, 5);
    LoadSurface(expected, LoadBitmap(AppearanceFolder() + "F_Lignes.qrvi"));
    canvas.MovePen(120, 80);
    for (int i = 1; i < 4; ++i) {
        canvas.SetPenWidth(points[i].Ligne);
        canvas.LineTo(points[i].X + 100, points[i].Y + 60);
    }
    EXPECT_TRUE(SameSurface(*form.DXLignesSurface, expected));
}

TEST_P(ClicksTest, APointAtMinusOneIsNeverPassed)
{
    UsePlayList({{"Essai/", 3}});
    TfrmPrincipale& form = Start(GetParam());
    ClickPicture(30, 30);
    ASSERT_EQ(form.NumeroPoint, 2);
    EXPECT_EQ(form.XPoint, -1);
    ClickPicture(10, 60);  // within the tolerance of (-1, 60)
    ClickPicture(10, 60);
    EXPECT_EQ(form.NumeroPoint, 2);
    EXPECT_EQ(Played(), Sounds{2}) << "a hit the guard stops plays nothing";
    ClickPicture(100, 100);
    EXPECT_EQ(form.NumeroPoint, 2);
    EXPECT_EQ(Played(), (Sounds{2, 3}));
}

TEST_P(ClicksTest, OnePointPictureFinishesOnTheFirstHit)
{
    UsePlayList({{"Essai/", 2}});
    TfrmPrincipale& form = Start(GetParam());
    ClickPicture(10, 10);  // point (1, 1) lies on the picture zone's edge
    EXPECT_EQ(form.NumeroPoint, 0);
    EXPECT_EQ(form.LoadStage, 3);
    EXPECT_TRUE(Printable(2));
    EXPECT_FALSE(Printable(1));
    EXPECT_TRUE(Played().empty());
    EXPECT_TRUE(SameImage(*form.DXDessinSurface, LoadBitmap(ThemeFolder("Essai") + "Image02.bmp")));
}

TEST_P(ClicksTest, FinishingClickLoadsTheColouringStageSilentlyAndColoursNothing)
{
    TfrmPrincipale& form = Start(GetParam());
    form.CouleurColoriage = 0x0000FF;
    JoinAllDots();
    EXPECT_EQ(form.NumeroPoint, 0);
    EXPECT_EQ(form.LoadStage, 3);
    EXPECT_FALSE(form.ColouringJustBegun);
    EXPECT_EQ(form.CouleurColoriage, 0xFFFFFFu);
    EXPECT_TRUE(form.Fills().empty());
    EXPECT_EQ(Played(), (Sounds{2, 2, 2, 2}));
    EXPECT_TRUE(Printable(1));
    EXPECT_TRUE(SameImage(*form.DXDessinSurface, LoadBitmap(ThemeFolder("Essai") + "Image01.bmp")));
    EXPECT_TRUE(SameImage(*form.DXCadreSurface, LoadBitmap(AppearanceFolder() + "F_Coloriage.qrvi")));
    EXPECT_TRUE(SameImage(*form.DXLignesSurface, LoadBitmap(AppearanceFolder() + "F_Lignes.qrvi")));
}

TEST_P(ClicksTest, PaletteAndFillsWhileColouring)
{
    TfrmPrincipale& form = Start(GetParam());
    Finish();
    ClickAt(PalettePoint(kPaletteColours[2]));
    EXPECT_EQ(form.CouleurColoriage, AtDepth(kPaletteColours[2]));
    const TDirectDrawSurface& lines = *form.DXLignesSurface;
    EXPECT_EQ(lines.ColourAt(40, 710), lines.MatchColour(kPaletteColours[2])) << "the indicator";

    ClickPicture(50, 50);
    EXPECT_EQ(PictureColour({50, 50}), AtDepth(kPaletteColours[2]));
    EXPECT_EQ(PictureColour({150, 50}), 0xFFFFFFu);
    ASSERT_EQ(form.Fills().size(), 1u);
    EXPECT_EQ(form.Fills()[0].X, 50 + 100 - 3);
    EXPECT_EQ(form.Fills()[0].Y, 50 + 60 - 4);
    EXPECT_EQ(form.Fills()[0].Colour, AtDepth(kPaletteColours[2]));

    // On a black line, or with the hotspot past the picture.
    ClickPicture(100, 50);
    ClickPicture(500, 300);
    EXPECT_EQ(form.Fills().size(), 1u);
    EXPECT_EQ(PictureColour({100, 50}), 0u);
    EXPECT_EQ(Played(), (Sounds{8, 8})) << "no hit nor miss sound while colouring";

    // Beside the crayons, on nothing: the colour stays, and the child hears so.
    ClickAt(50, 20);
    EXPECT_EQ(form.CouleurColoriage, AtDepth(kPaletteColours[2]));
    EXPECT_EQ(Played(), (Sounds{8, 8, 3}));
}

TEST_P(ClicksTest, PaletteDoesNothingWhileDrawing)
{
    TfrmPrincipale& form = Start(GetParam());
    ClickAt(ZonePoint(kPaletteZone));
    EXPECT_EQ(form.CouleurColoriage, 0xFFFFFFu);
    EXPECT_TRUE(Played().empty());
    EXPECT_TRUE(SameImage(*form.DXLignesSurface, LoadBitmap(AppearanceFolder() + "F_Lignes.qrvi")));
}

// Each dot joined says its label, the last one then the picture's name after
// it; a family's own file is said instead of the program's, and a damaged or
// missing one never stops the game.
TEST_P(ClicksTest, EachDotJoinedIsSaidThenThePicturesName)
{
    SharedProgramFolder shared(m_dir.path());
    shared.Update([this] {
        std::filesystem::create_directories(m_dir.file("Voix/Noms"));
        for (int label = 1; label <= 5; ++label)
            if (label != 2)  // no file says "2"
                WriteFile(m_dir.file("Voix/" + std::to_string(label) + ".wav"), TestWave(static_cast<std::uint8_t>(10 * label)));
        WriteFile(m_dir.file("Voix/Noms/carré.wav"), TestWave(200));
        IniFile(ThemeFolder("Essai") + "theme.dat").WriteString("Image01", "Titre", "carré");
    });
    std::filesystem::create_directories(shared.UserFolder() + "Voix");
    WriteFile(shared.UserFolder() + "Voix/3.wav", TestWave(99));           // the family's own
    WriteFile(shared.UserFolder() + "Voix/4.wav", "RIFF, pas un son");  // damaged
    TfrmPrincipale& form = Start(GetParam());
    const auto said = [&form](int slot) { return form.ListeVoix.Items(slot).Wave().Samples()[0]; };
    std::vector<int> heard;
    std::vector<std::uint8_t> labels;
    for (const ThemePoint& point : Points()) {
        ClickPicture(point.X, point.Y);
        heard = form.ListeVoix.PlayRecord();
        if (!heard.empty() && heard.front() == 0)
            labels.push_back(said(0));
        form.ListeVoix.ClearPlayRecord();
    }
    EXPECT_EQ(labels, (std::vector<std::uint8_t>{10, 99, 40, 50}));
    EXPECT_EQ(heard, (std::vector<int>{0, 1})) << "the last dot's label, then the name";
    EXPECT_EQ(said(1), 200);
    EXPECT_TRUE(m_errors.empty());

    GameSettings.Voix = false;
    ClickAt(ZonePoint(kEraseZone));
    ClickAt(PanelPoint(kYesZone));
    JoinAllDots();
    EXPECT_TRUE(form.ListeVoix.PlayRecord().empty());
}

// Where the appearance has the panel asking a question, it shows while that
// action waits, over the same mask; one of another size is left aside.
TEST_P(ClicksTest, PanelAsksThePendingActionsQuestion)
{
    TDIB asking;
    asking.SetSize24(200, 100);
    SaveBitmap(asking, AppearanceFolder() + "F_Confirmation_Suivant.qrvi");
    TDIB wrongSize;
    wrongSize.SetSize24(20, 10);
    SaveBitmap(wrongSize, AppearanceFolder() + "F_Confirmation_Efface.qrvi");
    TfrmPrincipale& form = Start(GetParam());
    const TDIB plain = LoadBitmap(AppearanceFolder() + "F_Confirmation.qrvi");
    ClickPicture(20, 20);

    ClickAt(ZonePoint(kNextZone));
    EXPECT_TRUE(SameImage(*form.DXOuiNonSurface, asking));
    form.DXPrincipale.DeclareSurfacesLost();
    form.DXTimerTimer(1);
    EXPECT_TRUE(SameImage(*form.DXOuiNonSurface, asking)) << "a lost display asks the same question again";
    ClickAt(PanelPoint(kNoZone));
    ClickAt(ZonePoint(kEraseZone));
    EXPECT_TRUE(SameImage(*form.DXOuiNonSurface, plain));
    ClickAt(PanelPoint(kYesZone));
    EXPECT_EQ(form.NumeroPoint, 1) << "the panel's keys answer as before";
}

TEST_P(ClicksTest, NothingPlaysWithSoundOff)
{
    GameSettings.Son = false;
    TfrmPrincipale& form = Start(GetParam());
    ClickPicture(150, 100);
    ClickPicture(20, 20);
    ClickAt(ZonePoint(kEraseZone));
    ClickAt(PanelPoint(kYesZone));
    EXPECT_EQ(form.NumeroPoint, 1);
    EXPECT_TRUE(Played().empty());
}

TEST_P(ClicksTest, ActionsOnceDrawingHasBegunAskFirst)
{
    TfrmPrincipale& form = Start(GetParam());
    ClickPicture(20, 20);
    ClickAt(ZonePoint(kNextZone));
    EXPECT_TRUE(form.ConfirmShown);
    EXPECT_EQ(form.PendingAction, 1);
    EXPECT_EQ(PlayIndex, 1);
    EXPECT_EQ(form.NumeroPoint, 2);

    // While the panel is up the picture takes no clicks: off the panel's
    // mask the zone reads 0, on its dead part it matches no key.
    ClickPicture(90, 20);
    ClickAt(405, 305);
    EXPECT_EQ(form.NumeroPoint, 2);
    EXPECT_EQ(form.ZoneColour, static_cast<std::int32_t>(form.DXMasqueOuiNonSurface->ColourAt(5, 5) & 0xFFFFFF));

    ClickAt(PanelPoint(kNoZone));
    EXPECT_FALSE(form.ConfirmShown);
    EXPECT_EQ(form.NumeroPoint, 2);
    EXPECT_FALSE(std::filesystem::exists(ThemeFolder("Essai") + "Couleur01.bmz")) << "only colouring is saved";

    ClickAt(ZonePoint(kPreviousZone));
    ClickAt(PanelPoint(kYesZone));
    EXPECT_EQ(PlayIndex, 3) << "previous from the first entry";
    EXPECT_EQ(form.NumeroPoint, 1);
    EXPECT_FALSE(form.ConfirmShown);

    ClickPicture(30, 30);
    ClickAt(ZonePoint(kStopZone));
    ClickAt(PanelPoint(kYesZone));
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.ConfirmShown) << "until the next game starts";
    EXPECT_EQ(Played(), (Sounds{2, 7, 1, 6, 0, 2, 4, 0}));
}

TEST_P(ClicksTest, AnswersWhileColouringSaveTheColouredPicture)
{
    TfrmPrincipale& form = Start(GetParam());
    Finish();
    ClickAt(PalettePoint(kPaletteColours[2]));
    ClickPicture(50, 50);
    ClickAt(ZonePoint(kEraseZone));
    ClickAt(PanelPoint(kNoZone));
    EXPECT_EQ(form.NumeroPoint, 0) << "colouring goes on";
    const std::string archive = ThemeFolder("Essai") + "Couleur01.bmz";
    TDIB saved;
    UnzipBitmap(archive, saved);
    EXPECT_TRUE(SameImage(*form.DXDessinSurface, saved));

    ClickPicture(150, 50);
    TDirectDrawSurface coloured(form.DXPrincipale);
    coloured.SetSize(200, 150);
    coloured.DrawSurface(0, 0, form.DXDessinSurface.get(), Transparency::Opaque);
    ClickAt(ZonePoint(kEraseZone));
    ClickAt(PanelPoint(kYesZone));
    UnzipBitmap(archive, saved);
    EXPECT_TRUE(SameImage(coloured, saved));
    EXPECT_EQ(form.NumeroPoint, 1) << "the dots of the same picture again";
    EXPECT_EQ(PlayIndex, 1);
    EXPECT_TRUE(SameImage(*form.DXDessinSurface, LoadBitmap(ThemeFolder("Essai") + "Points01.bmp")));
    EXPECT_EQ(Played(), (Sounds{8, 8, 5, 1, 8, 5, 0}));
}

// A picture that cannot be saved is reported once; the answer still takes
// effect, so that the child is never held on the panel.
TEST_P(ClicksTest, UnsaveablePictureIsReportedOnceAndTheAnswerTakesEffect)
{
    TfrmPrincipale& form = Start(GetParam());
    Finish();
    ClickPicture(50, 50);
    std::filesystem::permissions(ThemeFolder("Essai"), std::filesystem::perms::owner_write |
                                                           std::filesystem::perms::group_write |
                                                           std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    const std::string refused = "Impossible d'écrire dans " + ThemeFolder("Essai") + "Couleur01.bmz";
    {
        const ScopedUnprivileged unprivileged;
        ClickAt(ZonePoint(kNextZone));
        ClickAt(PanelPoint(kNoZone));
        EXPECT_EQ(m_errors, std::vector<std::string>{refused});
        EXPECT_FALSE(form.ConfirmShown);
        EXPECT_EQ(form.NumeroPoint, 0);

        ClickAt(ZonePoint(kNextZone));
        ClickAt(PanelPoint(kYesZone));
        EXPECT_EQ(m_errors, (std::vector<std::string>{refused, refused}));
        EXPECT_EQ(PlayIndex, 2);
        EXPECT_EQ(form.NumeroPoint, 1);
    }
    EXPECT_FALSE(std::filesystem::exists(ThemeFolder("Essai") + "Couleur01.bmz"));
    EXPECT_EQ(Played(), (Sounds{8, 7, 1, 7, 0}));
}

// A refused mark is reported once, and colouring goes on as after a written one.
TEST_P(ClicksTest, UnwritableThemeFileIsReportedOnceAndColouringGoesOn)
{
    TfrmPrincipale& form = Start(GetParam());
    std::filesystem::permissions(ThemeFolder("Essai"), std::filesystem::perms::owner_write |
                                                           std::filesystem::perms::group_write |
                                                           std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    const ScopedUnprivileged unprivileged;
    JoinAllDots();
    EXPECT_EQ(m_errors, std::vector<std::string>{"Impossible d'écrire dans " + ThemeFolder("Essai") + "theme.dat"});
    EXPECT_EQ(form.NumeroPoint, 0);
    EXPECT_TRUE(SameImage(*form.DXDessinSurface, LoadBitmap(ThemeFolder("Essai") + "Image01.bmp")));
    ClickAt(PalettePoint(kPaletteColours[2]));
    ClickPicture(50, 50);
    EXPECT_EQ(PictureColour({50, 50}), AtDepth(kPaletteColours[2]));
    EXPECT_EQ(m_errors.size(), 1u);
}

// Without its finished picture the game goes back to the launcher after one box.
TEST_P(ClicksTest, FinishedPictureThatCannotBeLoadedClosesTheGame)
{
    TfrmPrincipale& form = Start(GetParam());
    const std::string missing = ThemeFolder("Essai") + "Image01.bmp";
    std::filesystem::remove(missing);
    JoinAllDots();
    EXPECT_EQ(m_errors, std::vector<std::string>{"Impossible d'ouvrir le fichier " + missing});
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(m_launcherShown, 1);
}

TEST_P(ClicksTest, ReadOnlyProgramFolderKeepsTheChildsWorkInTheirOwnFolder)
{
    SharedProgramFolder shared(m_dir.path());
    Start(GetParam());
    Finish();
    ClickAt(PalettePoint(kPaletteColours[2]));
    ClickPicture(50, 50);
    ClickAt(ZonePoint(kNextZone));
    ClickAt(PanelPoint(kYesZone));
    const std::string mine = shared.UserFolder() + "Themes/Essai/";
    EXPECT_TRUE(ReadPrintableMark(mine + "progression.ini", "Image01"));
    EXPECT_FALSE(std::filesystem::exists(mine + "theme.dat"));
    EXPECT_TRUE(std::filesystem::exists(mine + "Couleur01.bmz"));
    EXPECT_TRUE(m_errors.empty());
    EXPECT_TRUE(shared.Unchanged());
}

}  // namespace
}  // namespace vorlane::test
