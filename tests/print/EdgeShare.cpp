#include "EdgeShare.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace vorlane::test {

double AxisAlignedEdgeShare(const QImage& page, double toleranceDegrees)
{
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    const int width = grey.width();
    const int height = grey.height();
    if (width < 3 || height < 3)
        return -1;
    const auto at = [&grey](int x, int y) { return static_cast<int>(grey.constScanLine(y)[x]); };

    std::vector<bool> edge(static_cast<std::size_t>(width) * height, false);
    const auto mark = [&](int x0, int y0, int x1, int y1) {
        const bool firstDarker = at(x0, y0) < at(x1, y1);
        const int x = firstDarker ? x0 : x1;
        const int y = firstDarker ? y0 : y1;
        if (x > 0 && y > 0 && x < width - 1 && y < height - 1)
            edge[static_cast<std::size_t>(y) * width + x] = true;
    };
    constexpr int kMiddle = 128;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x + 1 < width; ++x) {
            if ((at(x, y) < kMiddle) != (at(x + 1, y) < kMiddle))
                mark(x, y, x + 1, y);
        }
    }
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y + 1 < height; ++y) {
            if ((at(x, y) < kMiddle) != (at(x, y + 1) < kMiddle))
                mark(x, y, x, y + 1);
        }
    }

    const double tolerance = toleranceDegrees * std::numbers::pi / 180.0;
    long edges = 0;
    long aligned = 0;
    for (int y = 1; y < height - 1; ++y) {
        for (int x = 1; x < width - 1; ++x) {
            if (!edge[static_cast<std::size_t>(y) * width + x])
                continue;
            const int gx = at(x + 1, y - 1) + 2 * at(x + 1, y) + at(x + 1, y + 1) - at(x - 1, y - 1) -
                           2 * at(x - 1, y) - at(x - 1, y + 1);
            const int gy = at(x - 1, y + 1) + 2 * at(x, y + 1) + at(x + 1, y + 1) - at(x - 1, y - 1) -
                           2 * at(x, y - 1) - at(x + 1, y - 1);
            if (gx == 0 && gy == 0)
                continue;
            // The angle folded into one quarter turn: 0 and a quarter are the axes.
            const double angle = std::fmod(std::atan2(std::abs(gy), std::abs(gx)), std::numbers::pi / 2);
            ++edges;
            if (angle <= tolerance || angle >= std::numbers::pi / 2 - tolerance)
                ++aligned;
        }
    }
    return edges == 0 ? -1 : static_cast<double>(aligned) / static_cast<double>(edges);
}

}  // namespace vorlane::test
