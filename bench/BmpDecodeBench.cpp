// Decoding a 1024 × 768 BMP, beside Qt's own BMP decoder on the same bytes.
#include "display/TDIB.h"

#include <QImage>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// Palette index of a colouring picture: white ground, black outlines, filled
// shapes and one noisy area (absolute runs).
std::uint8_t PictureIndex(int x, int y)
{
    const double dx = x - 400.0;
    const double dy = y - 380.0;
    const double r = std::sqrt(dx * dx + dy * dy);
    if (std::abs(r - 250.0) < 3.0 || (x % 128 < 3 && y > 600))
        return 1;  // outline
    if (r < 250.0)
        return static_cast<std::uint8_t>(2 + (x / 40 + y / 60) % 20);
    if (x > 800 && y < 200)
        return static_cast<std::uint8_t>((x * 7 + y * 13) % 200);
    return 0;  // white ground
}

Bytes Bgr24File()
{
    vorlane::TDIB dib;
    dib.SetSize24(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = dib.ScanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t i = PictureIndex(x, y);
            row[3 * x] = static_cast<std::uint8_t>(i * 37);
            row[3 * x + 1] = static_cast<std::uint8_t>(i * 91);
            row[3 * x + 2] = static_cast<std::uint8_t>(255 - i);
        }
    }
    Bytes file;
    dib.SaveBitmapStream(file);
    return file;
}

void PutU32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// RLE8 as encoders write it: runs of 3 or more encoded, other stretches as
// absolute runs, an end of line after each row and an end of bitmap.
Bytes Rle8Stream()
{
    Bytes s;
    std::vector<std::uint8_t> row(kWidth);
    for (int fileRow = 0; fileRow < kHeight; ++fileRow) {
        const int y = kHeight - 1 - fileRow;
        for (int x = 0; x < kWidth; ++x)
            row[x] = PictureIndex(x, y);
        int x = 0;
        while (x < kWidth) {
            int run = 1;
            while (x + run < kWidth && run < 255 && row[x + run] == row[x])
                ++run;
            if (run >= 3) {
                s.insert(s.end(), {static_cast<std::uint8_t>(run), row[x]});
                x += run;
                continue;
            }
            int literal = 0;  // up to the next run of 3
            while (x + literal < kWidth && literal < 255 &&
                   !(x + literal + 2 < kWidth && row[x + literal] == row[x + literal + 1] &&
                     row[x + literal] == row[x + literal + 2]))
                ++literal;
            if (literal < 3) {
                for (int i = 0; i < literal; ++i)
                    s.insert(s.end(), {1, row[x + i]});
            } else {
                s.insert(s.end(), {0, static_cast<std::uint8_t>(literal)});
                s.insert(s.end(), row.begin() + x, row.begin() + x + literal);
                if (literal & 1)
                    s.push_back(0);
            }
            x += literal;
        }
        s.insert(s.end(), {0, 0});
    }
    s.insert(s.end(), {0, 1});
    return s;
}

Bytes Rle8File()
{
    const Bytes stream = Rle8Stream();
    const std::uint32_t offset = 14 + 40 + 256 * 4;
    Bytes b = {'B', 'M'};
    PutU32(b, offset + static_cast<std::uint32_t>(stream.size()));
    PutU32(b, 0);
    PutU32(b, offset);
    for (std::uint32_t v : {40u, std::uint32_t{kWidth}, std::uint32_t{kHeight}})
        PutU32(b, v);
    b.insert(b.end(), {1, 0, 8, 0});  // planes, bits per pixel
    for (std::uint32_t v : {1u, static_cast<std::uint32_t>(stream.size()), 0u, 0u, 256u, 0u})
        PutU32(b, v);
    for (int i = 0; i < 256; ++i)
        PutU32(b, i == 0 ? 0xFFFFFF : static_cast<std::uint32_t>(i * 0x010305));
    b.insert(b.end(), stream.begin(), stream.end());
    return b;
}

void DecodeOurs(benchmark::State& state, const Bytes& file)
{
    for (auto _ : state) {
        vorlane::TDIB dib;
        dib.LoadBitmapBytes(file);
        benchmark::DoNotOptimize(dib.ScanLine(0));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(file.size()));
}

void DecodeQt(benchmark::State& state, const Bytes& file)
{
    for (auto _ : state) {
        QImage image;
        if (!image.loadFromData(file.data(), static_cast<int>(file.size()), "BMP"))
            state.SkipWithError("Qt refused the file");
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(file.size()));
}

const Bytes& Bgr24() { static const Bytes file = Bgr24File(); return file; }
const Bytes& Rle8() { static const Bytes file = Rle8File(); return file; }

void BM_DecodeBmp24(benchmark::State& state) { DecodeOurs(state, Bgr24()); }
void BM_DecodeBmp24_QtReference(benchmark::State& state) { DecodeQt(state, Bgr24()); }
void BM_DecodeBmpRle8(benchmark::State& state) { DecodeOurs(state, Rle8()); }
void BM_DecodeBmpRle8_QtReference(benchmark::State& state) { DecodeQt(state, Rle8()); }

BENCHMARK(BM_DecodeBmp24)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeBmp24_QtReference)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeBmpRle8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeBmpRle8_QtReference)->Unit(benchmark::kMicrosecond);

}  // namespace
