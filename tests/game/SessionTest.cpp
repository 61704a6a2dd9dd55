// The game session: game start, the moves between pictures, what each stage
// loads, the colouring history, and the game going back to the launcher.
#include "GameFixture.h"

#include <filesystem>

namespace vorlane::test {
namespace {

class SessionTest : public GameFixture {};
class SessionDepthTest : public GameFixture, public testing::WithParamInterface<int> {};

INSTANTIATE_TEST_SUITE_P(Depths, SessionDepthTest, testing::Values(32, 16));

TEST_P(SessionDepthTest, StartShowsTheFirstPictureAtItsFirstPoint)
{
    TfrmPrincipale& form = Start(GetParam());
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.DXTimer.Enabled());
    EXPECT_TRUE(form.RedrawNeeded);
    EXPECT_EQ(form.DXPrincipale.BackBuffer().BitsPerPixel(), GetParam());
    EXPECT_EQ(form.NumeroPoint, 1);
    EXPECT_EQ(form.LoadStage, 1);
    EXPECT_EQ(form.NumeroImage, 1);
    EXPECT_FALSE(form.ConfirmShown);
    EXPECT_FALSE(form.Restoring);
    // Picture 1's [Image01] section and the appearance's layout.
    EXPECT_EQ(form.NombrePoints, 5);
    EXPECT_EQ(form.LineColour, 0xFF0000u);
    EXPECT_EQ(form.TailleLigne, 3);
    EXPECT_EQ(form.XPoint, 20);
    EXPECT_EQ(form.YPoint, 20);
    EXPECT_EQ(form.PointeurOffsetX, 3);
    EXPECT_EQ(form.PointeurOffsetY, 4);
    EXPECT_EQ(form.XDessin, 100);
    EXPECT_EQ(form.YDessin, 60);
    EXPECT_EQ(form.XOuiNon, 400);
    EXPECT_EQ(form.YouiNon, 300);
    EXPECT_EQ(form.XCouleur, 40);
    EXPECT_EQ(form.YCouleur, 710);
    // Each surface holds its bitmap, white as its transparent colour; the
    // lines layer shows F_Lignes until the first click in the picture.
    EXPECT_TRUE(SameImage(*form.DXDessinSurface, LoadBitmap(ThemeFolder("Essai") + "Points01.bmp")));
    EXPECT_TRUE(SameImage(*form.DXCadreSurface, LoadBitmap(AppearanceFolder() + "F_Principale.qrvi")));
    EXPECT_TRUE(SameImage(*form.DXLignesSurface, LoadBitmap(AppearanceFolder() + "F_Lignes.qrvi")));
    EXPECT_TRUE(SameImage(*form.DXMasqueOuiNonSurface, LoadBitmap(AppearanceFolder() + "MF_Confirmation.qrvi")));
    for (const TDirectDrawSurface* surface : {form.DXPointeurSurface.get(), form.DXCadreSurface.get(),
                                              form.DXMasqueSurface.get(), form.DXMasqueCouleurSurface.get(),
                                              form.DXDessinSurface.get(), form.DXLignesSurface.get(),
                                              form.DXOuiNonSurface.get(), form.DXMasqueOuiNonSurface.get()})
        EXPECT_EQ(surface->TransparentColour(), surface->MatchColour(0xFFFFFF));
    // The lines pen waits on point 1.
    EXPECT_EQ(form.DXLignesSurface->SurfaceCanvas().PenX(), 120);
    EXPECT_EQ(form.DXLignesSurface->SurfaceCanvas().PenY(), 80);
    EXPECT_EQ(form.ListeWav.Count(), 9);
    EXPECT_FALSE(form.ListeWav.Items(8).Wave().Empty());
}

TEST_P(SessionDepthTest, NextAndPreviousWrapAroundThePlayList)
{
    TfrmPrincipale& form = Start(GetParam());
    form.ClickGauche();
    EXPECT_EQ(PlayIndex, 3);
    ExpectPictureStart(3);
    EXPECT_EQ(form.NombrePoints, 3);
    form.ClickDroite();
    EXPECT_EQ(PlayIndex, 1);
    ExpectPictureStart(1);
    form.ClickDroite();
    EXPECT_EQ(PlayIndex, 2);
    ExpectPictureStart(2);
    EXPECT_TRUE(m_errors.empty());
}

TEST_P(SessionDepthTest, EveryMoveRestartsTheDrawingWithAnEmptyLinesLayer)
{
    UsePlayList({{"Essai/", 1}});
    TfrmPrincipale& form = Start(GetParam());
    void (TfrmPrincipale::*moves[])() = {&TfrmPrincipale::ClickDroite, &TfrmPrincipale::ClickGauche,
                                         &TfrmPrincipale::ClickEfface};
    for (auto move : moves) {
        // As if the picture had been finished and the panel raised.
        form.LoadStage = 3;
        form.ChargeRessources(3);
        form.ConfirmShown = true;
        (form.*move)();
        EXPECT_EQ(PlayIndex, 1);
        ExpectPictureStart(1);
        EXPECT_EQ(form.XPoint, 20);
        const TDirectDrawSurface& lines = *form.DXLignesSurface;
        EXPECT_EQ(lines.ColourAt(20, 680), lines.MatchColour(0xFFFFFF)) << "the indicator is gone";
    }
}

TEST_F(SessionTest, PointsWithoutKeysLieAtOneOneWithWidthOne)
{
    UsePlayList({{"Essai/", 2}});
    TfrmPrincipale& form = Start();
    EXPECT_EQ(form.NumeroImage, 2);
    EXPECT_EQ(form.NombrePoints, 1);
    EXPECT_EQ(form.LineColour, 0u);
    EXPECT_EQ(form.XPoint, 1);
    EXPECT_EQ(form.YPoint, 1);
    EXPECT_EQ(form.TailleLigne, 1);
}

TEST_F(SessionTest, ColouringStageLoadsTheFinishedPictureAndKeepsProgressWhileRestoring)
{
    TfrmPrincipale& form = Start();
    form.PushFill(1, 2, 0x123456);
    form.CouleurColoriage = 0x00FF00;
    form.Restoring = true;
    form.ChargeRessources(3);
    form.Restoring = false;
    EXPECT_EQ(form.NumeroPoint, 1);
    EXPECT_EQ(form.CouleurColoriage, 0x00FF00u);
    EXPECT_EQ(form.Fills().size(), 1u);
    form.ChargeRessources(3);
    EXPECT_EQ(form.NumeroPoint, 0);
    EXPECT_EQ(form.CouleurColoriage, 0xFFFFFFu);
    EXPECT_TRUE(form.Fills().empty());
    EXPECT_TRUE(SameImage(*form.DXDessinSurface, LoadBitmap(ThemeFolder("Essai") + "Image01.bmp")));
    EXPECT_TRUE(SameImage(*form.DXCadreSurface, LoadBitmap(AppearanceFolder() + "F_Coloriage.qrvi")));
    EXPECT_TRUE(SameImage(*form.DXLignesSurface, LoadBitmap(AppearanceFolder() + "F_Lignes.qrvi")));
}

TEST_F(SessionTest, ContentFilesAreFoundWhateverTheirLetterCase)
{
    std::filesystem::rename(AppearanceFolder() + "C_Pointeur.qrvi", AppearanceFolder() + "c_pointeur.QRVI");
    std::filesystem::rename(ThemeFolder("Essai") + "Points01.bmp", ThemeFolder("Essai") + "POINTS01.bmp");
    TfrmPrincipale& form = Start();
    EXPECT_EQ(form.DXPointeurSurface->Width(), 12);
    EXPECT_EQ(form.DXDessinSurface->Width(), 200);
}

TEST(FillHistory, KeepsTheLast1023FillsInOrder)
{
    TfrmPrincipale form;
    for (int count : {1, 1023, 1024, 1100, 2048, 2049}) {
        form.ClearFillHistory();
        for (int i = 1; i <= count; ++i)
            form.PushFill(i, -i, static_cast<std::uint32_t>(i));
        const std::vector<TFillRecord> fills = form.Fills();
        const int kept = std::min(count, 1023);
        ASSERT_EQ(static_cast<int>(fills.size()), kept) << count;
        EXPECT_EQ(fills.front().X, count - kept + 1) << count;
        EXPECT_EQ(fills.back().X, count) << count;
        EXPECT_EQ(fills.back().Y, -count) << count;
        for (std::size_t i = 1; i < fills.size(); ++i)
            ASSERT_EQ(fills[i].X, fills[i - 1].X + 1) << count;
    }
    // 1023 fills from an empty ring fill slots 1 to 1023; the next drops slot 1.
    form.ClearFillHistory();
    for (int i = 1; i <= 1023; ++i)
        form.PushFill(i, i, 0);
    EXPECT_EQ(form.FillHistoryFirst, 1);
    EXPECT_EQ(form.FillHistoryNext, 1024);
    form.PushFill(1024, 1024, 0);
    EXPECT_EQ(form.FillHistoryFirst, 2);
    EXPECT_EQ(form.FillHistoryNext, 1);
}

TEST_F(SessionTest, StopClosesTheGameBackToTheLauncher)
{
    TfrmPrincipale& form = Start();
    form.ClickStop();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.DXTimer.Enabled());
    EXPECT_EQ(m_launcherShown, 1);
}

TEST_F(SessionTest, NewGameAfterOneStoppedWhileColouringStartsAtPointOne)
{
    TfrmPrincipale& form = Start();
    form.ClickDroite();
    form.LoadStage = 3;
    form.ChargeRessources(3);
    form.PushFill(150, 100, 0x0000FF);
    form.ConfirmShown = true;
    form.PendingAction = 3;
    form.ClickStop();

    UsePlayList({{"Essai/", 1}, {"Essai/", 3}});
    Start();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(PlayIndex, 1);
    ExpectPictureStart(1);
    EXPECT_EQ(form.XPoint, 20);
    EXPECT_TRUE(SameImage(*form.DXLignesSurface, LoadBitmap(AppearanceFolder() + "F_Lignes.qrvi")));
}

// Both files missing: the error names the one loaded first.
TEST_F(SessionTest, LoadingStopsAtTheFirstMissingFileInLoadingOrder)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Apparences/Essai/C_Pointeur.qrvi", "Apparences/Essai/F_Principale.qrvi"},
        {"Apparences/Essai/MF_Confirmation.qrvi", "Apparences/Essai/S_Oui.qrvs"},
        {"Apparences/Essai/S_Suivant.qrvs", "Apparences/Essai/S_Couleur.qrvs"},
        {"Apparences/Essai/S_Couleur.qrvs", "Themes/Essai/Points01.bmp"},
    };
    for (const auto& [first, second] : cases) {
        WriteTestPackage(m_dir.path().string());
        std::filesystem::remove(m_dir.file(first));
        std::filesystem::remove(m_dir.file(second));
        TfrmPrincipale form;
        form.SelectedAppearance = [] { return std::string("Essai"); };
        try {
            form.StartGame();
            ADD_FAILURE() << first;
        } catch (const EFOpenError& error) {
            EXPECT_EQ(error.what(), "Impossible d'ouvrir le fichier " + m_dir.file(first));
        }
    }
}

TEST_F(SessionTest, FailedStartLeavesTheLauncherAsItWas)
{
    std::filesystem::remove(AppearanceFolder() + "S_Couleur.qrvs");
    EXPECT_THROW(Start(), EFOpenError);
    EXPECT_FALSE(Form().isVisible());
    EXPECT_FALSE(Form().DXPrincipale.Initialized());
    EXPECT_FALSE(Form().DXTimer.Enabled());
    EXPECT_EQ(m_launcherShown, 0);

    // The next start, with the content mended, plays.
    WriteTestPackage(m_dir.path().string());
    Start();
    EXPECT_TRUE(Form().isVisible());
    EXPECT_EQ(Form().NumeroPoint, 1);
}

TEST_F(SessionTest, AnEmptyPlayListIsRefusedInFrench)
{
    UsePlayList({});
    try {
        Start();
        FAIL();
    } catch (const EVorlaneError& error) {
        EXPECT_STREQ(error.what(), "Aucune image à jouer : les thèmes choisis ne contiennent pas d'image.");
    }
    EXPECT_FALSE(Form().isVisible());
}

// A picture half loaded is no screen to play on: the error is shown once and
// the game goes back to the launcher.
TEST_F(SessionTest, APictureThatFailsToLoadClosesTheGameAfterTheError)
{
    void (TfrmPrincipale::*moves[])() = {&TfrmPrincipale::ClickDroite, &TfrmPrincipale::ClickGauche,
                                         &TfrmPrincipale::ClickEfface};
    for (auto move : moves) {
        WriteTestPackage(m_dir.path().string());
        m_errors.clear();
        m_launcherShown = 0;
        PlayIndex = 1;
        TfrmPrincipale& form = Start();
        const std::string missing = ThemeFolder("Essai") + (move == &TfrmPrincipale::ClickEfface ? "Points01.bmp"
                                                            : move == &TfrmPrincipale::ClickDroite ? "Points02.bmp"
                                                                                                   : "Points03.bmp");
        std::filesystem::remove(missing);
        (form.*move)();
        ASSERT_EQ(m_errors.size(), 1u);
        EXPECT_EQ(m_errors[0], "Impossible d'ouvrir le fichier " + missing);
        EXPECT_FALSE(form.isVisible());
        EXPECT_FALSE(form.DXTimer.Enabled());
        EXPECT_EQ(m_launcherShown, 1);
    }
}

}  // namespace
}  // namespace vorlane::test
