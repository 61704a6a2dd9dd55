#include "print/DistanceField.h"
#include "print/SmoothPicture.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <cmath>
#include <limits>
#include <random>

namespace vorlane::test {
namespace {

TEST(DistanceField, EveryCellFindsItsNearestFeature)
{
    std::mt19937 random(26);
    Grid<std::uint8_t> features(23, 17, 0);
    for (int i = 0; i < 9; ++i)
        features.at(static_cast<int>(random() % 23), static_cast<int>(random() % 17)) = 1;
    Grid<std::int32_t> nearest;
    const Grid<float> distance = DistanceToFeatures(features, &nearest);
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 23; ++x) {
            double best = std::numeric_limits<double>::infinity();
            for (int fy = 0; fy < 17; ++fy)
                for (int fx = 0; fx < 23; ++fx)
                    if (features.at(fx, fy) != 0)
                        best = std::min(best, std::hypot(fx - x, fy - y));
            ASSERT_NEAR(distance.at(x, y), best, 1e-4) << x << ", " << y;
            const std::int32_t found = nearest.at(x, y);
            ASSERT_NEAR(std::hypot(found % 23 - x, found / 23 - y), best, 1e-4) << x << ", " << y;
        }
    }
    EXPECT_TRUE(std::isinf(DistanceToFeatures(Grid<std::uint8_t>(4, 3, 0)).at(2, 1)));
}

// A picture as the game leaves them, at a small size: a yellow disc inside a
// black ring, a dark green dot, a one-pixel slanting black line on white.
QImage Drawing()
{
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 60; ++x) {
            const double ring = std::hypot(x + 0.5 - 20, y + 0.5 - 20);
            if (ring < 12)
                image.setPixel(x, y, qRgb(255, 220, 0));
            else if (ring < 15)
                image.setPixel(x, y, qRgb(0, 0, 0));
            if (std::hypot(x + 0.5 - 48, y + 0.5 - 10) < 5)
                image.setPixel(x, y, qRgb(20, 90, 40));
            if (x >= 38 && x < 58 && y == 20 + (x - 38) / 2)
                image.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    return image;
}

TEST(SmoothPicture, KeepsColoursRoundnessAndThinLinesWithoutGaps)
{
    constexpr int kScale = 8;
    const QImage large = SmoothPicture(Drawing()).Render(QSize(60, 40) * kScale);
    const auto at = [&](double x, double y) { return large.pixel(static_cast<int>(x * kScale), static_cast<int>(y * kScale)); };
    EXPECT_EQ(at(20, 20), qRgb(255, 220, 0));
    EXPECT_EQ(at(48, 10), qRgb(20, 90, 40));

    // Round the ring, all the way: its edges are at the same distance from the
    // centre in every direction, and no white shows between the yellow and the black.
    for (int step = 0; step < 72; ++step) {
        const double angle = step * 5 * 3.14159265 / 180;
        int inner = -1;
        int outer = -1;
        for (int r = 0; r < 17 * kScale; ++r) {
            const QRgb pixel = large.pixel(static_cast<int>(20 * kScale + r * std::cos(angle)),
                                           static_cast<int>(20 * kScale + r * std::sin(angle)));
            ASSERT_FALSE(r < 14 * kScale && qRed(pixel) > 200 && qBlue(pixel) > 200) << "blanc au rayon " << r;
            if (inner < 0 && qGray(pixel) < 64)
                inner = r;
            if (inner >= 0 && outer < 0 && qGray(pixel) > 192)
                outer = r;
        }
        EXPECT_NEAR(inner, 12 * kScale, kScale * 0.6) << step * 5 << "°";
        EXPECT_NEAR(outer, 15 * kScale, kScale * 0.6) << step * 5 << "°";
    }

    // Round the dot too: as wide as high, and as wide across its diagonal.
    const auto across = [&](double dx, double dy) {
        int dark = 0;
        for (int step = -7 * kScale; step < 7 * kScale; ++step)
            dark += qGray(at(48 + step * dx / kScale, 10 + step * dy / kScale)) < 128 ? 1 : 0;
        return dark * std::hypot(dx, dy) / kScale;
    };
    EXPECT_NEAR(across(1, 0), 10, 0.5);
    EXPECT_NEAR(across(0, 1), 10, 0.5);
    EXPECT_NEAR(across(std::sqrt(0.5), std::sqrt(0.5)), 10, 0.5);

    // The one-pixel line is one stroke from end to end, through its pixels' middles.
    for (int quarter = 39 * 4; quarter < 57 * 4; ++quarter) {
        const double x = quarter / 4.0;
        EXPECT_LT(qGray(at(x, 20.5 + (x - 39) / 2)), 64) << x;
    }
}

// A window as the library draws one, aliased: a black square frame 3 pixels
// thick; beside it a bold ring holding a pupil that touches it on one side,
// with the one-pixel gap the pixels leave there, and a speck of white in the
// frame's corner where a stroke's notch would leave one; all in slate, as a
// dots page draws its dots.
QImage WindowAndEye()
{
    const QRgb slate = qRgb(0x26, 0x32, 0x38);
    QImage image(64, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool frame = x >= 6 && x < 30 && y >= 8 && y < 32 && !(x >= 9 && x < 27 && y >= 11 && y < 29);
            const double ring = std::hypot(x + 0.5 - 47, y + 0.5 - 20);
            const double pupil = std::hypot(x + 0.5 - 50, y + 0.5 - 20);
            if (frame || (ring >= 9 && ring < 12) || pupil < 5.5)
                image.setPixel(x, y, slate);
        }
    }
    image.setPixel(10, 11, slate);  // the notch: a white pixel left one pixel from the window's inside
    image.setPixel(9, 12, slate);
    image.setPixel(8, 10, qRgb(255, 255, 255));
    return image;
}

TEST(SmoothPicture, SquareCornersRoundPupilsBlackInkAndNoPinholes)
{
    constexpr int kScale = 10;
    const QImage large = SmoothPicture(WindowAndEye(), SmoothPicture::Ink::Black).Render(QSize(64, 40) * kScale);
    const auto dark = [&](double x, double y) {
        return qGray(large.pixel(static_cast<int>(x * kScale), static_cast<int>(y * kScale))) < 128;
    };
    // The frame's corners are square: dark a fifth of a pixel from each
    // corner, inside and out, and the sides straight up to them.
    for (const auto& [x, y] : {std::pair{6.2, 8.2}, {29.8, 8.2}, {6.2, 31.8}, {29.8, 31.8}})
        EXPECT_TRUE(dark(x, y)) << "coin extérieur " << x << ", " << y;
    for (const auto& [x, y] : {std::pair{26.8, 11.2}, {8.8, 28.8}, {26.8, 28.8}})
        EXPECT_TRUE(!dark(x + (x < 20 ? 0.4 : -0.4), y + (y < 20 ? 0.4 : -0.4))) << "coin intérieur " << x << ", " << y;
    for (double along = 8.5; along < 31.5; along += 0.5) {
        EXPECT_TRUE(dark(6.1, along) && !dark(5.9, along)) << "côté gauche à " << along;
        EXPECT_TRUE(dark(along - 2, 8.1) && !dark(along - 2, 7.9)) << "côté haut à " << along - 2;
    }
    // No white speck anywhere in the ink: the notch and the gap beside the pupil are filled.
    EXPECT_TRUE(dark(8.5, 10.5));
    for (int y = 0; y < large.height(); ++y) {
        for (int x = 0; x < large.width(); ++x) {
            const QRgb pixel = large.pixel(x, y);
            ASSERT_TRUE(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel)) << "pas noir en " << x << ", " << y;
        }
    }
    // The pupil round, not a polygon: as far from its centre every way it
    // is free (the pixels put its edge 5 to 5.6 pixels out, round 5.15).
    const auto extent = [&](double degrees) {
        const double angle = degrees * 3.14159265 / 180;
        double r = 0;
        while (dark(50 + (r + 0.05) * std::cos(angle), 20 + (r + 0.05) * std::sin(angle)))
            r += 0.05;
        return r;
    };
    for (double degrees = 100; degrees <= 260; degrees += 10)
        EXPECT_NEAR(extent(degrees), 5.15, 0.15) << degrees << "°";
}

TEST(SmoothPicture, PictureOfManyColoursIsDrawnAsItIs)
{
    QImage gradient(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            gradient.setPixel(x, y, qRgb(x * 4, y * 4, 128));
    const QImage large = SmoothPicture(gradient).Render(QSize(256, 256));
    EXPECT_NEAR(qRed(large.pixel(130, 10)), 130, 6);
    EXPECT_NEAR(qGreen(large.pixel(10, 130)), 130, 6);
}

}  // namespace
}  // namespace vorlane::test
