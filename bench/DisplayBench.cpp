// Frame composition and region fills, each beside the library that judges it.

#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "display/TDIB.h"
#include "display/TDirectDrawSurface.h"
#include "display/TDirectDrawSurfaceCanvas.h"

#ifdef VORLANE_HAVE_OPENCV
#include <opencv2/imgproc.hpp>
#endif

namespace vorlane {
namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr std::uint32_t kWhite = 0xFFFFFF;

PixelFormat FormatOf(const benchmark::State& state)
{
    return state.range(0) == 16 ? PixelFormat::Rgb565 : PixelFormat::Rgb32;
}

// A bitmap drawn by a function of (x, y) giving a colour 0x00BBGGRR.
template <class Paint>
TDIB MakeBitmap(int width, int height, Paint paint)
{
    TDIB bitmap;
    bitmap.SetSize24(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t colour = paint(x, y);
            std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(colour >> 16);
            p[1] = static_cast<std::uint8_t>(colour >> 8);
            p[2] = static_cast<std::uint8_t>(colour);
        }
    return bitmap;
}

// The layers of a game frame, as the game shows them: where each goes.
struct Layer {
    std::unique_ptr<TDirectDrawSurface> surface;
    int x;
    int y;
};

std::vector<Layer> GameLayers(PixelFormat format)
{
    // Outlines on white, a few thick lines on white, a frame around a white
    // hole, an opaque panel with white corners, a half-white pointer.
    const TDIB picture = MakeBitmap(800, 600, [](int x, int y) {
        return (x % 40 < 2 || y % 30 < 2) ? 0x000000u : (x / 40 + y / 30) % 5 == 0 ? 0x30A0F0u : kWhite;
    });
    const TDIB lines = MakeBitmap(kScreenWidth, kScreenHeight, [](int x, int y) {
        return (std::abs(x - 2 * y) < 4 || std::abs(y - 300) < 3) ? 0x2020C0u : kWhite;
    });
    const TDIB frame = MakeBitmap(kScreenWidth, kScreenHeight, [](int x, int y) {
        const bool hole = x >= 112 && x < 912 && y >= 84 && y < 684;
        return hole ? kWhite : 0x408000u + static_cast<std::uint32_t>((x / 64) * 8);
    });
    const TDIB panel = MakeBitmap(400, 200, [](int x, int y) {
        return (x < 12 && y < 12) || (x >= 388 && y >= 188) ? kWhite : 0xC0C0C0u;
    });
    const TDIB pointer = MakeBitmap(32, 32, [](int x, int y) { return x > y ? kWhite : 0x000000u; });

    std::vector<Layer> layers;
    for (const auto& [bitmap, x, y] : {std::tuple{&picture, 112, 84}, std::tuple{&lines, 0, 0},
                                       std::tuple{&frame, 0, 0}, std::tuple{&panel, 312, 284},
                                       std::tuple{&pointer, 1000, 700}}) {
        auto surface = std::make_unique<TDirectDrawSurface>(format);
        surface->LoadFromBitmap(*bitmap);
        surface->SetTransparentColour(surface->MatchColour(kWhite));
        layers.push_back({std::move(surface), x, y});
    }
    return layers;
}

void BM_ComposeFrame(benchmark::State& state)
{
    const PixelFormat format = FormatOf(state);
    TDirectDrawSurface back(format);
    back.SetSize(kScreenWidth, kScreenHeight);
    const std::vector<Layer> layers = GameLayers(format);
    for (auto _ : state) {
        back.FillColour(back.MatchColour(kWhite));
        for (const Layer& layer : layers)
            back.DrawSurface(layer.x, layer.y, layer.surface.get(), Transparency::Keyed);
        benchmark::DoNotOptimize(back.ColourAt(0, 0));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ComposeFrame)->Arg(32)->Arg(16)->Unit(benchmark::kMicrosecond);

struct SdlSurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SdlSurface = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;

SdlSurface ToSdl(const TDirectDrawSurface& surface)
{
    const bool sixteen = surface.Format() == PixelFormat::Rgb565;
    SdlSurface result(SDL_CreateRGBSurfaceWithFormat(0, surface.Width(), surface.Height(), sixteen ? 16 : 32,
                                                     sixteen ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888));
    const raster::Pixels pixels = surface.Pixels();
    const int rowBytes = surface.Width() * (sixteen ? 2 : 4);
    for (int y = 0; y < surface.Height(); ++y)
        std::memcpy(static_cast<std::uint8_t*>(result->pixels) + static_cast<std::ptrdiff_t>(y) * result->pitch,
                    pixels.Row(y), rowBytes);
    SDL_SetColorKey(result.get(), SDL_TRUE, surface.TransparentColour());
    return result;
}

// SDL composing the same frame; with RLE, its fastest keyed path: each layer
// encoded once into runs, as our opaque runs are.
void ComposeWithSdl(benchmark::State& state, bool rle)
{
    const PixelFormat format = FormatOf(state);
    TDirectDrawSurface model(format);
    model.SetSize(kScreenWidth, kScreenHeight);
    const SdlSurface back = ToSdl(model);
    SDL_SetColorKey(back.get(), SDL_FALSE, 0);
    std::vector<std::pair<SdlSurface, SDL_Rect>> layers;
    for (const Layer& layer : GameLayers(format)) {
        layers.emplace_back(ToSdl(*layer.surface), SDL_Rect{layer.x, layer.y, 0, 0});
        if (rle)
            SDL_SetSurfaceRLE(layers.back().first.get(), 1);
    }
    const Uint32 white = model.MatchColour(kWhite);
    for (auto _ : state) {
        SDL_FillRect(back.get(), nullptr, white);
        for (auto& [surface, position] : layers) {
            SDL_Rect target = position;
            SDL_BlitSurface(surface.get(), nullptr, back.get(), &target);
        }
        benchmark::DoNotOptimize(back->pixels);
        benchmark::ClobberMemory();
    }
}

void BM_ComposeFrame_SdlReference(benchmark::State& state) { ComposeWithSdl(state, false); }
BENCHMARK(BM_ComposeFrame_SdlReference)->Arg(32)->Arg(16)->Unit(benchmark::kMicrosecond);

void BM_ComposeFrame_SdlRleReference(benchmark::State& state) { ComposeWithSdl(state, true); }
BENCHMARK(BM_ComposeFrame_SdlRleReference)->Arg(32)->Arg(16)->Unit(benchmark::kMicrosecond);

// The least a frame can cost: one pass over the back buffer's bytes.
void BM_ComposeFrame_MemcpyReference(benchmark::State& state)
{
    const std::size_t bytes = static_cast<std::size_t>(kScreenWidth) * kScreenHeight * state.range(0) / 8;
    std::vector<std::uint8_t> from(bytes, 0xFF);
    std::vector<std::uint8_t> to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ComposeFrame_MemcpyReference)->Arg(32)->Arg(16)->Unit(benchmark::kMicrosecond);

// Regions to fill, at 32 bits: the whole white surface, and a maze whose
// corridors (4 pixels wide, black walls of 2) make one winding region.
enum FillCase { kWholeSurface = 0, kMaze = 1 };

TDIB FillPicture(FillCase which)
{
    if (which == kWholeSurface)
        return MakeBitmap(kScreenWidth, kScreenHeight, [](int, int) { return kWhite; });
    constexpr int kCell = 6;
    constexpr int kColumns = (kScreenWidth - 2) / kCell;
    constexpr int kRows = (kScreenHeight - 2) / kCell;
    std::vector<bool> open(static_cast<std::size_t>(kScreenWidth) * kScreenHeight, false);
    const auto carve = [&](int x0, int y0, int w, int h) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                open[static_cast<std::size_t>(y) * kScreenWidth + x] = true;
    };
    std::vector<bool> visited(kColumns * kRows, false);
    std::vector<std::pair<int, int>> stack{{0, 0}};
    visited[0] = true;
    carve(2, 2, 4, 4);
    std::mt19937 random(12345);
    while (!stack.empty()) {
        const auto [cx, cy] = stack.back();
        std::vector<std::pair<int, int>> next;
        for (const auto& [dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
            const int nx = cx + dx;
            const int ny = cy + dy;
            if (nx >= 0 && ny >= 0 && nx < kColumns && ny < kRows && !visited[ny * kColumns + nx])
                next.push_back({nx, ny});
        }
        if (next.empty()) {
            stack.pop_back();
            continue;
        }
        const auto [nx, ny] = next[random() % next.size()];
        visited[ny * kColumns + nx] = true;
        carve(2 + kCell * std::min(cx, nx), 2 + kCell * std::min(cy, ny), 4 + kCell * std::abs(nx - cx),
              4 + kCell * std::abs(ny - cy));
        stack.push_back({nx, ny});
    }
    return MakeBitmap(kScreenWidth, kScreenHeight, [&](int x, int y) {
        return open[static_cast<std::size_t>(y) * kScreenWidth + x] ? kWhite : 0x000000u;
    });
}

// Fills alternate between two colours, so every fill covers the whole region.
constexpr std::uint32_t kFillColours[2] = {0x0000FF, 0xFF0000};

void BM_FillToBorder(benchmark::State& state)
{
    TDirectDrawSurface surface(PixelFormat::Rgb32);
    surface.LoadFromBitmap(FillPicture(static_cast<FillCase>(state.range(0))));
    TDirectDrawSurfaceCanvas& canvas = surface.SurfaceCanvas();
    int turn = 0;
    for (auto _ : state) {
        canvas.SetBrushColour(kFillColours[turn ^= 1]);
        canvas.FillToBorder(3, 3, 0x000000);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FillToBorder)->ArgName("maze")->Arg(kWholeSurface)->Arg(kMaze)->Unit(benchmark::kMicrosecond);

#ifdef VORLANE_HAVE_OPENCV
void BM_FillToBorder_OpenCvReference(benchmark::State& state)
{
    TDirectDrawSurface surface(PixelFormat::Rgb32);
    surface.LoadFromBitmap(FillPicture(static_cast<FillCase>(state.range(0))));
    const raster::Pixels pixels = surface.Pixels();
    cv::Mat image(kScreenHeight, kScreenWidth, CV_32SC1, pixels.bits, static_cast<std::size_t>(pixels.stride));
    int turn = 0;
    for (auto _ : state) {
        const std::uint32_t colour = PixelFromColour(PixelFormat::Rgb32, kFillColours[turn ^= 1]);
        cv::floodFill(image, cv::Point(3, 3), cv::Scalar(static_cast<double>(colour)), nullptr, cv::Scalar(),
                      cv::Scalar(), 4);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FillToBorder_OpenCvReference)->ArgName("maze")->Arg(kWholeSurface)->Arg(kMaze)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace
}  // namespace vorlane
