// The game screen's costs: one composed frame, the replay of a picture's
// colouring after a lost display, and one colouring click.
#include <benchmark/benchmark.h>

#include "BenchApplication.h"

#include <QApplication>
#include <QPainter>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <numbers>

#include "content/ContentPaths.h"
#include "content/ContentPlaces.h"
#include "content/GameSettings.h"
#include "content/PlayList.h"
#include "display/DXDrawView.h"
#include "display/TDIB.h"
#include "display/TDirectDrawSurfaceCanvas.h"
#include "game/TfrmPrincipale.h"

namespace {

using namespace vorlane;

// A game on the demo content of the program folder, started at `depth` bits,
// with the next dot's help as given (off unless a benchmark measures it) and
// the clock `clock` when given.
std::unique_ptr<TfrmPrincipale> DemoGame(int depth, NextDotHelp help = NextDotHelp::Never,
                                         std::function<std::uint32_t()> clock = {})
{
    NeedApplication();
    ContentPlaces::Settle(VORLANE_PROGRAM_DIR);
    GameSettings.BitDepth = depth;
    GameSettings.AidePoint = help;
    PlayList = {TTheme{}, TTheme{"Animaux/", 1}};
    PlayCount = 1;
    PlayIndex = 1;
    auto form = std::make_unique<TfrmPrincipale>();
    form->SelectedAppearance = [] { return std::string("Crayons"); };
    if (clock)
        form->Clock = std::move(clock);
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
BENCHMARK(BM_DXTimerTimer)->Arg(32)->Arg(16)->Unit(benchmark::kMicrosecond);

// The pointer along a smooth loop over the picture, one step a frame, as a
// child moves the mouse.
QPoint PointerPath(int step)
{
    const double angle = step * 2 * std::numbers::pi / 120;
    return {512 + static_cast<int>(std::lround(300 * std::cos(angle))),
            384 + static_cast<int>(std::lround(200 * std::sin(2 * angle)))};
}

// Shows that every frame was painted.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// Presenting one frame after a pointer move onto a 16:9 window of the given
// width: the tick composes and sends what changed, and the window paints it
// into its backing store, an image of the window's size.
void BM_PresentPointerMove(benchmark::State& state)
{
    const auto form = DemoGame(32);
    form->DXTimer.SetEnabled(false);  // the benchmark ticks
    const int width = static_cast<int>(state.range(0));
    form->setWindowState(Qt::WindowNoState);  // else the screen's size, whatever the width
    form->setGeometry(0, 0, width, width * 9 / 16);
    form->show();
    QCoreApplication::processEvents();
    PaintCounter counter;
    form->findChild<DXDrawView*>()->installEventFilter(&counter);
    int step = 0;
    for (auto _ : state) {
        const QPoint pointer = PointerPath(step++);
        form->DXPrincipaleMouseMove(pointer.x(), pointer.y());
        form->DXTimerTimer(1);
        QCoreApplication::processEvents();
    }
    state.counters["paints"] = benchmark::Counter(counter.paints, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PresentPointerMove)->Arg(1920)->Arg(3840)->Unit(benchmark::kMicrosecond);

// One frame of the next dot's pulse presented on a 16:9 window of the given
// width, the mouse still: the glow's rectangle recomposed, sent and painted.
// Its bar: at most twice BM_PresentPointerMove.
void BM_PresentCuePulse(benchmark::State& state)
{
    // The moments the glow's radius changes over one pulse, each a frame.
    std::vector<std::uint32_t> frames;
    NextDotCue pulse;
    pulse.PictureStarted(NextDotHelp::AfterTwoMisses, 0);
    for (std::uint32_t t = 1; t <= NextDotCue::kPulsePeriod; ++t)
        if (pulse.Advance(t))
            frames.push_back(t);
    std::uint32_t now = 0;
    const auto form = DemoGame(32, NextDotHelp::AfterTwoMisses, [&now] { return now; });
    form->DXTimer.SetEnabled(false);  // the benchmark ticks
    const int width = static_cast<int>(state.range(0));
    form->setWindowState(Qt::WindowNoState);
    form->setGeometry(0, 0, width, width * 9 / 16);
    form->show();
    form->DXPrincipaleMouseMove(1000, 20);
    form->DXTimerTimer(1);
    QCoreApplication::processEvents();
    PaintCounter counter;
    form->findChild<DXDrawView*>()->installEventFilter(&counter);
    std::size_t frame = 0;
    std::uint32_t pulses = 0;
    for (auto _ : state) {
        now = pulses * NextDotCue::kPulsePeriod + frames[frame];
        if (++frame == frames.size()) {
            frame = 0;
            ++pulses;
        }
        form->DXTimerTimer(1);
        QCoreApplication::processEvents();
    }
    state.counters["paints"] = benchmark::Counter(counter.paints, benchmark::Counter::kAvgIterations);
    state.counters["frames_per_second"] = static_cast<double>(frames.size()) * 1000 / NextDotCue::kPulsePeriod;
}
BENCHMARK(BM_PresentCuePulse)->Arg(1920)->Arg(3840)->Unit(benchmark::kMicrosecond);

// A whole frame shown on a 16:9 window of the given width, as after a click
// that changed most of it or when the window is uncovered: every device pixel
// scaled from the frame and painted.
void BM_RepaintWholeWindow(benchmark::State& state)
{
    const auto form = DemoGame(32);
    form->DXTimer.SetEnabled(false);
    const int width = static_cast<int>(state.range(0));
    form->setWindowState(Qt::WindowNoState);  // else the screen's size, whatever the width
    form->setGeometry(0, 0, width, width * 9 / 16);
    form->show();
    form->DXTimerTimer(1);
    QCoreApplication::processEvents();
    auto* view = form->findChild<DXDrawView*>();
    for (auto _ : state)
        view->repaint();
}
BENCHMARK(BM_RepaintWholeWindow)->Arg(1920)->Arg(3840)->Unit(benchmark::kMicrosecond);

// The same move presented as every frame once was: the whole frame converted,
// then scaled whole into an image of the window's size between black bars.
void BM_PresentPointerMove_WholeFrameReference(benchmark::State& state)
{
    const auto form = DemoGame(32);
    form->DXTimer.SetEnabled(false);
    const int width = static_cast<int>(state.range(0));
    QImage window(width, width * 9 / 16, QImage::Format_RGB32);
    QImage frame(1024, 768, QImage::Format_RGB32);
    const QSize fitted = frame.size().scaled(window.size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((window.width() - fitted.width()) / 2, (window.height() - fitted.height()) / 2), fitted);
    int step = 0;
    for (auto _ : state) {
        const QPoint pointer = PointerPath(step++);
        form->DXPrincipaleMouseMove(pointer.x(), pointer.y());
        form->DXTimerTimer(1);
        const raster::Pixels pixels = form->DXPrincipale.PrimarySurface().Pixels();
        for (int y = 0; y < pixels.height; ++y) {
            const auto* in = reinterpret_cast<const std::uint32_t*>(pixels.Row(y));
            auto* out = reinterpret_cast<QRgb*>(frame.scanLine(y));
            for (int x = 0; x < pixels.width; ++x)
                out[x] = 0xFF000000u | in[x];
        }
        QPainter painter(&window);
        painter.fillRect(QRect(0, 0, target.left(), window.height()), Qt::black);
        painter.fillRect(QRect(target.right() + 1, 0, window.width() - target.right() - 1, window.height()), Qt::black);
        painter.drawImage(target, frame);
    }
}
BENCHMARK(BM_PresentPointerMove_WholeFrameReference)->Arg(1920)->Arg(3840)->Unit(benchmark::kMicrosecond);

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
