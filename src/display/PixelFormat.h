#pragma once

#include <array>
#include <cstdint>

namespace vorlane {

// How a surface stores one pixel. A colour is 0x00BBGGRR (red in the low byte);
// a pixel value is the number a surface holds, in its own layout.
enum class PixelFormat {
    Indexed8,  // one byte, an index into FixedPalette()
    Rgb555,    // 16-bit word, x-5-5-5 (reported as 16 bits per pixel)
    Rgb565,    // 16-bit word, 5-6-5
    Rgb24,     // three bytes B, G, R
    Rgb32,     // 32-bit word X8R8G8B8, X always 0
};

constexpr int BitsPerPixel(PixelFormat format)
{
    switch (format) {
    case PixelFormat::Indexed8:
        return 8;
    case PixelFormat::Rgb555:
    case PixelFormat::Rgb565:
        return 16;
    case PixelFormat::Rgb24:
        return 24;
    case PixelFormat::Rgb32:
        return 32;
    }
    return 0;
}

constexpr int BytesPerPixel(PixelFormat format) { return BitsPerPixel(format) / 8; }

// The 256 colours of the 8-bit display: a 6×6×6 colour cube (index
// 36 r + 6 g + b, each level a multiple of 51) followed by 40 greys that the
// cube lacks, so that grey pictures keep their shading.
const std::array<std::uint32_t, 256>& FixedPalette();

namespace detail {
// Index of the 8-bit palette entry for a colour; rounds each component to the
// nearest cube level, and a pure grey to the nearest of all 46 grey levels.
std::uint8_t PaletteIndex(std::uint32_t colour);
}  // namespace detail

// The one conversion from a colour to a pixel value. Loading a bitmap and
// MatchColour both use it, so a bitmap pixel of colour c always equals
// MatchColour(c). 16-bit layouts drop the low bits, as Windows does.
inline std::uint32_t PixelFromColour(PixelFormat format, std::uint32_t colour)
{
    const std::uint32_t r = colour & 0xFF;
    const std::uint32_t g = (colour >> 8) & 0xFF;
    const std::uint32_t b = (colour >> 16) & 0xFF;
    switch (format) {
    case PixelFormat::Indexed8:
        return detail::PaletteIndex(colour);
    case PixelFormat::Rgb555:
        return (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
    case PixelFormat::Rgb565:
        return (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
    case PixelFormat::Rgb24:
    case PixelFormat::Rgb32:
        return r << 16 | g << 8 | b;
    }
    return 0;
}

// A component of `bits` bits widened to 8 by repeating its high bits, so that
// the largest value gives 255.
constexpr std::uint32_t Widen(std::uint32_t value, int bits) { return value << (8 - bits) | value >> (2 * bits - 8); }

// The colour a pixel value shows.
inline std::uint32_t ColourFromPixel(PixelFormat format, std::uint32_t pixel)
{
    std::uint32_t r = 0;
    std::uint32_t g = 0;
    std::uint32_t b = 0;
    switch (format) {
    case PixelFormat::Indexed8:
        return FixedPalette()[pixel & 0xFF];
    case PixelFormat::Rgb555:
        r = Widen((pixel >> 10) & 0x1F, 5);
        g = Widen((pixel >> 5) & 0x1F, 5);
        b = Widen(pixel & 0x1F, 5);
        break;
    case PixelFormat::Rgb565:
        r = Widen((pixel >> 11) & 0x1F, 5);
        g = Widen((pixel >> 5) & 0x3F, 6);
        b = Widen(pixel & 0x1F, 5);
        break;
    case PixelFormat::Rgb24:
    case PixelFormat::Rgb32:
        r = (pixel >> 16) & 0xFF;
        g = (pixel >> 8) & 0xFF;
        b = pixel & 0xFF;
        break;
    }
    return b << 16 | g << 8 | r;
}

}  // namespace vorlane
