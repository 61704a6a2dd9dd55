#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <set>

#include "DisplayTestSupport.h"
#include "display/TDirectDrawSurface.h"
#include "display/TDirectDrawSurfaceCanvas.h"

namespace vorlane {
namespace {

using test::kBlack;
using test::kRed;
using test::kWhite;
using Rows = std::vector<std::string>;

class CanvasTest : public ::testing::TestWithParam<PixelFormat> {
protected:
    // A white surface of width × height.
    TDirectDrawSurface& Blank(int width, int height)
    {
        test::LoadPicture(m_surface, Rows(height, std::string(width, '.')));
        return m_surface;
    }
    Rows Line(int width, int height, int penWidth, int x0, int y0, int x1, int y1)
    {
        TDirectDrawSurfaceCanvas& canvas = Blank(width, height).SurfaceCanvas();
        canvas.SetPenWidth(penWidth);
        canvas.MovePen(x0, y0);
        canvas.LineTo(x1, y1);
        canvas.ReleaseCanvas();
        return test::Picture(m_surface);
    }
    TDirectDrawSurface m_surface{GetParam()};
};

TEST_P(CanvasTest, ThinLinesLeaveOutTheirEndPoint)
{
    EXPECT_EQ(Line(7, 3, 1, 0, 1, 5, 1), (Rows{".......", "#####..", "......."}));
    EXPECT_EQ(Line(7, 3, 1, 5, 1, 0, 1), (Rows{".......", ".#####.", "......."}));
    EXPECT_EQ(Line(5, 5, 1, 0, 0, 4, 4), (Rows{"#....", ".#...", "..#..", "...#.", "....."}));
    EXPECT_EQ(Line(3, 5, 1, 1, 4, 1, 0), (Rows{"...", ".#.", ".#.", ".#.", ".#."}));
    EXPECT_EQ(Line(3, 3, 1, 1, 1, 1, 1), (Rows{"...", "...", "..."}));
    EXPECT_EQ(Line(7, 3, 0, 0, 0, 6, 2), (Rows{"##.....", "..###..", ".....#."}));
}

TEST_P(CanvasTest, ThinLinesAreClippedAndFarEndsCostNothing)
{
    EXPECT_EQ(Line(5, 3, 1, -3, 1, 3, 1), (Rows{".....", "###..", "....."}));
    EXPECT_EQ(Line(5, 3, 1, 2, 1, 2000000000, 1), (Rows{".....", "..###", "....."}));
    EXPECT_EQ(Line(5, 3, 1, -2000000000, -2000000000, 2000000000, 2000000000), (Rows{"#....", ".#...", "..#.."}));
}

TEST_P(CanvasTest, WideLinesHaveTheirWidthAndRoundEnds)
{
    EXPECT_EQ(Line(10, 5, 3, 2, 2, 7, 2), (Rows{"..........", ".########.", ".########.", ".########.", ".........."}));
    EXPECT_EQ(Line(10, 6, 2, 2, 3, 7, 3), (Rows{"..........", "..........", ".#######..", ".#######..", "..........",
                                                 ".........."}));
    // A dot of a 5-pixel pen is a disc, not a square.
    EXPECT_EQ(Line(7, 7, 5, 3, 3, 3, 3),
              (Rows{".......", "..###..", ".#####.", ".#####.", ".#####.", "..###..", "......."}));
    EXPECT_EQ(Line(7, 3, 4, 1000000, 1, -1000000, 1), (Rows{"#######", "#######", "#######"}));
}

TEST_P(CanvasTest, ALineAfterAReleaseStartsWhereThePreviousEnded)
{
    TDirectDrawSurfaceCanvas& canvas = Blank(6, 5).SurfaceCanvas();
    canvas.MovePen(1, 1);
    canvas.LineTo(4, 1);
    canvas.ReleaseCanvas();
    canvas.SetPenColour(kRed);
    canvas.LineTo(4, 4);
    canvas.ReleaseCanvas();
    EXPECT_EQ(canvas.PenX(), 4);
    EXPECT_EQ(canvas.PenY(), 4);
    EXPECT_EQ(test::Picture(m_surface), (Rows{"......", ".###r.", "....r.", "....r.", "......"}));
}

TEST_P(CanvasTest, FillToBorderFillsTheFourConnectedRegion)
{
    TDirectDrawSurface& surface = m_surface;
    test::LoadPicture(surface, {"########", "#..#...#", "#..#.#.#", "####.#.#", "#.#..#..", "##.####."});
    TDirectDrawSurfaceCanvas& canvas = surface.SurfaceCanvas();
    canvas.SetBrushColour(kRed);
    canvas.FillToBorder(4, 1, kBlack);
    canvas.ReleaseCanvas();
    // The diagonal gaps at (1, 4)-(2, 5) and the left room stay apart.
    EXPECT_EQ(test::Picture(surface),
              (Rows{"########", "#..#rrr#", "#..#r#r#", "####r#r#", "#.#rr#rr", "##.####r"}));
}

TEST_P(CanvasTest, FillStartedOnTheBorderOutsideOrWithAClearBrushChangesNothing)
{
    const Rows picture{"#...", "#.#.", "...#"};
    test::LoadPicture(m_surface, picture);
    TDirectDrawSurfaceCanvas& canvas = m_surface.SurfaceCanvas();
    canvas.SetBrushColour(kRed);
    canvas.FillToBorder(0, 0, kBlack);
    canvas.FillToBorder(-1, 0, kBlack);
    canvas.FillToBorder(4, 0, kBlack);
    canvas.FillToBorder(0, 3, kBlack);
    canvas.SetBrushStyle(TBrushStyle::Clear);
    EXPECT_EQ(canvas.BrushColour(), kWhite);
    canvas.FillToBorder(1, 1, kBlack);
    EXPECT_EQ(test::Picture(m_surface), picture);
}

TEST_P(CanvasTest, FillGoesThroughPixelsThatAlreadyHaveTheBrushColour)
{
    test::LoadPicture(m_surface, {"..r..", "rrrrr", "..r..", "..r.#"});
    TDirectDrawSurfaceCanvas& canvas = m_surface.SurfaceCanvas();
    canvas.SetBrushColour(kRed);
    canvas.FillToBorder(0, 0, kBlack);
    EXPECT_EQ(test::Picture(m_surface), (Rows{"rrrrr", "rrrrr", "rrrrr", "rrrr#"}));
}

// Breadth-first fill, one pixel at a time: slow and plainly right.
std::vector<std::uint32_t> ReferenceFill(const TDirectDrawSurface& surface, int x0, int y0, std::uint32_t border,
                                         std::uint32_t fill)
{
    const int width = surface.Width();
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(surface.ColourAt(x, y));
    if (pixels[y0 * width + x0] == border)
        return pixels;
    std::vector<bool> seen(pixels.size());
    std::deque<std::pair<int, int>> queue{{x0, y0}};
    seen[y0 * width + x0] = true;
    while (!queue.empty()) {
        const auto [x, y] = queue.front();
        queue.pop_front();
        pixels[y * width + x] = fill;
        for (const auto& [nx, ny] : {std::pair{x - 1, y}, std::pair{x + 1, y}, std::pair{x, y - 1}, std::pair{x, y + 1}}) {
            if (nx < 0 || ny < 0 || nx >= width || ny >= surface.Height())
                continue;
            const int i = ny * width + nx;
            if (!seen[i] && pixels[i] != border) {
                seen[i] = true;
                queue.push_back({nx, ny});
            }
        }
    }
    return pixels;
}

TEST_P(CanvasTest, FillMatchesAPixelByPixelFillOnRandomPictures)
{
    std::mt19937 random(7);
    for (const int density : {20, 45, 60}) {
        Rows picture(61, std::string(133, '.'));
        for (auto& row : picture)
            for (char& pixel : row) {
                const unsigned roll = random() % 100;
                pixel = roll < static_cast<unsigned>(density) ? '#' : roll < 70 ? '.' : roll < 85 ? 'r' : 'g';
            }
        for (int start = 0; start < 5; ++start) {
            test::LoadPicture(m_surface, picture);
            const int x = static_cast<int>(random() % 133);
            const int y = static_cast<int>(random() % 61);
            const auto expected = ReferenceFill(m_surface, x, y, m_surface.MatchColour(kBlack),
                                                m_surface.MatchColour(kRed));
            TDirectDrawSurfaceCanvas& canvas = m_surface.SurfaceCanvas();
            canvas.SetBrushColour(kRed);
            canvas.FillToBorder(x, y, kBlack);
            std::vector<std::uint32_t> actual;
            for (int py = 0; py < m_surface.Height(); ++py)
                for (int px = 0; px < m_surface.Width(); ++px)
                    actual.push_back(m_surface.ColourAt(px, py));
            ASSERT_EQ(actual, expected) << "density " << density << " from " << x << "," << y;
        }
    }
}

TEST_P(CanvasTest, PixelColourReadsColoursNotPixelValues)
{
    test::LoadPicture(m_surface, {"r.#"});
    TDirectDrawSurfaceCanvas& canvas = m_surface.SurfaceCanvas();
    EXPECT_EQ(canvas.PixelColour(0, 0), kRed);
    EXPECT_EQ(canvas.PixelColour(1, 0), kWhite);
    EXPECT_EQ(canvas.PixelColour(2, 0), kBlack);
    EXPECT_EQ(canvas.PixelColour(3, 0), TDirectDrawSurfaceCanvas::kInvalidColour);
    EXPECT_EQ(canvas.PixelColour(0, -1), TDirectDrawSurfaceCanvas::kInvalidColour);
}

TEST_P(CanvasTest, TextIsDrawnInTheFontColourWithoutBlendedEdges)
{
    TDirectDrawSurface& surface = Blank(120, 40);
    TDirectDrawSurfaceCanvas& canvas = surface.SurfaceCanvas();
    canvas.SetFontColour(kBlack);
    canvas.SetFontSize(12);
    canvas.SetBrushStyle(TBrushStyle::Clear);
    canvas.WriteText(10, 5, "Souris =512");
    canvas.ReleaseCanvas();
    int ink = 0;
    for (const std::string& row : test::Picture(surface)) {
        EXPECT_EQ(row.find('?'), std::string::npos) << "a blended pixel in " << row;
        for (std::size_t x = 0; x < row.size(); ++x)
            if (row[x] == '#') {
                ++ink;
                EXPECT_GE(x, 10u);
            }
    }
    EXPECT_GT(ink, 30);
    EXPECT_EQ(surface.ColourAt(5, 4), surface.MatchColour(kWhite));

    // A solid brush paints the box behind the text; a text off the surface is clipped.
    canvas.SetBrushStyle(TBrushStyle::Solid);
    canvas.SetBrushColour(kRed);
    canvas.WriteText(-5, -5, "W");
    const Rows after = test::Picture(surface);
    EXPECT_TRUE(after[0][0] == 'r' || after[0][0] == '#');
    EXPECT_EQ(after[0].find('?'), std::string::npos);
    canvas.WriteText(200, 200, "outside");
}

INSTANTIATE_TEST_SUITE_P(AllFormats, CanvasTest, ::testing::ValuesIn(test::AllFormats()),
                         [](const auto& info) { return test::FormatName(info.param); });

}  // namespace
}  // namespace vorlane
