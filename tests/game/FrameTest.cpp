// Frame composition: the layers of a frame, the debug overlay, and the
// surfaces rebuilt after the display lost them.
#include "GameFixture.h"

#include <QCoreApplication>
#include <QBackingStore>
#include <cmath>
#include <set>
#include <filesystem>

#include "display/DXDrawView.h"
#include "display/TDirectDrawSurfaceCanvas.h"

namespace vorlane::test {
namespace {

class FrameTest : public GameFixture, public testing::WithParamInterface<int> {
protected:
    // The colour a pixel of the last frame shows.
    std::uint32_t Shown(int x, int y) const
    {
        const TDirectDrawSurface& frame = m_form->DXPrincipale.PrimarySurface();
        return ColourFromPixel(frame.Format(), frame.ColourAt(x, y));
    }
    void LoseDisplay()
    {
        m_form->DXPrincipale.DeclareSurfacesLost();
        m_form->DXTimerTimer(1);
    }
};

INSTANTIATE_TEST_SUITE_P(Depths, FrameTest, testing::Values(32, 16));

TEST_P(FrameTest, LayersAreDrawnInOrderWithWhiteSeeThrough)
{
    TfrmPrincipale& form = Start(GetParam());
    // The lines layer gets a mark where the picture shows a dot, and one
    // under the frame's grey border.
    TDirectDrawSurfaceCanvas& lines = form.DXLignesSurface->SurfaceCanvas();
    lines.SetBrushColour(0x00FF00);
    lines.SetBrushStyle(TBrushStyle::Solid);
    lines.FillToBorder(500, 500, 0x000000);  // all of the layer outside the indicator
    MoveMouse(600, 400);
    form.DXTimerTimer(1);
    EXPECT_FALSE(form.RedrawNeeded);
    EXPECT_EQ(Shown(0, 0), AtDepth(kFrameGrey)) << "the frame covers the lines";
    EXPECT_EQ(Shown(300, 300), AtDepth(0x00FF00)) << "the lines cover the picture";
    EXPECT_EQ(Shown(40, 710), 0xFFFFFFu) << "white lines show the white background";
    EXPECT_EQ(Shown(605, 405), AtDepth(0x0000C0)) << "the pointer";
    EXPECT_EQ(Shown(600, 400), AtDepth(0x00FF00)) << "the pointer's white corner is see-through";

    form.DXLignesSurface->FillColour(form.DXLignesSurface->MatchColour(0xFFFFFF));
    form.ConfirmShown = true;
    form.DXTimerTimer(1);
    EXPECT_EQ(Shown(300, 300), AtDepth(0x00FF00)) << "no frame without a mouse move";
    EXPECT_EQ(Shown(405, 305), AtDepth(0x00FF00));

    MoveMouse(1020, 766);
    form.DXTimerTimer(1);
    EXPECT_EQ(Shown(120, 80), AtDepth(0x303030)) << "the dot of point 1, through the white lines layer";
    EXPECT_EQ(Shown(300, 300), 0xFFFFFFu);
    EXPECT_EQ(Shown(405, 305), AtDepth(0x808000)) << "the panel, over the frame";
    EXPECT_EQ(Shown(1023, 767), AtDepth(0x0000C0)) << "the pointer cut at the screen's edge";

    form.ConfirmShown = false;
    MoveMouse(10, 10);
    form.DXTimerTimer(1);
    EXPECT_EQ(Shown(405, 305), 0xFFFFFFu) << "no panel";
}

TEST_P(FrameTest, AClickShowsWithoutAMouseMove)
{
    TfrmPrincipale& form = Start(GetParam());
    MoveMouse(ZonePoint(kNextZone).x(), ZonePoint(kNextZone).y());
    form.DXTimerTimer(1);
    form.NumeroPoint = 2;  // the panel is asked for
    form.DXPrincipaleClick();
    ASSERT_TRUE(form.ConfirmShown);
    form.DXTimerTimer(1);
    EXPECT_EQ(Shown(405, 305), AtDepth(0x808000)) << "the panel, at the tick after the click";
    EXPECT_FALSE(form.RedrawNeeded);
}

TEST_P(FrameTest, NothingIsDrawnWhileTheDisplayCannotDraw)
{
    TfrmPrincipale& form = Start(GetParam());
    form.DXPrincipale.CloseDisplay();
    EXPECT_FALSE(form.DXTimer.Enabled());
    MoveMouse(600, 400);
    form.DXTimerTimer(1);
    EXPECT_TRUE(form.RedrawNeeded) << "kept for the first tick that can draw";
}

TEST_P(FrameTest, DebugOverlayLinesWithTheMouseInTheMiddle)
{
    TfrmPrincipale& form = Start(GetParam());
    MoveMouse(512, 384);
    const bool sixteen = GetParam() == 16;
    const std::vector<std::pair<int, std::string>> expected = {
        {40, "FPS: 0"},
        {60, "Souris =512, 384"},
        {80, "Couleur =0"},
        {100, "NombrePoints =5"},
        {120, "XPoint =20, YPoint =20"},
        {140, "TailleLigne =3"},
        {160, "NumeroPoint =1"},
        {180, "Xmouse - XDessin + PointeurOffsetX =415"},
        {200, "XPoint - Tolerance =5"},
        {220, "XPoint + Tolerance =35"},
        {240, "Ymouse - YDessin + PointeurOffsetY =328"},
        {260, "YPoint - Tolerance =5"},
        {280, "Ypoint + Tolerance =35"},
        {300, "NumeroImage =1"},
        {320, "Couleur Dessin =00000000"},  // the hotspot is past the picture
        {340, "CouleurColoriage =00FFFFFF"},
        {360, sixteen ? "Couleur Fond =0000FFFF" : "Couleur Fond =00FFFFFF"},
        {380, sixteen ? "ColorDepth =16" : "ColorDepth =32"},
    };
    EXPECT_EQ(form.DebugOverlayLines(), expected);

    // Over the dot of point 1 the raw pixel value of the dots picture shows.
    MoveMouse(117, 76);
    const auto lines = form.DebugOverlayLines();
    EXPECT_EQ(lines[14].second, sixteen ? "Couleur Dessin =00003186" : "Couleur Dessin =00303030");
    form.CouleurColoriage = 0x123456;
    form.ZoneColour = 0xFF00FF;
    EXPECT_EQ(form.DebugOverlayLines()[15].second, "CouleurColoriage =00123456");
    EXPECT_EQ(form.DebugOverlayLines()[2].second, "Couleur =16711935");
}

TEST_F(FrameTest, DebugOverlayIsDrawnOnlyInDebugMode)
{
    TfrmPrincipale& form = Start();
    const auto blackInOverlay = [this] {
        int count = 0;
        for (int y = 40; y < 400; ++y)
            for (int x = 20; x < 100; ++x)
                count += Shown(x, y) == 0x000000;
        return count;
    };
    MoveMouse(900, 700);
    form.DXTimerTimer(1);
    EXPECT_EQ(blackInOverlay(), 0);
    GameSettings.DebugMode = true;
    MoveMouse(900, 701);
    form.DXTimerTimer(1);
    EXPECT_GT(blackInOverlay(), 200);
}

TEST_P(FrameTest, LostDisplayAtPointFourRedrawsTheLinesToPointThree)
{
    TfrmPrincipale& form = Start(GetParam());
    // As three hits leave it.
    form.NumeroPoint = 4;
    form.LoadStage = 2;
    form.ChargeRessources(2);
    form.RedrawNeeded = false;
    LoseDisplay();
    EXPECT_FALSE(form.Restoring);
    EXPECT_EQ(Shown(0, 0), AtDepth(kFrameGrey)) << "the restored game shows at once, without a mouse move";
    EXPECT_EQ(form.NumeroPoint, 4);
    EXPECT_EQ(form.TailleLigne, 1);
    EXPECT_EQ(form.XPoint, 180);
    EXPECT_EQ(form.YPoint, 130);

    TDirectDrawSurface expected(form.DXPrincipale);
    LoadSurface(expected, LoadBitmap(AppearanceFolder() + "F_Lignes.qrvi"));
    TDirectDrawSurfaceCanvas& canvas = expected.SurfaceCanvas();
    canvas.SetPenColour(0xFF0000);
    canvas.MovePen(120, 80);
    canvas.SetPenWidth(3);
    canvas.LineTo(190, 80);
    canvas.SetPenWidth(5);
    canvas.LineTo(280, 80);
    EXPECT_TRUE(SameSurface(*form.DXLignesSurface, expected));
    EXPECT_EQ(form.DXLignesSurface->SurfaceCanvas().PenX(), 280);
    EXPECT_EQ(form.DXLignesSurface->SurfaceCanvas().PenY(), 80);
    EXPECT_TRUE(SameImage(*form.DXDessinSurface, LoadBitmap(ThemeFolder("Essai") + "Points01.bmp")));
}

TEST_P(FrameTest, LostDisplayAtPointOneShowsTheLinesBitmapOnly)
{
    TfrmPrincipale& form = Start(GetParam());
    form.DXLignesSurface->FillColour(0);
    LoseDisplay();
    EXPECT_TRUE(SameImage(*form.DXLignesSurface, LoadBitmap(AppearanceFolder() + "F_Lignes.qrvi")));
    EXPECT_EQ(form.DXLignesSurface->SurfaceCanvas().PenX(), 120);
    EXPECT_EQ(form.DXLignesSurface->SurfaceCanvas().PenY(), 80);
    EXPECT_EQ(form.NumeroPoint, 1);
    EXPECT_EQ(form.LoadStage, 1);
}

TEST_P(FrameTest, LostDisplayWhileColouringRepaintsIndicatorAndFills)
{
    TfrmPrincipale& form = Start(GetParam());
    form.LoadStage = 3;
    form.ChargeRessources(3);
    form.CouleurColoriage = 0x0000FF;
    LoseDisplay();
    // No fills: only the indicator, and the picture as loaded.
    const TDirectDrawSurface& lines = *form.DXLignesSurface;  // until the next loss
    EXPECT_EQ(lines.ColourAt(40, 710), lines.MatchColour(0x0000FF));
    EXPECT_EQ(lines.ColourAt(20, 710), lines.MatchColour(0x000000));
    EXPECT_EQ(lines.ColourAt(70, 710), lines.MatchColour(0xFFFFFF));
    const TDIB image = LoadBitmap(ThemeFolder("Essai") + "Image01.bmp");
    EXPECT_TRUE(SameImage(*form.DXDessinSurface, image));

    // Two fills, kept as mouse positions: left region red, then right blue,
    // then left green over the red.
    form.PushFill(50 + 100 - 3, 50 + 60 - 4, 0x0000FF);
    form.PushFill(150 + 100 - 3, 50 + 60 - 4, 0xFF0000);
    form.PushFill(60 + 100 - 3, 100 + 60 - 4, 0x00FF00);
    form.CouleurColoriage = 0x00FF00;
    LoseDisplay();
    TDirectDrawSurface expected(form.DXPrincipale);
    LoadSurface(expected, image);
    TDirectDrawSurfaceCanvas& canvas = expected.SurfaceCanvas();
    canvas.SetBrushColour(0x00FF00);
    canvas.FillToBorder(50, 50, 0);
    canvas.SetBrushColour(0xFF0000);
    canvas.FillToBorder(150, 50, 0);
    EXPECT_TRUE(SameSurface(*form.DXDessinSurface, expected));
    EXPECT_EQ(form.DXLignesSurface->ColourAt(40, 710), form.DXLignesSurface->MatchColour(0x00FF00));
    EXPECT_EQ(form.NumeroPoint, 0);
    EXPECT_EQ(form.Fills().size(), 3u);
}

// Cells of the grid picture (4) by number, 0 to 99; fills are kept as mouse positions.
TEST_F(FrameTest, LostDisplayReappliesOnlyTheLast1023FillsInOrder)
{
    UsePlayList({{"Essai/", 4}});
    TfrmPrincipale& form = Start();
    form.LoadStage = 3;
    form.ChargeRessources(3);
    const auto fillCell = [&form](int cell, std::uint32_t colour) {
        form.PushFill(20 * (cell % 10) + 10 + form.XDessin - form.PointeurOffsetX,
                      20 * (cell / 10) + 10 + form.YDessin - form.PointeurOffsetY, colour);
    };
    const auto cellColour = [&form](int cell) {
        const TDirectDrawSurface& picture = *form.DXDessinSurface;
        return ColourFromPixel(picture.Format(), picture.ColourAt(20 * (cell % 10) + 10, 20 * (cell / 10) + 10));
    };
    // Fills 1 to 77 each in a cell of their own, the 1023 after them in cell 99.
    for (int i = 1; i <= 77; ++i)
        fillCell(i - 1, 0x0000FF);
    for (int i = 78; i <= 1100; ++i)
        fillCell(99, i % 2 == 0 ? 0x00FF00 : 0xFF0000);
    LoseDisplay();
    for (int cell = 0; cell < 77; ++cell)
        ASSERT_EQ(cellColour(cell), 0xFFFFFFu) << "fill " << cell + 1 << " was dropped";
    EXPECT_EQ(cellColour(99), 0x00FF00u) << "fill 1100 came last";

    // With 1023 fills nothing is dropped.
    form.ClearFillHistory();
    fillCell(0, 0x0000FF);
    for (int i = 2; i <= 1023; ++i)
        fillCell(99, i % 2 == 0 ? 0x00FF00 : 0xFF0000);
    LoseDisplay();
    EXPECT_EQ(cellColour(0), 0x0000FFu);
    EXPECT_EQ(cellColour(99), 0xFF0000u);
}

TEST_F(FrameTest, FailedRebuildClearsRestoringAndClosesTheGame)
{
    TfrmPrincipale& form = Start();
    std::filesystem::remove(ThemeFolder("Essai") + "Points01.bmp");
    LoseDisplay();
    EXPECT_FALSE(form.Restoring);
    ASSERT_EQ(m_errors.size(), 1u);
    EXPECT_EQ(m_errors[0], "Impossible d'ouvrir le fichier " + ThemeFolder("Essai") + "Points01.bmp");
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(m_launcherShown, 1);

    // Without an error box the error reaches the caller, still without Restoring.
    form.ShowError = nullptr;
    WriteTestPackage(m_dir.path().string());
    Start();
    std::filesystem::remove(ThemeFolder("Essai") + "Points01.bmp");
    form.DXPrincipale.DeclareSurfacesLost();
    EXPECT_THROW(form.DXTimerTimer(1), EFOpenError);
    EXPECT_FALSE(form.Restoring);
}

// Frames are composed and sent where they changed; the screen must still show,
// frame after frame, what composing the whole frame and repainting the whole
// window gives, on common screens. Qt reads its scale factor once, at start:
// CTest runs these tests again under QT_SCALE_FACTOR 1.25, 1.5 and 2.
class ScreenTest : public GameFixture, public testing::WithParamInterface<std::tuple<int, QSize>> {
protected:
    // The frame composed whole from the form's layers, as the timer composes it.
    std::unique_ptr<TDirectDrawSurface> WholeComposition() const
    {
        const TfrmPrincipale& form = *m_form;
        auto composed = std::make_unique<TDirectDrawSurface>(form.DXPrincipale);
        TDirectDrawSurface& frame = *composed;
        frame.SetSize(1024, 768);
        frame.FillColour(frame.MatchColour(0xFFFFFF));
        if (form.Cue().Radius() > 0)
            form.Cue().Draw(frame, QPoint(form.XPoint + form.XDessin, form.YPoint + form.YDessin), frame.Rect());
        frame.DrawSurface(form.XDessin, form.YDessin, form.DXDessinSurface.get(), Transparency::Keyed);
        frame.DrawSurface(0, 0, form.DXLignesSurface.get(), Transparency::Keyed);
        frame.DrawSurface(0, 0, form.DXCadreSurface.get(), Transparency::Keyed);
        if (form.ConfirmShown)
            frame.DrawSurface(form.XOuiNon, form.YouiNon, form.DXOuiNonSurface.get(), Transparency::Keyed);
        frame.DrawSurface(form.MouseX, form.MouseY, form.DXPointeurSurface.get(), Transparency::Keyed);
        return composed;
    }
    DXDrawView& View() const { return *m_form->findChild<DXDrawView*>(); }
    // What the window's paints have left on the screen, in device pixels.
    QImage Screen() const
    {
        QCoreApplication::processEvents();
        const auto* store = dynamic_cast<const QImage*>(m_form->backingStore()->paintDevice());
        return store == nullptr ? QImage() : store->convertToFormat(QImage::Format_RGB32);
    }
    void Tick(const std::string& step)
    {
        SCOPED_TRACE(step);
        m_form->DXTimerTimer(1);
        EXPECT_TRUE(SameSurface(m_form->DXPrincipale.PrimarySurface(), *WholeComposition()));
        const QImage partial = Screen();
        View().repaint();
        const QImage whole = Screen();
        ASSERT_FALSE(whole.isNull());
        EXPECT_TRUE(partial == whole) << "a repaint of the whole window shows another picture";
    }
};

std::string ScreenName(const testing::TestParamInfo<ScreenTest::ParamType>& info)
{
    const QSize screen = std::get<1>(info.param);
    return std::to_string(std::get<0>(info.param)) + "Bits" + std::to_string(screen.width()) + "x" +
           std::to_string(screen.height());
}

INSTANTIATE_TEST_SUITE_P(DepthsAndScreens, ScreenTest,
                         testing::Combine(testing::Values(32, 16),
                                          testing::Values(QSize(1024, 768), QSize(1280, 800), QSize(1366, 768),
                                                          QSize(1680, 1050), QSize(1920, 1080), QSize(3840, 2160))),
                         ScreenName);

TEST_P(ScreenTest, WhatReachesTheScreenIsTheWholeFrameRedrawn)
{
    const auto [depth, screen] = GetParam();
    TfrmPrincipale& form = Start(depth);
    form.setWindowState(Qt::WindowNoState);
    const qreal ratio = form.devicePixelRatioF();
    form.setGeometry(0, 0, qRound(screen.width() / ratio), qRound(screen.height() / ratio));
    Tick("first frame");
    for (int i = 0; i < 8; ++i) {
        MoveMouse(130 * i - 20, 100 * i - 15);  // from past the top-left corner to past the bottom-right
        Tick("pointer at " + std::to_string(i));
    }
    for (int i = 0; i < 12; ++i) {
        MoveMouse(400 + 7 * i, 300 + 3 * i);  // a few pixels a step, as a hand moves it
        Tick("small step " + std::to_string(i));
    }
    const std::vector<ThemePoint> points = Points();
    ClickPicture(points[0].X, points[0].Y);
    ClickPicture(points[1].X, points[1].Y);
    Tick("a line");
    ClickAt(ZonePoint(kNextZone));
    ASSERT_TRUE(form.ConfirmShown);
    Tick("the panel");
    ClickAt(PanelPoint(kNoZone));
    ASSERT_FALSE(form.ConfirmShown);
    Tick("the panel gone");
    JoinAllDots();
    ASSERT_EQ(form.NumeroPoint, 0);
    Tick("the finished picture");
    ClickAt(PalettePoint(kPaletteColours[0]));
    ClickPicture(RegionPoints().at(0).x(), RegionPoints().at(0).y());
    ASSERT_EQ(form.Fills().size(), 1u);
    Tick("a fill");

    // Every frame column, then every row, reaches the screen, each device
    // pixel showing the frame pixel under its centre, black bars around.
    TDirectDrawSurface& back = form.DXPrincipale.BackBuffer();
    const QRect target = View().FrameRect();
    for (const bool columns : {true, false}) {
        SCOPED_TRACE(columns ? "columns" : "rows");
        const int count = columns ? back.Width() : back.Height();
        for (int i = 0; i < count; ++i)  // pixel value i + 1: 0 is the bars' black
            back.FillColour(static_cast<std::uint32_t>(i) + 1, columns ? QRect(i, 0, 1, 768) : QRect(0, i, 1024, 1));
        form.DXPrincipale.PresentFrame();
        const QImage shown = Screen();
        const int length = columns ? target.width() : target.height();
        std::set<int> reached;
        for (int d = -1; d <= length; ++d) {
            const QPoint at = columns ? QPoint(target.left() + d, target.center().y())
                                      : QPoint(target.center().x(), target.top() + d);
            if (!shown.rect().contains(at))
                continue;
            const QRgb colour = shown.pixel(at);
            const auto pixel = back.MatchColour(qRed(colour) | qGreen(colour) << 8 | qBlue(colour) << 16);
            const int source = static_cast<int>(pixel) - 1;
            if (d < 0 || d == length) {
                EXPECT_EQ(source, -1) << "bar at " << d;
                continue;
            }
            EXPECT_EQ(source, static_cast<int>(std::floor((d + 0.5) * count / length))) << "at " << d;
            reached.insert(source);
        }
        EXPECT_EQ(reached.size(), static_cast<std::size_t>(count));
    }
}

}  // namespace
}  // namespace vorlane::test
