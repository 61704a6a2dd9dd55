// Booklets of the demo themes made by the content tool, read back as a
// teacher's printer or screen would: their pages and words, the answers kept
// back, the folded book's order, the dots where the theme puts them, every
// dots page black and without pinholes when printed at 600 dpi.
#include "EdgeShare.h"
#include "PdfTools.h"
#include "content/ContentPlaces.h"
#include "content/DisplayString.h"
#include "content/ThemeDat.h"
#include "display/TDIB.h"
#include "print/Booklet.h"
#include "print/DibImage.h"
#include "print/SmoothPicture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QRect>
#include <QRegularExpression>

#include <unistd.h>

namespace vorlane::test {
namespace {

const QString kTool = VORLANE_CONTENT_TOOL;
const std::string kFarm = std::string(VORLANE_DEMO_DIR) + "/Themes/La ferme/";

// The bounding box of the dark pixels of `image` between rows `top` and `bottom`.
QRect InkBox(const QImage& image, int top, int bottom)
{
    QRect box;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

QImage BitmapImage(const std::string& path)
{
    TDIB bitmap;
    bitmap.LoadBitmapFile(path);
    return DibImage(bitmap).convertToFormat(QImage::Format_RGB32);
}

// The page numbers printed on a page's foot (a line of digits alone).
QStringList PageNumbers(const QString& text)
{
    QStringList numbers;
    for (const QString& line : text.split('\n')) {
        if (QRegularExpression(QStringLiteral("^\\d+$")).match(line.trimmed()).hasMatch())
            numbers << line.trimmed();
    }
    return numbers;
}

// The booklet the tool makes of the demo folder with `options`, written as
// `name` in `out`.
std::string MadeBooklet(const TempDir& out, const char* name, const QStringList& options)
{
    const std::string pdf = out.file(name);
    int code = -1;
    QString errors;
    RunProgram(kTool, QStringList{"cahier", VORLANE_DEMO_DIR} + options + QStringList{QString::fromStdString(pdf)},
               &code, &errors);
    EXPECT_EQ(code, 0) << errors.toStdString();
    return pdf;
}

TEST(Booklet, DefaultBookletKeepsTheAnswersBackAndTellsEachChildWhatToDo)
{
    TempDir out;
    const std::string pdf = out.file("cahier.pdf");
    int code = -1;
    // The theme named in any letter case, and twice: used once. Options
    // stand before the folders as well as after.
    const QString said = RunProgram(kTool, {"cahier", "--papier", "a4", VORLANE_DEMO_DIR, "--theme", "la ferme",
                                            QString::fromStdString(pdf), "--theme", "La ferme"},
                                    &code);
    ASSERT_EQ(code, 0) << said.toStdString();
    // The cover, the ten dots pages from easy to hard, two pages of answers at
    // the end, six to a page: no picture to colour, no finished picture before.
    ASSERT_EQ(PdfPages(pdf), 13);
    const QString cover = PdfText(pdf, 1);
    EXPECT_TRUE(cover.contains("La ferme") && cover.contains("Prénom") && cover.contains("pages 2 à 11"));
    const ThemeDat theme(kFarm + "theme.dat");
    for (int page = 2; page <= 11; ++page) {
        SCOPED_TRACE(page);
        const QString text = PdfText(pdf, page);
        // Each page under its picture's name: "Œuf".
        QString name = DisplayString(theme.Titre(static_cast<std::uint32_t>(page - 1)));
        ASSERT_FALSE(name.isEmpty());
        name[0] = name[0].toUpper();
        EXPECT_TRUE(text.contains(name)) << name.toStdString();
        EXPECT_TRUE(text.contains("Prénom : ____"));
        EXPECT_TRUE(text.contains("Relie les points de 1 à " +
                                  QString::number(theme.NombrePoints(static_cast<std::uint32_t>(page - 1))) + "."));
        EXPECT_EQ(PageNumbers(text), QStringList{QString::number(page)});
        EXPECT_FALSE(text.contains("Solutions"));
    }
    EXPECT_TRUE(PdfText(pdf, 12).contains("Solutions"));
    EXPECT_TRUE(PdfText(pdf, 13).contains("page 11"));

    // Page 2 is the egg's dots, scaled to the page below its header: each dot
    // of theme.dat is found black where the bitmap scaled the same way puts it.
    constexpr int kDpi = 150;
    const QImage page = PdfPage(pdf, 2, kDpi, out.file("points"));
    ASSERT_FALSE(page.isNull());
    const QImage bitmap = BitmapImage(kFarm + "Points01.bmp");
    // The header (12 mm of margin and 21 mm of text) and the foot (20 mm) hold words.
    const QRect onPage = InkBox(page, 34 * kDpi / 25, page.height() - 20 * kDpi / 25);
    const QRect inBitmap = InkBox(bitmap, 0, bitmap.height());
    const double scale = static_cast<double>(onPage.width()) / inBitmap.width();
    EXPECT_NEAR(onPage.height(), inBitmap.height() * scale, 3);
    const int count = theme.NombrePoints(1);
    ASSERT_GT(count, 5);
    EXPECT_GT(qGray(page.pixel(onPage.center())), 200);  // the middle of the egg is bare
    for (int point = 1; point <= count; ++point) {
        const ThemePoint dot = theme.Point(1, static_cast<std::uint32_t>(point));
        const int x = onPage.left() + static_cast<int>((dot.X + 0.5 - inBitmap.left()) * scale);
        const int y = onPage.top() + static_cast<int>((dot.Y + 0.5 - inBitmap.top()) * scale);
        EXPECT_LT(qGray(page.pixel(x, y)), 40) << "point " << point << " en " << x << ", " << y;
    }
    // Smooth, not the bitmap's steps.
    const double share = AxisAlignedEdgeShare(PdfPage(pdf, 2, 300, out.file("lisse")));
    EXPECT_LT(share, 0.4);
    EXPECT_GT(share, 0.0);
}

TEST(Booklet, FoldedBookPutsEachPageBesideItsPartner)
{
    TempDir out;
    const std::string pdf = MadeBooklet(out, "livret.pdf", {"--theme", "Compter", "--mise-en-page", "livret", "--papier", "A4"});
    // 13 pages made up to 16: four A4 sheets, both sides. Each side holds a
    // page and the one that faces it once the pile is folded (their numbers
    // add up to 17), the higher on the left of the front of a sheet.
    ASSERT_EQ(PdfPages(pdf), 8);
    const QStringList expected[8][2] = {{{}, {}},       {{"2"}, {}},     {{}, {"3"}},      {{"4"}, {"13"}},
                                        {{"12"}, {"5"}}, {{"6"}, {"11"}}, {{"10"}, {"7"}}, {{"8"}, {"9"}}};
    for (int side = 0; side < 8; ++side) {
        SCOPED_TRACE(side + 1);
        // An A4 landscape sheet is 842 × 595 points; its halves are A5 pages.
        EXPECT_EQ(PageNumbers(PdfText(pdf, side + 1, QRect(0, 0, 421, 595))), expected[side][0]);
        EXPECT_EQ(PageNumbers(PdfText(pdf, side + 1, QRect(421, 0, 421, 595))), expected[side][1]);
    }
    EXPECT_TRUE(PdfText(pdf, 1, QRect(421, 0, 421, 595)).contains("Prénom"));  // the cover, on the front
    EXPECT_TRUE(PdfText(pdf, 8, QRect(0, 0, 421, 595)).contains("Relie les points de 5 en 5, de 5 à 100."));
}

TEST(Booklet, ColouringBookAndTeachersAnswersApart)
{
    TempDir out;
    const std::string pdf =
        MadeBooklet(out, "Cahier.pdf", {"--theme", "Alphabet", "--solutions", "a-part", "--mise-en-page", "portrait"});
    EXPECT_EQ(PdfPages(pdf), 11);
    EXPECT_FALSE(PdfText(pdf, 11).contains("Solutions"));
    EXPECT_TRUE(PdfText(pdf, 9).contains("Relie les lettres de a à u."));
    const std::string answers = out.file("Cahier - solutions.pdf");
    EXPECT_EQ(PdfPages(answers), 2);
    EXPECT_TRUE(PdfText(answers, 1).contains("Solutions du cahier : Alphabet"));
    const QImage upright = PdfPage(pdf, 2, 20, out.file("portrait"));
    EXPECT_LT(upright.width(), upright.height());

    // The egg to colour, as smooth as its dots.
    const std::string colouring = MadeBooklet(out, "coloriage.pdf", {"--theme", "La ferme", "--cahier", "coloriage"});
    EXPECT_EQ(PdfPages(colouring), 11);
    EXPECT_TRUE(PdfText(colouring, 2).contains("Colorie le dessin."));
    const double share = AxisAlignedEdgeShare(PdfPage(colouring, 2, 300, out.file("lisse")));
    EXPECT_LT(share, 0.4);
    EXPECT_GT(share, 0.0);
}

TEST(Booklet, ContentToolSaysInFrenchWhatItCannotDoAndWhy)
{
    TempDir out;
    const QString pdf = QString::fromStdString(out.file("cahier.pdf"));
    struct Case {
        QStringList arguments;
        int code;
        QString said;
    };
    const std::filesystem::path locked = out.path() / "fermé";
    std::filesystem::create_directory(locked);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const QString demo = VORLANE_DEMO_DIR;
    const Case cases[] = {
        {{"cahier", demo, "--theme", "La Lune", pdf}, 1,
         "pas de thème « La Lune » dans " + demo + "/Themes ; les thèmes sont : Alphabet, Animaux, Compter"},
        {{"cahier", demo, "--theme", "Formes", "--papier", "Legal", pdf}, 2, "--papier Legal : A4 ou Letter"},
        {{"cahier", demo, "--theme", "Formes", "--mise-en-page", "plié", pdf}, 2,
         "--mise-en-page plié : paysage, portrait ou livret"},
        {{"cahier", demo, "--theme", "Formes", "--couleur", "bleu", pdf}, 2, "option inconnue : --couleur"},
        {{"cahier", demo, "--theme", "Formes", QString::fromStdString(out.file("nulle/part/cahier.pdf"))}, 1,
         "Impossible d'écrire dans " + QString::fromStdString(out.file("nulle/part/cahier.pdf")) + " : le dossier " +
             QString::fromStdString(out.file("nulle/part")) + " n'existe pas"},
        {{"cahier", demo, "--theme", "Formes", QString::fromStdString(out.path().string())}, 1, "c'est un dossier"},
        {{"cahier", demo, "--theme", "Formes", QString::fromStdString((locked / "cahier.pdf").string())}, 2,
         "Impossible d'écrire dans " + QString::fromStdString((locked / "cahier.pdf").string()) +
             " : permission refusée"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        int code = -1;
        QString errors;
        if (c.said.contains("permission") && geteuid() == 0) {
            // Root writes anywhere: the tool runs as nobody.
            RunProgram("setpriv", QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", kTool} + c.arguments,
                       &code, &errors);
        } else {
            RunProgram(kTool, c.arguments, &code, &errors);
        }
        EXPECT_EQ(code, c.code);
        EXPECT_TRUE(errors.contains(c.said)) << errors.toStdString();
    }
    EXPECT_TRUE(std::filesystem::is_empty(locked));
    EXPECT_FALSE(std::filesystem::exists(pdf.toStdString()));

    // Options after the folder or before it, in every command.
    int code = -1;
    const QString checked = RunProgram(kTool, {"check", "--strict", demo}, &code);
    EXPECT_TRUE(checked.contains("Apparences/Crayons : OK")) << checked.toStdString();
}

TEST(Booklet, UnreadablePictureIsLeftOutAndNamed)
{
    TempDir program;
    std::filesystem::create_directories(program.path() / "Themes");
    std::filesystem::copy(kFarm, program.path() / "Themes" / "La ferme");
    const std::string damaged = (program.path() / "Themes" / "La ferme" / "Points03.bmp").string();
    WriteFile(damaged, "BM ce n'est plus une image");
    const std::string pdf = program.file("cahier.pdf");
    int code = -1;
    QString errors;
    RunProgram(kTool, {"cahier", QString::fromStdString(program.path().string()), "--theme", "La ferme",
                       QString::fromStdString(pdf)},
               &code, &errors);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(errors.contains("image laissée de côté : La ferme, poussin : le fichier " + QString::fromStdString(damaged) +
                                " n'est pas une image bitmap lisible"))
        << errors.toStdString();
    ASSERT_EQ(PdfPages(pdf), 13);
    EXPECT_TRUE(PdfText(pdf, 4).contains("Cette image n'a pas pu être lue"));
}

// White shut in by ink and smaller than two pixels of the picture: a pinhole.
// The smallest counter of a letter (an e at 18 pixels) is larger; what is
// smaller than a tenth of a pixel (the tip of a 4's counter parted from it)
// is finer than a printer's dot.
int Pinholes(const QImage& render, double scale)
{
    const int width = render.width();
    const int height = render.height();
    std::vector<int> part(static_cast<std::size_t>(width) * height, 0);
    std::vector<int> pending;
    int found = 0;
    for (int start = 0; start < width * height; ++start) {
        if (part[static_cast<std::size_t>(start)] != 0 || qGray(render.pixel(start % width, start / width)) < 128)
            continue;
        bool shut = true;
        int area = 0;
        pending.assign(1, start);
        part[static_cast<std::size_t>(start)] = 1;
        while (!pending.empty()) {
            const int at = pending.back();
            pending.pop_back();
            ++area;
            const int x = at % width;
            const int y = at / width;
            shut = shut && x > 0 && y > 0 && x + 1 < width && y + 1 < height;
            for (const int next : {at - 1, at + 1, at - width, at + width}) {
                if (next < 0 || next >= width * height || (std::abs(next % width - x) > 1) ||
                    part[static_cast<std::size_t>(next)] != 0 || qGray(render.pixel(next % width, next / width)) < 128)
                    continue;
                part[static_cast<std::size_t>(next)] = 1;
                pending.push_back(next);
            }
        }
        const double pixels = area / (scale * scale);
        found += shut && pixels >= 0.1 && pixels < 2 ? 1 : 0;
    }
    return found;
}

TEST(Booklet, EveryDemoDotsPageIsPureBlackWithoutPinholesAt600Dpi)
{
    // A 704-pixel picture spans about 240 mm of a landscape A4 page: seven
    // device pixels to one of the picture at 600 dpi. The glyphs and dots lie
    // around the dots theme.dat gives; each is looked at there.
    constexpr double kScale = 7;
    constexpr int kAround = 28;
    const ContentPlaces places(VORLANE_DEMO_DIR);
    int pages = 0;
    for (const std::string& name : places.ThemeNames()) {
        const ThemeDat theme = ThemeDat::ForTheme(name, places);
        for (std::uint32_t picture = 1; picture <= static_cast<std::uint32_t>(theme.NombreImages()); ++picture) {
            SCOPED_TRACE(name + " " + std::to_string(picture));
            const QImage bitmap = BitmapImage(places.ThemeContentFile(name, PointsFileName(picture)));
            const SmoothPicture smooth(bitmap, SmoothPicture::Ink::Black);
            ++pages;
            int pinholes = 0;
            for (std::uint32_t point = 1; point <= static_cast<std::uint32_t>(theme.NombrePoints(picture)); ++point) {
                const ThemePoint dot = theme.Point(picture, point);
                const QRect around = QRect(dot.X - kAround, dot.Y - kAround, 2 * kAround, 2 * kAround) & bitmap.rect();
                QImage render(around.size() * kScale, QImage::Format_RGB32);
                render.fill(Qt::white);
                QPainter painter(&render);
                painter.setRenderHint(QPainter::Antialiasing);
                painter.translate(-around.topLeft() * kScale);
                smooth.Draw(painter, QRectF(0, 0, bitmap.width() * kScale, bitmap.height() * kScale));
                painter.end();
                pinholes += Pinholes(render, kScale);
                bool black = false;
                for (int y = 0; y < render.height(); y += 2) {
                    for (int x = 0; x < render.width(); x += 2) {
                        const QRgb pixel = render.pixel(x, y);
                        ASSERT_TRUE(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel))
                            << "point " << point << " : pas noir";
                        black = black || pixel == qRgb(0, 0, 0);
                    }
                }
                EXPECT_TRUE(black) << "point " << point;
            }
            EXPECT_EQ(pinholes, 0);
        }
    }
    EXPECT_EQ(pages, 80);
}

// A paper too small for the answers' grid gives a booklet, not a crash.
TEST(Booklet, APaperTooSmallForTheAnswersGridStillGivesItsPages)
{
    TempDir out;
    const std::string pdf = out.file("minuscule.pdf");
    MakeBooklet(ContentPlaces(VORLANE_DEMO_DIR), {"La ferme"}, {})
        ->pages.SaveAsPdf(pdf, QPageSize(QSizeF(40, 30), QPageSize::Millimeter));
    EXPECT_EQ(PdfPages(pdf), 1 + 10 + AnswerPages(10));
}

}  // namespace
}  // namespace vorlane::test
