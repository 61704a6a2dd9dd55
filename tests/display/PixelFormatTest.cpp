#include <gtest/gtest.h>

#include <set>

#include "DisplayTestSupport.h"
#include "display/PixelFormat.h"
#include "display/Raster.h"

namespace vorlane {
namespace {

TEST(PixelFormatTest, WhiteAndBlackInEveryLayout)
{
    struct Case {
        PixelFormat format;
        int bits;
        std::uint32_t white;
    };
    for (const Case& c : {Case{PixelFormat::Indexed8, 8, 215}, Case{PixelFormat::Rgb555, 16, 0x7FFF},
                          Case{PixelFormat::Rgb565, 16, 0xFFFF}, Case{PixelFormat::Rgb24, 24, 0xFFFFFF},
                          Case{PixelFormat::Rgb32, 32, 0xFFFFFF}}) {
        SCOPED_TRACE(test::FormatName(c.format));
        EXPECT_EQ(BitsPerPixel(c.format), c.bits);
        EXPECT_EQ(PixelFromColour(c.format, 0xFFFFFF), c.white);
        EXPECT_EQ(PixelFromColour(c.format, 0x000000), 0u);
        EXPECT_EQ(ColourFromPixel(c.format, c.white), 0xFFFFFFu);
    }
}

TEST(PixelFormatTest, ComponentsLandInTheirBits)
{
    // 0x00BBGGRR in, red in the high bits out.
    EXPECT_EQ(PixelFromColour(PixelFormat::Rgb32, 0x123456), 0x563412u);
    EXPECT_EQ(PixelFromColour(PixelFormat::Rgb24, 0x123456), 0x563412u);
    EXPECT_EQ(PixelFromColour(PixelFormat::Rgb565, 0x0000FF), 0xF800u);
    EXPECT_EQ(PixelFromColour(PixelFormat::Rgb565, 0x00FF00), 0x07E0u);
    EXPECT_EQ(PixelFromColour(PixelFormat::Rgb565, 0xFF0000), 0x001Fu);
    EXPECT_EQ(PixelFromColour(PixelFormat::Rgb555, 0x0000FF), 0x7C00u);
    EXPECT_EQ(PixelFromColour(PixelFormat::Rgb555, 0x00FF00), 0x03E0u);
    EXPECT_EQ(PixelFromColour(PixelFormat::Rgb555, 0xFF0000), 0x001Fu);
}

TEST(PixelFormatTest, SixteenBitsTruncateLowBitsAsWindowsDoes)
{
    // (7, 3, 7) has no bit left in 5-6-5: it is black there.
    EXPECT_EQ(PixelFromColour(PixelFormat::Rgb565, 0x070307), 0u);
    EXPECT_EQ(PixelFromColour(PixelFormat::Rgb555, 0x070707), 0u);
    EXPECT_EQ(PixelFromColour(PixelFormat::Rgb565, 0x080408), 0x0821u);
}

TEST(PixelFormatTest, EveryPixelValueShowsAColourThatMatchesItBack)
{
    for (std::uint32_t pixel = 0; pixel <= 0xFFFF; ++pixel)
        ASSERT_EQ(PixelFromColour(PixelFormat::Rgb565, ColourFromPixel(PixelFormat::Rgb565, pixel)), pixel);
    for (std::uint32_t pixel = 0; pixel <= 0x7FFF; ++pixel)
        ASSERT_EQ(PixelFromColour(PixelFormat::Rgb555, ColourFromPixel(PixelFormat::Rgb555, pixel)), pixel);
    for (std::uint32_t index = 0; index < 256; ++index)
        ASSERT_EQ(PixelFromColour(PixelFormat::Indexed8, ColourFromPixel(PixelFormat::Indexed8, index)), index);
}

// The rows a window shows: every 16-bit and 8-bit value (and a sweep of the
// wider ones) in Qt's 0xFFRRGGBB, as ColourFromPixel gives its colour.
TEST(PixelFormatTest, ScreenRowsShowEachPixelAsItsColour)
{
    for (const PixelFormat format : test::AllFormats()) {
        SCOPED_TRACE(test::FormatName(format));
        const int height = BytesPerPixel(format) == 1 ? 1 : 256;
        std::vector<std::uint8_t> bits(static_cast<std::size_t>(256) * 4 * height);
        const raster::Pixels pixels{bits.data(), 256, height, 256 * 4, format};
        const std::uint32_t step = format > PixelFormat::Rgb565 ? 255 : 1;  // 24 and 32 bits: a sweep
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < 256; ++x)
                raster::WritePixel(pixels, x, y, static_cast<std::uint32_t>(y * 256 + x) * step);
        std::vector<std::uint32_t> row(256);
        for (int y = 0; y < height; ++y) {
            const int from = y % 7;  // rows that start anywhere
            raster::ToScreenRow(pixels, y, from, 256, row.data());
            for (int x = from; x < 256; ++x) {
                const std::uint32_t colour = ColourFromPixel(format, raster::ReadPixel(pixels, x, y));
                ASSERT_EQ(row[x - from], 0xFF000000u | (colour & 0xFF) << 16 | (colour & 0xFF00) | colour >> 16)
                    << x << ", " << y;
            }
        }
    }
}

TEST(PixelFormatTest, EightBitPaletteHasDistinctColoursAndRoundsToTheNearestLevel)
{
    const auto& palette = FixedPalette();
    EXPECT_EQ(std::set<std::uint32_t>(palette.begin(), palette.end()).size(), 256u);
    // A component of 25 rounds down to level 0, 26 up to level 51.
    EXPECT_EQ(ColourFromPixel(PixelFormat::Indexed8, PixelFromColour(PixelFormat::Indexed8, 0x00FF19)), 0x00FF00u);
    EXPECT_EQ(ColourFromPixel(PixelFormat::Indexed8, PixelFromColour(PixelFormat::Indexed8, 0x00FF1A)), 0x00FF33u);
    // Greys keep a finer scale than the cube's six levels.
    EXPECT_EQ(ColourFromPixel(PixelFormat::Indexed8, PixelFromColour(PixelFormat::Indexed8, 0x808080)), 0x828282u);
}

}  // namespace
}  // namespace vorlane
