#pragma once

#include <cstdint>
#include <vector>

#include "display/PixelFormat.h"

// The per-pixel kernels behind surfaces and canvases. They are built at -O3 and
// written as branch-free selects so that the compiler vectorises them: a frame
// copies about two million pixels.
namespace vorlane::raster {

// Pixel memory of a surface: rows top-down, `stride` bytes apart, each row
// starting on a 4-byte boundary.
struct Pixels {
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    PixelFormat format = PixelFormat::Rgb32;

    std::uint8_t* Row(int y) const { return bits + static_cast<std::ptrdiff_t>(y) * stride; }
};

std::uint32_t ReadPixel(const Pixels& pixels, int x, int y);
void WritePixel(const Pixels& pixels, int x, int y, std::uint32_t value);

// Pixels [x0, x1) of row y become `value`; the caller clips.
void FillSpan(const Pixels& pixels, int y, int x0, int x1, std::uint32_t value);
void FillAll(const Pixels& pixels, std::uint32_t value);

enum class KeyMode { Opaque, SkipKey };

// Where a surface is not its key colour, row by row. A keyed copy then copies
// these stretches whole and never reads the transparent pixels nor the target
// under them. Rows cut into many short stretches are blended instead.
struct OpaqueRuns {
    struct Run {
        int begin;
        int end;
    };
    struct Row {
        std::uint32_t first;  // index in `runs`
        std::uint32_t count;  // kBlend: blend this row pixel by pixel
    };
    static constexpr std::uint32_t kBlend = 0xFFFFFFFF;
    std::uint32_t key = 0;
    std::vector<Row> rows;
    std::vector<Run> runs;
};

OpaqueRuns FindOpaqueRuns(const Pixels& pixels, std::uint32_t key);

// Copies a w × h block of `source` at (sx, sy) to (dx, dy) of `target`; both
// blocks lie inside their surfaces. With SkipKey, source pixels equal to `key`
// leave the target as it was; `runs`, when given, are the source's opaque runs
// for that key. Surfaces of different formats convert through the colour each
// pixel shows.
void CopyBlock(const Pixels& target, int dx, int dy, const Pixels& source, int sx, int sy, int w, int h,
               KeyMode mode, std::uint32_t key, const OpaqueRuns* runs = nullptr);

// Pixels [x0, x1) of row y as the colours a window shows them, 0xFFRRGGBB
// (Qt's RGB32), into `out`. Word formats convert without a per-pixel detour:
// a 16-bit frame costs a screen no more than a 32-bit one.
void ToScreenRow(const Pixels& pixels, int y, int x0, int x1, std::uint32_t* out);

// Every pixel four-connected to (x, y) through pixels other than `border`
// becomes `fill`. Nothing happens when (x, y) is outside or is a border pixel.
void FillToBorder(const Pixels& pixels, int x, int y, std::uint32_t border, std::uint32_t fill);

}  // namespace vorlane::raster
