#include "display/TDIB.h"

#include <utility>

namespace vorlane {

std::uint32_t TDIB::PixelColour(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    const std::uint8_t* row = ScanLine(y);
    if (m_indexed) {
        const std::uint8_t index = row[x];
        return index < m_palette.size() ? m_palette[index] : 0;
    }
    const std::uint8_t* p = row + 3 * x;
    return static_cast<std::uint32_t>(p[2]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[0]) << 16);
}

void TDIB::SetSize24(int width, int height)
{
    Clear();
    if (width <= 0 || height <= 0)
        return;
    m_width = width;
    m_height = height;
    m_bitCount = 24;
    m_stride = ((24 * width + 31) / 32) * 4;
    m_pixels.assign(static_cast<std::size_t>(m_stride) * height, 0);
}

void TDIB::SetSizeIndexed(int width, int height, std::vector<std::uint32_t> palette)
{
    Clear();
    if (width <= 0 || height <= 0)
        return;
    m_width = width;
    m_height = height;
    m_bitCount = 8;
    m_indexed = true;
    m_stride = ((8 * width + 31) / 32) * 4;
    if (palette.size() > 256)
        palette.resize(256);
    m_palette = std::move(palette);
    m_pixels.assign(static_cast<std::size_t>(m_stride) * height, 0);
}

void TDIB::Clear()
{
    m_width = 0;
    m_height = 0;
    m_bitCount = 0;
    m_stride = 0;
    m_indexed = false;
    m_palette.clear();
    m_pixels.clear();
}

}  // namespace vorlane
