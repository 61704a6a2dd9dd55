#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <set>

#include "DisplayTestSupport.h"
#include "display/DisplayErrors.h"
#include "display/TDirectDrawSurface.h"
#include "display/TDirectDrawSurfaceCanvas.h"

namespace vorlane {
namespace {

using test::kBlack;
using test::kBlue;
using test::kGreen;
using test::kRed;
using test::kWhite;

class SurfaceTest : public ::testing::TestWithParam<PixelFormat> {};

// A bitmap of odd size holding many colours, some not exact in 16 or 8 bits.
TDIB NoisyBitmap(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    TDIB bitmap;
    bitmap.SetSize24(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 3 * width; ++x)
            bitmap.ScanLine(y)[x] = static_cast<std::uint8_t>(random());
    return bitmap;
}

TEST_P(SurfaceTest, MatchColourOfWhiteLeavesPixelZeroUnchanged)
{
    TDirectDrawSurface surface(GetParam());
    test::LoadPicture(surface, {"r.", ".."});
    const std::uint32_t before = surface.ColourAt(0, 0);
    EXPECT_EQ(surface.MatchColour(kWhite), PixelFromColour(GetParam(), kWhite));
    EXPECT_EQ(surface.ColourAt(0, 0), before);
    EXPECT_EQ(surface.ColourAt(0, 0), surface.MatchColour(kRed));
}

TEST_P(SurfaceTest, LoadedPixelsAgreeWithMatchColour)
{
    TDirectDrawSurface surface(GetParam());
    const TDIB bitmap = NoisyBitmap(47, 33, 1);
    surface.LoadFromBitmap(bitmap);
    ASSERT_EQ(surface.Width(), 47);
    ASSERT_EQ(surface.Height(), 33);
    EXPECT_EQ(surface.TransparentColour(), 0u);
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 47; ++x)
            ASSERT_EQ(surface.ColourAt(x, y), surface.MatchColour(bitmap.PixelColour(x, y))) << x << "," << y;
}

TEST_P(SurfaceTest, IndexedBitmapsLoadThroughTheirPalette)
{
    TDIB bitmap;
    bitmap.SetSizeIndexed(5, 2, {kRed, kGreen, kBlue});
    for (int x = 0; x < 5; ++x)
        bitmap.ScanLine(1)[x] = static_cast<std::uint8_t>(x);  // indices 3 and 4 lie past the palette
    TDirectDrawSurface surface(GetParam());
    surface.LoadFromBitmap(bitmap);
    EXPECT_EQ(test::Picture(surface), (std::vector<std::string>{"rrrrr", "rgb##"}));
}

TEST_P(SurfaceTest, CopyToBitmapGivesTheColourOfEveryPixel)
{
    TDirectDrawSurface surface(GetParam());
    const TDIB original = NoisyBitmap(13, 7, 2);
    surface.LoadFromBitmap(original);
    TDIB copy;
    surface.CopyToBitmap(copy);
    ASSERT_EQ(copy.BitCount(), 24);
    ASSERT_EQ(copy.Width(), 13);
    ASSERT_EQ(copy.Height(), 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(copy.PixelColour(x, y),
                      ColourFromPixel(GetParam(), PixelFromColour(GetParam(), original.PixelColour(x, y))));
}

TEST_P(SurfaceTest, ColourAtOutsideIsZero)
{
    TDirectDrawSurface surface(GetParam());
    test::LoadPicture(surface, {"rrr", "rrr"});
    for (const auto& [x, y] : {std::pair{3, 0}, std::pair{-1, 0}, std::pair{0, 2}, std::pair{0, -1}})
        EXPECT_EQ(surface.ColourAt(x, y), 0u) << x << "," << y;
    EXPECT_NE(surface.ColourAt(2, 1), 0u);
}

TEST_P(SurfaceTest, FillColourSetsEveryPixel)
{
    TDirectDrawSurface surface(GetParam());
    surface.LoadFromBitmap(NoisyBitmap(37, 3, 3));
    surface.FillColour(surface.MatchColour(kBlue));
    EXPECT_EQ(test::Picture(surface), std::vector<std::string>(3, std::string(37, 'b')));
}

// What a copy must give, pixel by pixel, written the slow way.
std::vector<std::uint32_t> ExpectedCopy(const TDirectDrawSurface& target, int x0, int y0,
                                        const TDirectDrawSurface& source, Transparency transparency)
{
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < target.Height(); ++y)
        for (int x = 0; x < target.Width(); ++x) {
            std::uint32_t value = target.ColourAt(x, y);
            const int sx = x - x0;
            const int sy = y - y0;
            if (sx >= 0 && sy >= 0 && sx < source.Width() && sy < source.Height()) {
                const std::uint32_t s = source.ColourAt(sx, sy);
                if (transparency == Transparency::Opaque || s != source.TransparentColour())
                    value = s;
            }
            pixels.push_back(value);
        }
    return pixels;
}

std::vector<std::uint32_t> AllPixels(const TDirectDrawSurface& surface)
{
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            pixels.push_back(surface.ColourAt(x, y));
    return pixels;
}

TEST_P(SurfaceTest, DrawSurfaceClipsOnAllFourSidesWithAndWithoutKey)
{
    // Sources wider than the widest vector of the copy, so that both the
    // vector body and the tail of each row are exercised: one speckled with
    // its key colour (blended pixel by pixel), one with long opaque stretches
    // (copied stretch by stretch).
    TDIB speckled = NoisyBitmap(41, 5, 4);
    for (int x = 0; x < 41; x += 3)
        std::fill_n(speckled.ScanLine(x % 5) + 3 * x, 3, 0xFF);
    TDIB blocky = NoisyBitmap(41, 5, 6);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 41; ++x)
            if ((x + 7 * y) % 20 < 9)
                std::fill_n(blocky.ScanLine(y) + 3 * x, 3, 0xFF);
    const TDIB background = NoisyBitmap(45, 7, 5);
    for (const TDIB* picture : {&speckled, &blocky}) {
        TDirectDrawSurface source(GetParam());
        source.LoadFromBitmap(*picture);
        source.SetTransparentColour(source.MatchColour(kWhite));
        for (const Transparency transparency : {Transparency::Opaque, Transparency::Keyed})
            for (const int y : {-6, -5, -4, -1, 0, 1, 2, 6, 7})
                for (const int x : {-42, -41, -40, -10, -1, 0, 3, 4, 5, 44, 45}) {
                    TDirectDrawSurface target(GetParam());
                    target.LoadFromBitmap(background);
                    const auto expected = ExpectedCopy(target, x, y, source, transparency);
                    target.DrawSurface(x, y, &source, transparency);
                    ASSERT_EQ(AllPixels(target), expected) << "at " << x << "," << y;
                }
    }
}

TEST_P(SurfaceTest, ALayerChangedAfterACopyIsCopiedAsItIsNow)
{
    TDirectDrawSurface layer(GetParam());
    TDirectDrawSurface target(GetParam());
    const auto draw = [&] {
        target.FillColour(target.MatchColour(kBlack));
        target.DrawSurface(0, 0, &layer, Transparency::Keyed);
        return test::Picture(target);
    };
    test::LoadPicture(layer, {"........................................", "r......................................."});
    layer.SetTransparentColour(layer.MatchColour(kWhite));
    test::LoadPicture(target, {std::string(40, '#'), std::string(40, '#')});
    EXPECT_EQ(draw()[1].substr(0, 3), "r##");

    TDirectDrawSurfaceCanvas& canvas = layer.SurfaceCanvas();
    canvas.SetPenColour(kBlue);
    canvas.MovePen(1, 1);
    canvas.LineTo(3, 1);
    EXPECT_EQ(draw()[1].substr(0, 4), "rbb#") << "a line";
    canvas.SetBrushColour(kGreen);
    canvas.FillToBorder(30, 0, kRed);
    EXPECT_EQ(draw()[0].substr(0, 3), "ggg") << "a fill";
    layer.SetTransparentColour(layer.MatchColour(kGreen));
    EXPECT_EQ(draw()[0].substr(0, 3), "###") << "another key";
    TDirectDrawSurface red(GetParam());
    test::LoadPicture(red, {"rr"});
    layer.DrawSurface(0, 0, &red, Transparency::Opaque);
    EXPECT_EQ(draw()[0].substr(0, 3), "rr#") << "a copy onto the layer";
    layer.FillColour(layer.MatchColour(kBlue));
    EXPECT_EQ(draw()[0].substr(0, 3), "bbb") << "a fill of the whole layer";
    layer.DrawSurface(1, 0, &layer, Transparency::Opaque);
    EXPECT_EQ(draw()[0].substr(0, 3), "bbb") << "a copy onto itself";
}

// A frame recognises its layers by address and version: a surface made where
// another was freed must not pass for it.
TEST(SurfaceVersionTest, NoTwoSurfacesEverShowOneVersion)
{
    std::set<std::uint64_t> seen;
    for (int i = 0; i < 3; ++i) {
        auto surface = std::make_unique<TDirectDrawSurface>(PixelFormat::Rgb32);
        EXPECT_TRUE(seen.insert(surface->Version()).second);
        surface->SetSize(2, 2);
        EXPECT_TRUE(seen.insert(surface->Version()).second);
        surface->FillColour(1);
        EXPECT_TRUE(seen.insert(surface->Version()).second);
    }
}

TEST_P(SurfaceTest, DrawSurfaceAtMinusTenDropsTheTenLeftmostColumns)
{
    TDirectDrawSurface source(GetParam());
    test::LoadPicture(source, {"rrrrrrrrrrgb"});
    TDirectDrawSurface target(GetParam());
    test::LoadPicture(target, {"....."});
    target.DrawSurface(-10, 0, &source, Transparency::Opaque);
    EXPECT_EQ(test::Picture(target), std::vector<std::string>{"gb..."});
}

TEST_P(SurfaceTest, KeyedCopyOfAnAllKeySurfaceChangesNothing)
{
    TDirectDrawSurface source(GetParam());
    test::LoadPicture(source, {"......", "......"});
    source.SetTransparentColour(source.MatchColour(kWhite));
    TDirectDrawSurface target(GetParam());
    test::LoadPicture(target, {"rgb#", "#bgr"});
    target.DrawSurface(-1, 0, &source, Transparency::Keyed);
    EXPECT_EQ(test::Picture(target), (std::vector<std::string>{"rgb#", "#bgr"}));
    target.DrawSurface(-1, 0, &source, Transparency::Opaque);
    EXPECT_EQ(test::Picture(target), (std::vector<std::string>{"....", "...."}));
    target.DrawSurface(0, 0, nullptr, Transparency::Opaque);
}

TEST_P(SurfaceTest, CopiesBetweenFormatsConvertThroughTheColour)
{
    TDirectDrawSurface source(PixelFormat::Rgb32);
    test::LoadPicture(source, {"r.gb"});
    source.SetTransparentColour(source.MatchColour(kWhite));
    TDirectDrawSurface target(GetParam());
    test::LoadPicture(target, {"####"});
    target.DrawSurface(0, 0, &source, Transparency::Keyed);
    EXPECT_EQ(test::Picture(target), std::vector<std::string>{"r#gb"});
}

TEST_P(SurfaceTest, ASurfaceWithoutPixelsDoesNothingAndOnlyItsCanvasFails)
{
    TDirectDrawSurface empty(GetParam());
    TDirectDrawSurface full(GetParam());
    test::LoadPicture(full, {"rg", "b#"});
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(empty.MatchColour(kWhite), 0u);
    EXPECT_EQ(empty.ColourAt(0, 0), 0u);
    empty.FillColour(1);
    empty.DrawSurface(0, 0, &full, Transparency::Opaque);
    full.DrawSurface(0, 0, &empty, Transparency::Keyed);
    EXPECT_EQ(test::Picture(full), (std::vector<std::string>{"rg", "b#"}));

    TDirectDrawSurfaceCanvas& canvas = empty.SurfaceCanvas();
    canvas.MovePen(1, 1);
    canvas.ReleaseCanvas();
    TDIB bitmap = test::BitmapFromPicture({"rg"});
    for (const std::function<void()>& draw : std::vector<std::function<void()>>{
             [&] { canvas.LineTo(3, 3); }, [&] { canvas.FillToBorder(0, 0, kBlack); },
             [&] { canvas.PixelColour(0, 0); }, [&] { canvas.WriteText(0, 0, "x"); },
             [&] { empty.CopyToBitmap(bitmap); }})
        EXPECT_EQ(test::ErrorMessage<EDirectDrawSurfaceError>(draw), "IDirectDrawSurface not made");
    EXPECT_EQ(bitmap.Width(), 2) << "a failed copy keeps the bitmap";
}

TEST_P(SurfaceTest, LoadingAnEmptyOrHugeBitmapLeavesNoPixels)
{
    TDirectDrawSurface surface(GetParam());
    test::LoadPicture(surface, {"rg"});
    surface.SetTransparentColour(7);
    EXPECT_EQ(test::ErrorMessage<EDirectDrawSurfaceError>([&] { surface.LoadFromBitmap(TDIB()); }),
              "IDirectDrawSurface not made");
    EXPECT_TRUE(surface.Empty());
    EXPECT_EQ(surface.TransparentColour(), 0u);

    TDIB huge;
    huge.SetSize24(TDirectDrawSurface::kMaxSide + 1, 1);
    EXPECT_EQ(test::ErrorMessage<EDirectDrawSurfaceError>([&] { surface.LoadFromBitmap(huge); }),
              "Surface cannot be made");
    EXPECT_TRUE(surface.Empty());
}

INSTANTIATE_TEST_SUITE_P(AllFormats, SurfaceTest, ::testing::ValuesIn(test::AllFormats()),
                         [](const auto& info) { return test::FormatName(info.param); });

}  // namespace
}  // namespace vorlane
