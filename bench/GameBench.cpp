// The game screen's costs: one composed frame, the replay of a picture's
// colouring after a lost display, and one colouring click.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "content/ContentPaths.h"
#include "content/GameSettings.h"
#include "content/PlayList.h"
#include "display/TDIB.h"
#include "display/TDirectDrawSurfaceCanvas.h"
#include "game/TfrmPrincipale.h"

namespace {

using namespace vorlane;

void NeedApplication()
{
    static int argc = 1;
    static char name[] = "vorlane-bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    static QApplication application(argc, argv);
}

// A game on the demo content of the program folder, started at `depth` bits.
std::unique_ptr<TfrmPrincipale> DemoGame(int depth)
{
    NeedApplication();
    SetProgramFolder(VORLANE_PROGRAM_DIR);
    GameSettings.BitDepth = depth;
    PlayList = {TTheme{}, TTheme{"Animaux/", 1}};
    PlayCount = 1;
    PlayIndex = 1;
    auto form = std::make_unique<TfrmPrincipale>();
    form->SelectedAppearance = [] { return std::string("Crayons"); };
    form->DXPrincipale.OpenDisplay();
    form->FormShow();
    return form;
}

void BM_DXTimerTimer(benchmark::State& state)
{
    const auto form = DemoGame(static_cast<int>(state.range(0)));
    GameSettings.DebugMode = false;
    form->ConfirmShown = true;  // every layer
    int x = 500;
    for (auto _ : state) {
        form->DXPrincipaleMouseMove(x, 400);
        form->DXTimerTimer(1);
        x = x == 500 ? 501 : 500;
    }
}
BENCHMARK(BM_DXTimerTimer)->Arg(32)->Arg(16)->Unit(benchmark::kMillisecond);

// 1023 fills over an 800 × 600 picture of 48 regions of 100 × 100 pixels,
// each region filled about twenty times in turn.
void BM_ReplayColouring(benchmark::State& state)
{
    NeedApplication();
    TfrmPrincipale form;
    TDIB picture;
    picture.SetSize24(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const std::uint8_t value = x % 100 == 0 || y % 100 == 0 ? 0 : 255;
            std::uint8_t* p = picture.ScanLine(y) + 3 * x;
            p[0] = p[1] = p[2] = value;
        }
    LoadSurface(*form.DXDessinSurface, picture);
    TDIB lines;
    lines.SetSize24(1024, 768);
    LoadSurface(*form.DXLignesSurface, lines);
    for (int i = 0; i < 1023; ++i) {
        const int cell = i % 48;
        form.PushFill(100 * (cell % 8) + 50, 100 * (cell / 8) + 50, i % 2 == 0 ? 0x0000FF : 0x00FF00);
    }
    for (auto _ : state)
        form.ReplayColouring(form.DXDessinSurface->SurfaceCanvas(), form.DXLignesSurface->SurfaceCanvas());
}
BENCHMARK(BM_ReplayColouring)->Unit(benchmark::kMillisecond);

// One click into the colouring stage that fills the background around the
// demo's first animal (most of its 704 × 560 picture) and records the fill.
void BM_ClickFill(benchmark::State& state)
{
    const auto form = DemoGame(32);
    form->LoadStage = 3;
    form->ChargeRessources(3);
    form->DXPrincipaleMouseMove(30 + form->XDessin - form->PointeurOffsetX, 30 + form->YDessin - form->PointeurOffsetY);
    std::uint32_t colour = 0x0000FF;
    for (auto _ : state) {
        form->CouleurColoriage = colour;
        form->DXPrincipaleClick();
        colour ^= 0x00FFFF;
    }
    // The size of the region filled, to show what was measured.
    const TDirectDrawSurface& picture = *form->DXDessinSurface;
    const std::uint32_t last = picture.MatchColour(form->CouleurColoriage);
    int filled = 0;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            filled += picture.ColourAt(x, y) == last;
    state.counters["pixels"] = filled;
}
BENCHMARK(BM_ClickFill)->Unit(benchmark::kMillisecond);

}  // namespace
