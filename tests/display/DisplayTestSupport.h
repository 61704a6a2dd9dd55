#pragma once

// Helpers of the display tests: the pixel formats to run every case at, and
// surfaces written as pictures. QtEnvironment.cpp makes the QApplication.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "display/PixelFormat.h"
#include "display/TDIB.h"
#include "display/TDirectDrawSurface.h"

namespace vorlane::test {

inline const std::vector<PixelFormat>& AllFormats()
{
    static const std::vector<PixelFormat> formats = {PixelFormat::Indexed8, PixelFormat::Rgb555,
                                                     PixelFormat::Rgb565, PixelFormat::Rgb24, PixelFormat::Rgb32};
    return formats;
}

inline std::string FormatName(PixelFormat format)
{
    switch (format) {
    case PixelFormat::Indexed8:
        return "Indexed8";
    case PixelFormat::Rgb555:
        return "Rgb555";
    case PixelFormat::Rgb565:
        return "Rgb565";
    case PixelFormat::Rgb24:
        return "Rgb24";
    case PixelFormat::Rgb32:
        return "Rgb32";
    }
    return "?";
}

// Colours that every format shows exactly (each component 0 or 255).
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0xFF0000;
constexpr std::uint32_t kYellow = 0x00FFFF;

// One character a pixel: '.' white, '#' black, 'r' red, 'g' green, 'b' blue, 'y' yellow.
inline const std::map<char, std::uint32_t>& Legend()
{
    static const std::map<char, std::uint32_t> legend = {{'.', kWhite}, {'#', kBlack}, {'r', kRed},
                                                         {'g', kGreen}, {'b', kBlue},  {'y', kYellow}};
    return legend;
}

inline TDIB BitmapFromPicture(const std::vector<std::string>& rows)
{
    TDIB bitmap;
    bitmap.SetSize24(static_cast<int>(rows.at(0).size()), static_cast<int>(rows.size()));
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const std::uint32_t colour = Legend().at(rows[y][x]);
            std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(colour >> 16);
            p[1] = static_cast<std::uint8_t>(colour >> 8);
            p[2] = static_cast<std::uint8_t>(colour);
        }
    return bitmap;
}

inline void LoadPicture(TDirectDrawSurface& surface, const std::vector<std::string>& rows)
{
    surface.LoadFromBitmap(BitmapFromPicture(rows));
}

// The surface written back with the legend; '?' for a pixel of no legend colour.
inline std::vector<std::string> Picture(const TDirectDrawSurface& surface)
{
    std::vector<std::string> rows;
    for (int y = 0; y < surface.Height(); ++y) {
        std::string row;
        for (int x = 0; x < surface.Width(); ++x) {
            char symbol = '?';
            for (const auto& [character, colour] : Legend())
                if (surface.ColourAt(x, y) == surface.MatchColour(colour))
                    symbol = character;
            row += symbol;
        }
        rows.push_back(row);
    }
    return rows;
}

// The message of the error of class E that `action` raises; a failure when
// it raises none.
template <class E, class Action>
std::string ErrorMessage(Action action)
{
    try {
        action();
    } catch (const E& error) {
        return error.what();
    }
    ADD_FAILURE() << "no error raised";
    return {};
}

}  // namespace vorlane::test
