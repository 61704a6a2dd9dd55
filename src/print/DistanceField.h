#pragma once

#include <cstdint>
#include <vector>

namespace vorlane {

// A grid of values, row by row.
template <typename T>
struct Grid {
    int width = 0;
    int height = 0;
    std::vector<T> values;

    Grid() = default;
    Grid(int w, int h, T fill) : width(w), height(h), values(static_cast<std::size_t>(w) * h, fill) {}
    T& at(int x, int y) { return values[static_cast<std::size_t>(y) * width + x]; }
    const T& at(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
};

// Exact Euclidean distances, in pixels, from each cell to the nearest cell
// where `features` is set (infinite when there is none), and the index
// (y × width + x) of that nearest cell when `nearest` is given (-1 where
// there is none). Linear in the number of cells: rows, then columns over
// the rows' results by the lower envelope of parabolas.
Grid<float> DistanceToFeatures(const Grid<std::uint8_t>& features, Grid<std::int32_t>* nearest = nullptr);

}  // namespace vorlane
