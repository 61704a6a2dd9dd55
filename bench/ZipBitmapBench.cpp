#include "display/TDIB.h"
#include "print/zipUnzip.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <filesystem>
#include <random>
#include <unistd.h>
#include <zlib.h>

namespace {

using vorlane::TDIB;

// A coloured picture as a child leaves it: flat regions in a dozen colours,
// some still white, bounded by black outlines of overlapping shapes.
TDIB ColouredPicture(int width, int height)
{
    struct Ellipse {
        double x, y, rx, ry;
    };
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Ellipse> shapes;
    for (int i = 0; i < 14; ++i)
        shapes.push_back({unit(random) * width, unit(random) * height, 40 + unit(random) * 220, 30 + unit(random) * 160});
    const std::uint32_t palette[] = {0xFFFFFF, 0x0000FF, 0x00A5FF, 0x00FFFF, 0x00C000, 0xFF8000, 0x800080,
                                     0xCBC0FF, 0x2A2AA5, 0x808080, 0xFFFFFF, 0x90EE90, 0xE6D8AD};

    TDIB bitmap;
    bitmap.SetSize24(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* pixel = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x, pixel += 3) {
            std::uint32_t inside = 0;
            bool outline = x < 3 || y < 3 || x >= width - 3 || y >= height - 3;
            for (std::size_t i = 0; i < shapes.size(); ++i) {
                const double dx = (x - shapes[i].x) / shapes[i].rx;
                const double dy = (y - shapes[i].y) / shapes[i].ry;
                const double d = std::sqrt(dx * dx + dy * dy);
                if (d < 1.0)
                    inside |= 1u << i;
                if (std::abs(d - 1.0) * std::min(shapes[i].rx, shapes[i].ry) < 1.5)
                    outline = true;
            }
            const std::uint32_t colour = outline ? 0 : palette[(inside * 2654435761u >> 16) % std::size(palette)];
            pixel[0] = static_cast<std::uint8_t>(colour >> 16);
            pixel[1] = static_cast<std::uint8_t>(colour >> 8);
            pixel[2] = static_cast<std::uint8_t>(colour);
        }
    }
    return bitmap;
}

const TDIB& Picture()
{
    static const TDIB picture = ColouredPicture(800, 600);
    return picture;
}

void BM_ZipBitmap(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(vorlane::MakeBitmapArchive(Picture(), {}, "Couleur01.bmz"));
}
BENCHMARK(BM_ZipBitmap)->Unit(benchmark::kMillisecond);

void BM_ZipBitmap_Compress2Reference(benchmark::State& state)
{
    std::vector<std::uint8_t> bmp;
    Picture().SaveBitmapStream(bmp);
    std::vector<Bytef> out(compressBound(bmp.size()));
    for (auto _ : state) {
        uLongf size = out.size();
        compress2(out.data(), &size, bmp.data(), bmp.size(), 1);
        benchmark::DoNotOptimize(size);
    }
}
BENCHMARK(BM_ZipBitmap_Compress2Reference)->Unit(benchmark::kMillisecond);

// The whole save as the game makes it: read the previous archive, build the new
// one, write, flush and rename it.
void BM_ZipBitmapSaveToDisk(benchmark::State& state)
{
    const auto folder = std::filesystem::temp_directory_path() / ("vorlane-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "Couleur01.bmz").string();
    for (auto _ : state)
        vorlane::ZipBitmap(Picture(), path);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ZipBitmapSaveToDisk)->Unit(benchmark::kMillisecond);

}  // namespace
