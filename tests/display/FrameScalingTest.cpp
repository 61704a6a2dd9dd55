// The frame scaled onto screens larger and smaller than it: a repainted
// rectangle covers exactly the device pixels that show the frame rectangle
// that changed, and is scaled as the whole screen is.
#include "display/FrameScaling.h"

#include <gtest/gtest.h>

#include <vector>

namespace vorlane {
namespace {

const QSize kScreens[] = {{23, 11}, {6, 4}, {13, 13}, {7, 5}};
constexpr QSize kFrame(7, 5);

// Every device pixel whose frame pixel lies in `frameRect`, as one rectangle.
QRect ShownBy(const FrameScaling& scaling, const QRect& frameRect)
{
    QRect shown;
    for (int y = 0; y < scaling.Screen().height(); ++y)
        for (int x = 0; x < scaling.Screen().width(); ++x)
            if (scaling.Target().contains(x, y) && frameRect.contains(scaling.Source({x, y})))
                shown |= QRect(x, y, 1, 1);
    return shown;
}

TEST(FrameScaling, CoverIsWhatShowsTheFrameRectangle)
{
    for (const QSize screen : kScreens) {
        const FrameScaling scaling(kFrame, screen);
        for (int top = -1; top <= kFrame.height(); ++top)
            for (int left = -1; left <= kFrame.width(); ++left)
                for (int height = 0; top + height <= kFrame.height() + 1; ++height)
                    for (int width = 0; left + width <= kFrame.width() + 1; ++width) {
                        const QRect changed(left, top, width, height);
                        const QRect cover = scaling.Cover(changed), shown = ShownBy(scaling, changed);
                        // Shrunk, a frame pixel may show nowhere.
                        ASSERT_TRUE(shown.isEmpty() ? cover.isEmpty() : cover == shown)
                            << screen.width() << "x" << screen.height() << " " << left << "," << top << " " << width
                            << "x" << height;
                    }
    }
}

TEST(FrameScaling, APartIsScaledAsTheWholeAndNothingIsScaledFromNothing)
{
    std::vector<std::uint32_t> frame(static_cast<std::size_t>(kFrame.width() * kFrame.height()));
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<std::uint32_t>(0x010203 * i);
    const raster::Pixels pixels{reinterpret_cast<std::uint8_t*>(frame.data()), kFrame.width(), kFrame.height(),
                                kFrame.width() * 4, PixelFormat::Rgb32};
    for (const QSize screen : kScreens) {
        const FrameScaling scaling(kFrame, screen);
        const QRect target = scaling.Target();
        std::vector<std::uint32_t> whole(static_cast<std::size_t>(target.width() * target.height()));
        scaling.Scale(pixels, target, whole.data(), target.width());
        const QRect part = target.adjusted(1, 1, -1, -1);
        std::vector<std::uint32_t> some(static_cast<std::size_t>(part.width() * part.height()));
        scaling.Scale(pixels, part, some.data(), part.width());
        for (int y = 0; y < part.height(); ++y)
            for (int x = 0; x < part.width(); ++x)
                ASSERT_EQ(some[static_cast<std::size_t>(y * part.width() + x)],
                          whole[static_cast<std::size_t>((y + 1) * target.width() + x + 1)]);

        // An empty rectangle at the target's edge reads no table entry before the first.
        std::uint32_t untouched = 0xDEADBEEF;
        scaling.Scale(pixels, QRect(target.topLeft(), QSize(0, 3)), &untouched, 1);
        EXPECT_EQ(untouched, 0xDEADBEEFu);
    }
    // A window shown before its display has a frame: nothing to scale.
    std::uint32_t untouched = 0xDEADBEEF;
    FrameScaling(QSize(), QSize(40, 30)).Scale(pixels, QRect(0, 0, 1, 1), &untouched, 1);
    EXPECT_EQ(untouched, 0xDEADBEEFu);
}

}  // namespace
}  // namespace vorlane
