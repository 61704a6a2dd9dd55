#include "display/PixelFormat.h"

namespace vorlane {

namespace {

// The greys are 46 levels 51·m/9 (m = 0..45); every ninth is a cube grey.
constexpr int kGreySteps = 45;

constexpr std::uint8_t GreyIndex(int m)
{
    if (m % 9 == 0)
        return static_cast<std::uint8_t>((m / 9) * (36 + 6 + 1));
    return static_cast<std::uint8_t>(216 + (m / 9) * 8 + (m % 9 - 1));
}

constexpr std::array<std::uint32_t, 256> MakePalette()
{
    std::array<std::uint32_t, 256> palette{};
    for (std::uint32_t r = 0; r < 6; ++r)
        for (std::uint32_t g = 0; g < 6; ++g)
            for (std::uint32_t b = 0; b < 6; ++b)
                palette[36 * r + 6 * g + b] = (51 * b) << 16 | (51 * g) << 8 | 51 * r;
    for (int m = 0; m <= kGreySteps; ++m) {
        const auto level = static_cast<std::uint32_t>((102 * m + 9) / 18);
        palette[GreyIndex(m)] = level << 16 | level << 8 | level;
    }
    return palette;
}

constexpr std::array<std::uint32_t, 256> kPalette = MakePalette();

constexpr std::uint32_t CubeLevel(std::uint32_t v) { return (2 * v + 51) / 102; }

}  // namespace

const std::array<std::uint32_t, 256>& FixedPalette() { return kPalette; }

namespace detail {

std::uint8_t PaletteIndex(std::uint32_t colour)
{
    const std::uint32_t r = colour & 0xFF;
    const std::uint32_t g = (colour >> 8) & 0xFF;
    const std::uint32_t b = (colour >> 16) & 0xFF;
    if (r == g && g == b)
        return GreyIndex(static_cast<int>((2 * kGreySteps * r + 255) / 510));
    return static_cast<std::uint8_t>(36 * CubeLevel(r) + 6 * CubeLevel(g) + CubeLevel(b));
}

}  // namespace detail

}  // namespace vorlane
