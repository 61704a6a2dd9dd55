// The tracer, on a coloured clip-art bus from Debian's openclipart-svg at the
// demo picture size. Bars: a drawing read, traced, its dots picture drawn and
// judged in 300 ms; the dots placed again and redrawn (the count slider
// moved) in 30 ms, so that the slider feels instant.

#include "BenchApplication.h"
#include "DotPicture.h"
#include "JudgedDots.h"
#include "TracedDrawing.h"

#include <QFile>

#include <benchmark/benchmark.h>

namespace {

const char* const kDrawing = "/usr/share/openclipart/svg/transportation/bus1_jarno_vasamaa_01.svg";

QByteArray Drawing(benchmark::State& state)
{
    NeedApplication();
    QFile file(QString::fromLatin1(kDrawing));
    if (!file.open(QIODevice::ReadOnly))
        state.SkipWithError("openclipart-svg is not installed (scripts/setup.sh)");
    return file.readAll();
}

void BM_TraceDrawing(benchmark::State& state)
{
    const QByteArray bytes = Drawing(state);
    const vorlane::DotOptions options;
    for (auto _ : state) {
        const auto drawing = vorlane::TracedDrawing::FromBytes(bytes, QStringLiteral("svg"));
        benchmark::DoNotOptimize(vorlane::JudgedDots::Place(drawing, options));
    }
}
BENCHMARK(BM_TraceDrawing)->Unit(benchmark::kMillisecond);

// The dots placed again on a drawing traced once, `state.range(0)` of them.
template <typename PlaceAgain>
void Replace(benchmark::State& state, PlaceAgain place)
{
    const QByteArray bytes = Drawing(state);
    if (bytes.isEmpty())
        return;
    const auto drawing = vorlane::TracedDrawing::FromBytes(bytes, QStringLiteral("svg"));
    vorlane::DotOptions options;
    options.count = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(place(drawing, options));
}

void BM_PlaceDots(benchmark::State& state)
{
    Replace(state, [](const vorlane::TracedDrawing& drawing, const vorlane::DotOptions& options) {
        return vorlane::DrawDotsPicture(drawing, vorlane::PlaceDots(drawing, options), options);
    });
}
BENCHMARK(BM_PlaceDots)->Arg(20)->Arg(60)->Unit(benchmark::kMillisecond);

// As the atelier's count slider does it: the page judged, and the other
// placements tried when it is not good.
void BM_PlaceJudgedDots(benchmark::State& state)
{
    Replace(state, &vorlane::JudgedDots::Place);
}
BENCHMARK(BM_PlaceJudgedDots)->Arg(20)->Arg(60)->Unit(benchmark::kMillisecond);

}  // namespace
