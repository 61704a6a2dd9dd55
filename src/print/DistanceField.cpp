#include "print/DistanceField.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vorlane {
namespace {

constexpr float kFar = 1e20f;

// One line of the squared distance transform: out[q] = min over p of
// (q - p)² + in[p], with the minimising p in `argmin` (-1 when every cell is
// far). Only cells that are not far enter the lower envelope of parabolas.
// `v` and `z` are scratch of n and n + 1 entries.
void Transform1D(const float* in, int n, float* out, int* argmin, std::vector<int>& v, std::vector<double>& z)
{
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    int k = -1;
    for (int q = 0; q < n; ++q) {
        if (in[q] >= kFar)
            continue;
        double s = 0;
        while (k >= 0) {
            const int p = v[k];
            s = ((in[q] + static_cast<double>(q) * q) - (in[p] + static_cast<double>(p) * p)) / (2.0 * (q - p));
            if (s > z[k])
                break;
            --k;
        }
        ++k;
        v[k] = q;
        z[k] = k == 0 ? -kInfinity : s;
        z[k + 1] = kInfinity;
    }
    if (k < 0) {
        std::fill(out, out + n, kFar);
        std::fill(argmin, argmin + n, -1);
        return;
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (z[k + 1] < q)
            ++k;
        const float d = static_cast<float>(q - v[k]);
        out[q] = d * d + in[v[k]];
        argmin[q] = v[k];
    }
}

}  // namespace

Grid<float> DistanceToFeatures(const Grid<std::uint8_t>& features, Grid<std::int32_t>* nearest)
{
    const int width = features.width;
    const int height = features.height;
    const std::size_t cells = static_cast<std::size_t>(width) * height;
    // Rows first, each in two sweeps: the nearest feature of a cell's own row.
    // The squared distances are kept column by column, so that the columns'
    // pass reads memory in order too.
    std::vector<float> byColumn(cells, kFar);
    std::vector<std::int32_t> rowFeature(cells, -1);  // row by row: the column of that feature
    for (int y = 0; y < height; ++y) {
        std::int32_t* found = rowFeature.data() + static_cast<std::size_t>(y) * width;
        const std::uint8_t* row = features.values.data() + static_cast<std::size_t>(y) * width;
        std::int32_t before = -1;
        for (int x = 0; x < width; ++x) {
            if (row[x] != 0)
                before = x;
            found[x] = before;
        }
        std::int32_t after = -1;
        for (int x = width - 1; x >= 0; --x) {
            if (row[x] != 0)
                after = x;
            if (after >= 0 && (found[x] < 0 || after - x < x - found[x]))
                found[x] = after;
            if (found[x] >= 0) {
                const float d = static_cast<float>(found[x] - x);
                byColumn[static_cast<std::size_t>(x) * height + y] = d * d;
            }
        }
    }

    Grid<float> distance(width, height, std::numeric_limits<float>::infinity());
    if (nearest != nullptr)
        *nearest = Grid<std::int32_t>(width, height, -1);
    std::vector<float> out(static_cast<std::size_t>(height));
    std::vector<int> argmin(static_cast<std::size_t>(height));
    std::vector<int> v(static_cast<std::size_t>(height));
    std::vector<double> z(static_cast<std::size_t>(height) + 1);
    for (int x = 0; x < width; ++x) {
        Transform1D(byColumn.data() + static_cast<std::size_t>(x) * height, height, out.data(), argmin.data(), v, z);
        for (int y = 0; y < height; ++y) {
            if (out[y] >= kFar)
                continue;
            distance.at(x, y) = std::sqrt(out[y]);
            if (nearest != nullptr)
                nearest->at(x, y) = argmin[y] * width + rowFeature[static_cast<std::size_t>(argmin[y]) * width + x];
        }
    }
    return distance;
}

}  // namespace vorlane
