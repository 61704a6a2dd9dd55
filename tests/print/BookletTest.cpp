// A booklet of a demo theme made by the content tool, read back as a
// teacher's printer or screen would: its pages, its words, its dots where
// the theme puts them, its lines smooth.
#include "EdgeShare.h"
#include "PdfTools.h"
#include "content/ContentPlaces.h"
#include "content/ThemeDat.h"
#include "print/Booklet.h"
#include "display/TDIB.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QRect>

namespace vorlane::test {
namespace {

const QString kTool = VORLANE_CONTENT_TOOL;
const std::string kFarm = std::string(VORLANE_DEMO_DIR) + "/Themes/La ferme/";

// The bounding box of the dark pixels of `image` above row `bottom`.
QRect InkBox(const QImage& image, int bottom)
{
    QRect box;
    for (int y = 0; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

TEST(Booklet, DemoThemeComesOutWholeWithItsDotsInPlaceAndSmoothLines)
{
    TempDir out;
    const QString pdf = QString::fromStdString(out.file("cahier.pdf"));
    int code = -1;
    const QString said = RunProgram(kTool, {"cahier", VORLANE_DEMO_DIR, "--theme", "La ferme", "--papier", "A4", pdf}, &code);
    ASSERT_EQ(code, 0) << said.toStdString();
    // The cover, ten pages to join, ten to colour, two of answers six to a page.
    EXPECT_EQ(PdfPages(pdf.toStdString()), 23);
    const QString text = RunProgram("pdftotext", {pdf, "-"});
    EXPECT_TRUE(text.contains("La ferme"));
    EXPECT_TRUE(text.contains("Prénom"));

    // Page 2 is the egg's dots, scaled to the page: each dot of theme.dat is
    // found dark where the bitmap scaled the same way puts it.
    TDIB dots;
    dots.LoadBitmapFile(kFarm + "Points01.bmp");
    QImage bitmap(dots.Width(), dots.Height(), QImage::Format_RGB32);
    for (int y = 0; y < dots.Height(); ++y) {
        for (int x = 0; x < dots.Width(); ++x) {
            const std::uint32_t colour = dots.PixelColour(x, y);
            bitmap.setPixel(x, y, qRgb(colour & 0xFF, (colour >> 8) & 0xFF, colour >> 16));
        }
    }
    const QImage page = PdfPage(pdf.toStdString(), 2, 150, out.file("points"));
    ASSERT_FALSE(page.isNull());
    // The band at the foot (20 mm) holds the page number, not the picture.
    const QRect onPage = InkBox(page, page.height() - 20 * 150 / 25);
    const QRect inBitmap = InkBox(bitmap, bitmap.height());
    const double scale = static_cast<double>(onPage.width()) / inBitmap.width();
    EXPECT_NEAR(onPage.height(), inBitmap.height() * scale, 3);
    const ThemeDat theme(kFarm + "theme.dat");
    const int count = theme.NombrePoints(1);
    ASSERT_GT(count, 5);
    // And nothing dark where the bitmap has nothing: the middle of the egg.
    const QPoint middle = onPage.center();
    EXPECT_GT(qGray(page.pixel(middle)), 200);
    for (int point = 1; point <= count; ++point) {
        const ThemePoint dot = theme.Point(1, static_cast<std::uint32_t>(point));
        const int x = onPage.left() + static_cast<int>((dot.X + 0.5 - inBitmap.left()) * scale);
        const int y = onPage.top() + static_cast<int>((dot.Y + 0.5 - inBitmap.top()) * scale);
        EXPECT_LT(qGray(page.pixel(x, y)), 128) << "point " << point << " en " << x << ", " << y;
    }

    // Smooth, not the bitmap's steps: the dots page and the egg to colour (page 12).
    for (const int number : {2, 12}) {
        const double share = AxisAlignedEdgeShare(PdfPage(pdf.toStdString(), number, 300, out.file("lisse")));
        EXPECT_LT(share, 0.4) << "page " << number;
        EXPECT_GT(share, 0.0) << "page " << number;
    }
}

TEST(Booklet, ContentToolRefusesWhatItCannotMake)
{
    TempDir out;
    const QString pdf = QString::fromStdString(out.file("cahier.pdf"));
    int code = -1;
    RunProgram(kTool, {"cahier", VORLANE_DEMO_DIR, "--theme", "La Lune", pdf}, &code);
    EXPECT_EQ(code, 1);
    RunProgram(kTool, {"cahier", VORLANE_DEMO_DIR, "--theme", "La ferme", "--formes", "points,dessins", pdf}, &code);
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(std::filesystem::is_empty(out.path()));

    RunProgram(kTool, {"cahier", VORLANE_DEMO_DIR, "--theme", "La ferme", "--formes", "points", pdf}, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(PdfPages(pdf.toStdString()), 11);
}

// A paper too small for the answers' grid gives a booklet, not a crash.
TEST(Booklet, APaperTooSmallForTheAnswersGridStillGivesItsPages)
{
    TempDir out;
    const std::string pdf = out.file("minuscule.pdf");
    MakeBooklet(ContentPlaces(VORLANE_DEMO_DIR), {"La ferme"}, {false, false, true})
        .SaveAsPdf(pdf, QPageSize(QSizeF(40, 30), QPageSize::Millimeter));
    EXPECT_EQ(PdfPages(pdf), 1 + AnswerPages(10));
}

}  // namespace
}  // namespace vorlane::test
