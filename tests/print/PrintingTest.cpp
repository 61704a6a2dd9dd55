#include "print/Printer.h"

#include "PrintManagerFixture.h"
#include "print/DibImage.h"

#include <QTest>

namespace vorlane::test {
namespace {

TEST(FitToPage, KeepsProportionsAndSpansOneSideOfThePage)
{
    struct Case {
        QSize picture;
        QSize page;
        QSize printed;
    };
    const Case cases[] = {
        {{800, 600}, {3300, 2400}, {3200, 2400}},  // rx 4.125 > ry 4.0: full height
        {{800, 600}, {2400, 3300}, {2400, 1800}},  // a printer that ignores the orientation: full width
        {{800, 600}, {3200, 2400}, {3200, 2400}},  // equal ratios fill the area
        {{2, 1}, {5, 5}, {5, 2}},                  // 2.5 rounds to even, down
        {{2, 1}, {7, 7}, {7, 4}},                  // 3.5 rounds to even, up
        {{1, 2}, {5, 5}, {2, 5}},
        {{1, 2}, {7, 7}, {4, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width() << "x" << c.picture.height() << " on "
                                        << c.page.width() << "x" << c.page.height());
        EXPECT_EQ(FitToPage(c.picture, c.page), c.printed);
    }
}

TEST(DibImage, ShowsTheBitmapsOwnPixels)
{
    TDIB indexed;
    indexed.SetSizeIndexed(3, 2, {0x0000FF, 0xFF0000});
    indexed.ScanLine(0)[1] = 1;
    indexed.ScanLine(1)[2] = 200;  // beyond the palette: black
    const QImage fromIndexed = DibImage(indexed);
    EXPECT_EQ(fromIndexed.format(), QImage::Format_Indexed8);
    EXPECT_EQ(fromIndexed.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(fromIndexed.pixel(1, 0), qRgb(0, 0, 255));
    EXPECT_EQ(fromIndexed.pixel(2, 1), qRgb(0, 0, 0));

    // 47 pixels: rows padded, so the stride must be the bitmap's.
    TDIB bgr = SolidBitmap(47, 3, 0x336699);
    bgr.ScanLine(2)[3 * 46 + 2] = 0xFF;
    const QImage fromBgr = DibImage(bgr);
    EXPECT_EQ(fromBgr.size(), QSize(47, 3));
    EXPECT_EQ(fromBgr.pixel(0, 0), qRgb(0x99, 0x66, 0x33));
    EXPECT_EQ(fromBgr.pixel(46, 2), qRgb(0xFF, 0x66, 0x33));
    EXPECT_TRUE(DibImage(TDIB()).isNull());
}

TEST(PrintPage, FailureAfterTheDocumentBeganStillEndsIt)
{
    PrintRecord record;
    RecordingPrinter printer(record, QSize(3300, 2400));
    printer.failDrawing = true;
    EXPECT_THROW(printer.PrintPage(QImage(8, 6, QImage::Format_RGB32), {}), EPrinterError);
    EXPECT_EQ(record.calls, (std::vector<std::string>{"BeginDoc", "DrawPicture", "EndDoc"}));
}

class Printing : public PrintManagerTest {
protected:
    Printing()
    {
        AddTheme("Animaux", 2);
        AddPicture("Animaux", 1, true, true);
        AddPicture("Animaux", 2, false, false);
        Open();
    }
};

TEST_F(Printing, EachButtonPrintsItsFormOnOnePageNamedAfterThePicture)
{
    Select(Node("Animaux", "Image01"));
    // The dots and the picture to colour at the top-left corner, in black; the
    // coloured picture in its colours, centred like a booklet's page.
    struct Case {
        QPushButton* button;
        std::uint32_t colour;
        QRect target;
        SmoothPicture::Ink ink;
    };
    const Case cases[] = {
        {form.btnPrintImageDotsOnly, kDotsColour, QRect(0, 0, 3200, 2400), SmoothPicture::Ink::Black},
        {form.btnPrintImage, kPictureColour, QRect(0, 0, 3200, 2400), SmoothPicture::Ink::Black},
        {form.btnPrintColor, kColouredColour, QRect(50, 0, 3200, 2400), SmoothPicture::Ink::AsDrawn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button->objectName().toStdString());
        printed = {};
        c.button->click();
        EXPECT_EQ(printed.calls, (std::vector<std::string>{"BeginDoc", "DrawPicture", "EndDoc"}));
        EXPECT_EQ(printed.jobName, "Vorlane – Animaux, image 1");
        // The full-size bitmap, not the 200 × 150 preview; the device stretches it.
        EXPECT_EQ(printed.imageSize, QSize(800, 600));
        EXPECT_EQ(printed.target, c.target);
        EXPECT_EQ(printed.ink, c.ink);
        EXPECT_EQ(printed.topLeft, qRgb(c.colour & 0xFF, (c.colour >> 8) & 0xFF, c.colour >> 16));
    }
    // A picture the theme names is printed by its name.
    WriteFile(ThemeFile("Animaux"), ReadFile(ThemeFile("Animaux")) + "[Image01]\nTitre=chat\n");
    form.btnPrintImage->click();
    EXPECT_EQ(printed.jobName, "Vorlane – Animaux, chat");
}

// Only a focused button or its Alt letter prints; each button has a letter
// of its own.
TEST_F(Printing, KeysPrintFromAFocusedButtonOrItsOwnLetter)
{
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));  // else focus never moves
    Select(Node("Animaux", "Image01"));
    form.btnPrintColor->setFocus();
    QTest::keyClick(form.btnPrintColor, Qt::Key_Return);
    EXPECT_EQ(printed.topLeft, qRgb(255, 0, 0));
    printed = {};
    form.tvThemes->setFocus();  // after a print button had the focus
    QTest::keyClick(form.tvThemes, Qt::Key_Return);
    EXPECT_TRUE(printed.calls.empty());

    QStringList letters;
    for (const QPushButton* button : form.findChildren<QPushButton*>()) {
        const QString text = button->text();
        const auto amp = text.indexOf('&');
        ASSERT_GE(amp, 0) << text.toStdString();
        EXPECT_FALSE(letters.contains(text.at(amp + 1).toLower())) << text.toStdString();
        letters << text.at(amp + 1).toLower();
    }
    const std::pair<Qt::Key, QRgb> keys[] = {{Qt::Key_P, qRgb(0, 0, 255)}, {Qt::Key_I, qRgb(0, 255, 0)},
                                             {Qt::Key_U, qRgb(255, 0, 0)}};
    for (const auto& [key, colour] : keys) {
        QTest::keyClick(&form, key, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&, colour = colour] { return printed.topLeft == colour; })) << key;
    }
    QTest::keyClick(&form, Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.btnClearColor->isEnabled(); }));
    EXPECT_TRUE(form.btnClear->isEnabled());
}

TEST_F(Printing, ButtonsAreToldApartByNameInAnyCase)
{
    Select(Node("Animaux", "Image01"));
    QObject sender;
    sender.setObjectName("BTNPRINTCOLOR");
    form.btnPrintImageDotsOnlyClick(&sender);
    EXPECT_EQ(printed.topLeft, qRgb(255, 0, 0));
    sender.setObjectName("autre");
    form.btnPrintImageDotsOnlyClick(&sender);
    EXPECT_EQ(printed.topLeft, qRgb(0, 255, 0));
}

TEST_F(Printing, PrintingReloadsThePicturesWithoutChangingTheColumns)
{
    Select(Node("Animaux", "Image02"));
    ASSERT_TRUE(form.imgPreviewImage->Bitmap().Empty());
    // The game finished the picture meanwhile: what prints is what is on disk now.
    SaveBitmap(SolidBitmap(400, 300, 0x808080), ThemePath("Animaux") + "Points02.bmp");

    form.btnPrintImageDotsOnly->click();
    EXPECT_EQ(printed.imageSize, QSize(400, 300));
    EXPECT_EQ(form.imgPreviewDotsOnly->Bitmap().Width(), 400);
    EXPECT_EQ(form.imgPreviewImage->Bitmap().PixelColour(0, 0), kPictureColour);
    EXPECT_EQ(ImageColumn(), Shown::NotAvailable);
    EXPECT_FALSE(form.lblImageCommentAlert->isHidden());
    EXPECT_EQ(ColorColumn(), Shown::NotAvailable);
    EXPECT_TRUE(form.imgColorImage->Bitmap().Empty());
}

TEST_F(Printing, MissingPictureToColourStopsEveryForm)
{
    Select(Node("Animaux", "Image01"));
    std::filesystem::remove(m_dir.path() / "Themes" / "Animaux" / "Image01.bmp");
    try {
        form.btnPrintImageDotsOnlyClick(form.btnPrintImageDotsOnly);
        FAIL() << "no error";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()), "Impossible d'ouvrir le fichier " + ThemePath("Animaux") + "Image01.bmp");
    }
    EXPECT_TRUE(printed.calls.empty());
}

TEST_F(Printing, EmptyColouredPictureIsRefusedBeforeAnyPage)
{
    Select(Node("Animaux", "Image01"));
    // An archive without its member "couleur.bmp" holds an empty picture.
    const std::string archive = ThemePath("Animaux") + "Couleur01.bmz";
    const std::vector<std::uint8_t> empty = MakeBitmapArchive(TDIB(), {}, archive);
    WriteFile(archive, std::string(empty.begin(), empty.end()));

    try {
        form.btnPrintImageDotsOnlyClick(form.btnPrintColor);
        FAIL() << "no error";
    } catch (const EInvalidBitmap& error) {
        EXPECT_STREQ(error.what(), "Image bitmap incorrecte");
    }
    EXPECT_TRUE(printed.calls.empty());
}

}  // namespace
}  // namespace vorlane::test
