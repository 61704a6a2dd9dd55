// Printing at the printer's resolution. Bars: one page of the demo's most
// detailed farm picture made smooth and drawn into a PDF page in 300 ms
// (the dots, the picture to colour, and the same picture with every region
// coloured); a booklet of the ten farm pictures (cover, dots pages, answers
// at the end: 13 pages) in 1 s, and of all eight demo themes (95 pages) in 6 s.

#include "BenchApplication.h"
#include "content/ContentPlaces.h"
#include "display/TDIB.h"
#include "print/Booklet.h"
#include "print/DibImage.h"
#include "print/PageDocument.h"
#include "print/SmoothPicture.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include <benchmark/benchmark.h>
#include <queue>

namespace {

const std::string kFarm = std::string(VORLANE_PROGRAM_DIR) + "/Themes/La ferme/";

QImage Read(const std::string& file)
{
    vorlane::TDIB bitmap;
    bitmap.LoadBitmapFile(kFarm + file);
    return vorlane::DibImage(bitmap).copy();
}

// The picture as a child who coloured every region leaves it: each white
// region filled with the next crayon of a dozen.
QImage ColourEveryRegion(QImage image)
{
    image = image.convertToFormat(QImage::Format_RGB32);
    const QRgb crayons[] = {qRgb(230, 40, 40),  qRgb(250, 160, 30), qRgb(250, 230, 60), qRgb(60, 180, 75),
                            qRgb(40, 120, 220), qRgb(120, 60, 170), qRgb(240, 130, 190), qRgb(140, 90, 40),
                            qRgb(30, 30, 110),  qRgb(150, 220, 240), qRgb(90, 90, 90),   qRgb(200, 240, 160)};
    int next = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                continue;
            const QRgb crayon = crayons[next++ % std::size(crayons)];
            std::queue<QPoint> todo;
            todo.push({x, y});
            image.setPixel(x, y, crayon);
            while (!todo.empty()) {
                const QPoint p = todo.front();
                todo.pop();
                for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const QPoint q = p + step;
                    if (image.rect().contains(q) && image.pixel(q) == qRgb(255, 255, 255)) {
                        image.setPixel(q, crayon);
                        todo.push(q);
                    }
                }
            }
        }
    }
    return image;
}

void BM_PrintPage(benchmark::State& state)
{
    NeedApplication();
    const QImage picture = state.range(0) == 0   ? Read("Points10.bmp")
                           : state.range(0) == 1 ? Read("Image10.bmp")
                                                 : ColourEveryRegion(Read("Image10.bmp"));
    if (picture.isNull()) {
        state.SkipWithError("no demo content in the program folder");
        return;
    }
    const QPageLayout page(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(5, 5, 5, 5),
                           QPageLayout::Millimeter);
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const auto writer = vorlane::MakePdfWriter(buffer, page);
        QPainter painter(writer.get());
        vorlane::SmoothPicture(picture).Draw(painter, QRectF(QPointF(0, 0), QSizeF(writer->width(), writer->height())));
        painter.end();
        benchmark::DoNotOptimize(buffer.size());
    }
}
BENCHMARK(BM_PrintPage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_BookletTheme(benchmark::State& state)
{
    NeedApplication();
    const vorlane::ContentPlaces places(VORLANE_PROGRAM_DIR);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            vorlane::MakeBooklet(places, {"La ferme"}, {})->pages.Pdf(QPageSize(QPageSize::A4)).size());
}
// The pictures are made smooth on every core: the time is the wall clock, the CPU that of all.
BENCHMARK(BM_BookletTheme)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_BookletAllThemes(benchmark::State& state)
{
    NeedApplication();
    const vorlane::ContentPlaces places(VORLANE_PROGRAM_DIR);
    const std::vector<std::string> themes = places.ThemeNames();
    for (auto _ : state)
        benchmark::DoNotOptimize(vorlane::MakeBooklet(places, themes, {})->pages.Pdf(QPageSize(QPageSize::A4)).size());
    state.counters["themes"] = static_cast<double>(themes.size());
}
BENCHMARK(BM_BookletAllThemes)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
