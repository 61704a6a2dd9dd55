// The tracer, on a coloured clip-art bus from Debian's openclipart-svg at the
// demo picture size. Bars: a drawing read, traced and its dots picture drawn
// in 300 ms; the dots placed again and redrawn (the count slider moved) in
// 30 ms, so that the slider feels instant.

#include "BenchApplication.h"
#include "DotPicture.h"
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
        benchmark::DoNotOptimize(vorlane::DrawDotsPicture(drawing, vorlane::PlaceDots(drawing, options), options));
    }
}
BENCHMARK(BM_TraceDrawing)->Unit(benchmark::kMillisecond);

void BM_PlaceDots(benchmark::State& state)
{
    const QByteArray bytes = Drawing(state);
    if (bytes.isEmpty())
        return;
    const auto drawing = vorlane::TracedDrawing::FromBytes(bytes, QStringLiteral("svg"));
    vorlane::DotOptions options;
    options.count = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(vorlane::DrawDotsPicture(drawing, vorlane::PlaceDots(drawing, options), options));
}
BENCHMARK(BM_PlaceDots)->Arg(20)->Arg(60)->Unit(benchmark::kMillisecond);

}  // namespace
