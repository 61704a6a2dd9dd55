// The picture judge on pages drawn here: each criterion broken by one small
// change to a good page, and odd pages judged without a fault of their own.
#include "DrawnPage.h"

#include "display/TDIB.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <functional>
#include <numbers>

namespace vorlane::test {
namespace {

void Paint(QImage& image, const std::function<void(QPainter&)>& draw)
{
    QPainter painter(&image);
    draw(painter);
}

// A filled disc (or a ring) at `at` on both pictures, as a detail of the drawing.
void Detail(JudgedPage& page, QPointF at, double radius, bool filled)
{
    for (QImage* image : {&page.dotsPicture, &page.finishedPicture})
        Paint(*image, [&](QPainter& painter) {
            painter.setPen(filled ? QPen(Qt::NoPen) : QPen(Qt::black, 2));
            painter.setBrush(filled ? QBrush(Qt::black) : QBrush(Qt::NoBrush));
            painter.drawEllipse(at, radius, radius);
        });
}

QPointF Outward(const JudgedPage& page, int dot)
{
    return (QPointF(page.dots[static_cast<std::size_t>(dot - 1)]) - kRingCentre) / kRingRadius;
}

// A label drawn by hand, its ink centred on `centre`, on the dots page.
void LabelAt(JudgedPage& page, const QString& text, QPointF centre)
{
    Paint(page.dotsPicture, [&](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath glyphs;
        glyphs.addText(0, 0, ContentFont(18), text);
        painter.fillPath(glyphs.translated(centre - glyphs.boundingRect().center()), DotColour());
    });
}

// Label 5 of the ring moved outside the side from dot 5 to dot 6, to where
// dot 6 is `ratio` times as far from its centre as dot 5.
void LabelFiveAt(JudgedPage& page, double ratio)
{
    const QPointF five = page.dots[4], six = page.dots[5];
    Paint(page.dotsPicture, [&](QPainter& painter) {
        painter.fillRect(QRectF(five + Outward(page, 5) * 18 - QPointF(12, 12), QSizeF(24, 24)), Qt::white);
    });
    const QPointF side = six - five;
    const double length = std::hypot(side.x(), side.y());
    const QPointF along = side / length, out(along.y(), -along.x());
    const QPointF outward = QPointF::dotProduct(out, Outward(page, 5)) > 0 ? out : -out;
    QPointF best;
    double nearest = 1e9;
    for (double t = 0; t <= length / 2; t += 0.25) {
        const QPointF centre = five + along * t + outward * 20;
        const QPointF toFive = centre - five, toSix = centre - six;
        const double off = std::abs(std::hypot(toSix.x(), toSix.y()) / std::hypot(toFive.x(), toFive.y()) - ratio);
        if (off < nearest) {
            nearest = off;
            best = centre;
        }
    }
    LabelAt(page, QStringLiteral("5"), best);
}

// A square with dots 4 and 5 on its bottom side.
PageSketch Square()
{
    PageSketch sketch;
    sketch.corners = QPolygonF({{200, 150}, {500, 150}, {500, 400}, {390, 400}, {350, 400}, {200, 400}});
    return sketch;
}

// A line drawn on both pictures.
void Line(JudgedPage& page, QPointF from, QPointF to, double width = 3)
{
    for (QImage* image : {&page.dotsPicture, &page.finishedPicture})
        Paint(*image, [&](QPainter& painter) {
            painter.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(from, to);
        });
}

// A grid of `rows` by `columns` cells `cell` px wide drawn in the ring: a
// window's panes, the bricks of a wall, or, tight, a knot of scribbles.
std::function<void(JudgedPage&)> Grid(int rows, int columns, double cell = 18, double width = 3)
{
    return [=](JudgedPage& page) {
        const QPointF corner = kRingCentre - QPointF(cell * columns, cell * rows) / 2;
        for (int r = 0; r <= rows; ++r)
            Line(page, corner + QPointF(0, cell * r), corner + QPointF(cell * columns, cell * r), width);
        for (int c = 0; c <= columns; ++c)
            Line(page, corner + QPointF(cell * c, 0), corner + QPointF(cell * c, cell * rows), width);
    };
}

// A blob where four lines meet.
void BlobAt(JudgedPage& page, QPointF at)
{
    Line(page, at - QPointF(6, 0), at + QPointF(6, 0), 11);
    for (const QPointF way : {QPointF(0, -20), QPointF(0, 20), QPointF(-20, 0), QPointF(20, 0)})
        Line(page, at, at + way, 5);
}

// `count` blobs, in a zigzag across the ring.
std::function<void(JudgedPage&)> Blobs(int count)
{
    return [count](JudgedPage& page) {
        for (int i = 0; i < count; ++i)
            BlobAt(page, kRingCentre + QPointF(-100 + 40 * i, i % 2 == 0 ? -50 : 50));
    };
}

// The outline of the picture to colour cut `width` pixels wide just past dot 11.
std::function<void(JudgedPage&)> BreakOutline(double width)
{
    return [width](JudgedPage& page) {
        Paint(page.finishedPicture, [width](QPainter& painter) {
            painter.translate(OnRing(10.3 / 16));
            painter.rotate(360 * 10.3 / 16);
            painter.fillRect(QRectF(-width / 2, -8, width, 16), Qt::white);
        });
    };
}

struct Spoiling {
    const char* name;
    Criterion criterion;
    PageSketch sketch;
    std::function<void(JudgedPage&)> spoil;  // none: the page as sketched
    bool passes;                             // the criterion still holds
    std::vector<int> dots;                   // among the dots named
    const char* reason = "";                 // what the verdict says of it
    std::size_t places = 0;                  // places it marks, at least
};

const std::vector<Spoiling>& Spoilings()
{
    static const std::vector<Spoiling> cases = {
        {"the closing stretch left to the child", Criterion::Similarity, {16, 6, 18, false, {}}, nullptr, false, {16},
         "le trait de l'enfant s'écarte du contour du dessin"},
        {"a piece of the drawing only on the finished picture", Criterion::Similarity, {},
         [](JudgedPage& page) {
             Paint(page.finishedPicture, [](QPainter& painter) {
                 painter.setPen(QPen(Qt::black, 4));
                 painter.drawRect(QRectF(kRingCentre + QPointF(150, 100), QSizeF(120, 120)));
             });
         },
         false, {5}, "le trait de l'enfant s'écarte du contour du dessin"},
        {"a label moved beside the next dot", Criterion::Labels, {},
         [](JudgedPage& page) {
             const QPointF five = page.dots[4], six = page.dots[5];
             Paint(page.dotsPicture, [&](QPainter& painter) {
                 painter.fillRect(QRectF(five + Outward(page, 5) * 18 - QPointF(12, 12), QSizeF(24, 24)), Qt::white);
                 painter.setRenderHint(QPainter::Antialiasing);
                 DrawLabel(painter, QStringLiteral("5"), six, (six - five) / std::hypot(six.x() - five.x(), six.y() - five.y()), 10, 18);
             });
         },
         false, {5}, "pas de numéro à côté : point 5"},
        {"a label crossed by a line", Criterion::Labels, {},
         [](JudgedPage& page) {
             const QPointF label = QPointF(page.dots[8]) + Outward(page, 9) * 18;
             for (QImage* image : {&page.dotsPicture, &page.finishedPicture})
                 Paint(*image, [&](QPainter& painter) {
                     painter.setPen(QPen(Qt::black, 3));
                     painter.drawLine(label + QPointF(-30, 0), label + QPointF(30, 0));
                 });
         },
         false, {9}, "numéro qui touche un trait : point 9"},
        {"a label 1.2 times as far from the next dot", Criterion::Labels, {},
         [](JudgedPage& page) { LabelFiveAt(page, 1.2); }, false, {5, 6},
         "le numéro du point 5 est presque aussi près du point 6"},
        {"a label twice as far from the next dot", Criterion::Labels, {},
         [](JudgedPage& page) { LabelFiveAt(page, 2); }, true, {}},
        {"two labels side by side", Criterion::Labels, Square(),
         [](JudgedPage& page) {
             Paint(page.dotsPicture, [](QPainter& painter) { painter.fillRect(QRectF(335, 405, 70, 30), Qt::white); });
             QPainterPath four;
             four.addText(0, 0, ContentFont(18), QStringLiteral("4"));
             const QRectF ink = four.boundingRect();
             const double gap = 0.42 * ink.height();
             LabelAt(page, QStringLiteral("5"), QPointF(370 - gap / 2 - ink.width() / 2, 418));
             LabelAt(page, QStringLiteral("4"), QPointF(370 + gap / 2 + ink.width() / 2, 418));
         },
         false, {4, 5}, "les numéros des points 4 et 5 se lisent comme un seul nombre"},
        // Each beside its own dot, but facing the other with no dot between.
        {"two labels facing each other between their dots", Criterion::Labels,
         {0, 6, 18, true, QPolygonF({{200, 150}, {500, 150}, {500, 400}, {420, 400}, {320, 400}, {200, 400}})},
         [](JudgedPage& page) {
             Paint(page.dotsPicture, [](QPainter& painter) { painter.fillRect(QRectF(290, 405, 160, 30), Qt::white); });
             LabelAt(page, QStringLiteral("5"), QPointF(350, 418));
             LabelAt(page, QStringLiteral("4"), QPointF(390, 418));
         },
         false, {4, 5}, "les numéros des points 4 et 5 se lisent comme un seul nombre"},
        {"a stroke of a label's size beside a dot", Criterion::Labels, {},
         [](JudgedPage& page) { LabelAt(page, QStringLiteral("7"), QPointF(page.dots[8]) + QPointF(-30, 20)); },
         false, {9}, "une marque de la taille d'un numéro près du point 9"},
        {"an eye filled black", Criterion::LookAlikes, {},
         [](JudgedPage& page) { Detail(page, kRingCentre + QPointF(-60, -40), 7, true); }, false, {},
         "1 tache ronde qu'on prendrait pour un point"},
        {"a blob where lines meet, against a dot", Criterion::LookAlikes, {},
         [](JudgedPage& page) { BlobAt(page, QPointF(page.dots[8]) + (kRingCentre - page.dots[8]) * 0.075); }, false,
         {9}, "une tache d'encre collée au point 9 se confond avec lui", 1},
        {"an eye drawn as a ring", Criterion::LookAlikes, {},
         [](JudgedPage& page) { Detail(page, kRingCentre + QPointF(-60, -40), 7, false); }, true, {}},
        {"two dots joined in the wrong order", Criterion::CleanPath, {},
         [](JudgedPage& page) { std::swap(page.dots[4], page.dots[5]); }, false, {5, 6}, "le trait se croise"},
        {"a path that turns back", Criterion::CleanPath, {},
         [](JudgedPage& page) { page.dots[7] = page.dots[5]; }, false, {7}, "le trait revient sur lui-même : point 7"},
        {"out along a thin spike and back", Criterion::CleanPath,
         {0, 6, 18, true, QPolygonF({{200, 150}, {450, 150}, {450, 272}, {488, 280}, {450, 288}, {450, 400}, {200, 400}})},
         nullptr, false, {4}, "le trait part et revient le long d'une partie mince : point 4"},
        // The dots cut a corner of the drawing, across a window drawn there.
        {"a side across a line drawn", Criterion::OnOutline,
         {0, 6, 18, true, QPolygonF({{100, 60}, {576, 60}, {600, 84}, {600, 500}, {100, 500}})},
         [](JudgedPage& page) {
             Paint(page.finishedPicture, [](QPainter& painter) {
                 painter.setPen(QPen(Qt::white, 6));
                 painter.drawLine(QPointF(576, 60), QPointF(600, 84));
                 painter.setPen(QPen(Qt::black, 4));
                 painter.drawPolyline(QPolygonF({{576, 60}, {600, 60}, {600, 84}}));
             });
             Line(page, QPointF(578, 82), QPointF(596, 64));
         },
         false, {2, 3}, "le trait de l'enfant coupe un trait du dessin entre les points 2–3"},
        {"a picture to colour open to the background", Criterion::Colouring, {}, BreakOutline(3), false, {11},
         "le contour de l'image à colorier est ouvert près du point 11"},
        // Broken along a stretch the eye still closes, far wider than the
        // few pixels a closing mends.
        {"an outline broken along a stretch", Criterion::Colouring, {}, BreakOutline(28), false, {11},
         "le contour de l'image à colorier est ouvert près du point 11", 1},
        {"a line stopping short of another", Criterion::Colouring, {},
         [](JudgedPage& page) {
             const double reach = std::sqrt(198.0 * 198.0 - 30.0 * 30.0);
             Line(page, kRingCentre + QPointF(-reach - 4, -30), kRingCentre + QPointF(reach - 3, -30), 4);
         },
         false, {5}, "une fente dans l'image à colorier près du point 5"},
        {"crumbs scattered inside the outline", Criterion::GivenAway, {},
         [](JudgedPage& page) {
             for (int i = 0; i < 8; ++i) {
                 const QPointF at = kRingCentre + QPointF(-90 + 60 * (i % 4), i < 4 ? -60 : 60);
                 Line(page, at, at + QPointF(6, 4), 4);
             }
         },
         false, {}, "des petites marques éparses", 8},
        // Strokes as small, but each beside the disc they shine from.
        {"a sun's rays", Criterion::GivenAway, {},
         [](JudgedPage& page) {
             Detail(page, kRingCentre, 20, false);
             for (int i = 0; i < 8; ++i) {
                 const QPointF towards(std::cos(i * std::numbers::pi / 4), std::sin(i * std::numbers::pi / 4));
                 Line(page, kRingCentre + towards * 27, kRingCentre + towards * 40);
             }
         },
         true, {}},
        {"a wall of small bricks", Criterion::GivenAway, {}, Grid(3, 4), false, {}, "encombrent le dessin", 12},
        {"a window of nine panes", Criterion::GivenAway, {}, Grid(3, 3), true, {}},
        {"a knot of scribbled strokes", Criterion::GivenAway, {}, Grid(4, 4, 5, 2), false, {}, "des nœuds", 4},
        {"blobs where lines meet", Criterion::GivenAway, {}, Blobs(6), false, {}, "des pâtés d'encre", 6},
        // Each within its limit, together past what the eye takes.
        {"nine panes and four blobs", Criterion::GivenAway, {},
         [](JudgedPage& page) {
             Grid(3, 3)(page);
             Blobs(4)(page);
         },
         false, {}, "le dessin est trop chargé", 13},
        {"strokes drawn heavy", Criterion::GivenAway, {},
         [](JudgedPage& page) {
             for (const double y : {-60.0, 0.0, 60.0})
                 Line(page, kRingCentre + QPointF(-100, y), kRingCentre + QPointF(100, y), 14);
         },
         false, {}, "des traits trop épais", 3},
        {"ten dots drawn small", Criterion::Sizes, {10, 6, 18, true, {}}, nullptr, false, {}, "points et numéros trop petits"},
        {"ten dots drawn small, a tall stroke read with a number", Criterion::Sizes, {10, 6, 18, true, {}},
         [](JudgedPage& page) {
             const QRectF below(QPointF(page.dots[2]) + Outward(page, 3) * 17 + QPointF(-15, 14), QSizeF(30, 70));
             Paint(page.dotsPicture, [&](QPainter& painter) { painter.drawRect(below); });
         },
         false, {}, "points et numéros trop petits"},
        {"ten dots drawn big", Criterion::Sizes, {10, 9, 26, true, {}}, nullptr, true, {}},
    };
    return cases;
}

TEST(PictureJudge, AGoodPagePassesEveryCriterion)
{
    const PageVerdict verdict = PictureJudge::Judge(DrawPage());
    EXPECT_EQ(verdict.Line(), "Qualité : bonne");
    EXPECT_LT(verdict[Criterion::Similarity].figure, 3);
    EXPECT_NEAR(verdict.dotRadius, 6, 1);
    EXPECT_NEAR(verdict.shownOutline, 1.0 / 16, 0.03) << "the closing stretch only";
    EXPECT_EQ(verdict.pieces, 1);
}

TEST(PictureJudge, EachCriterionFailsOnThePageThatBreaksIt)
{
    for (const Spoiling& spoiling : Spoilings()) {
        SCOPED_TRACE(spoiling.name);
        JudgedPage page = DrawPage(spoiling.sketch);
        const bool spoilt = !spoiling.passes;
        if (spoiling.spoil)
            spoiling.spoil(page);
        const PageVerdict verdict = PictureJudge::Judge(page);
        const CriterionResult& result = verdict[spoiling.criterion];
        EXPECT_EQ(result.passed, !spoilt) << result.reason;
        EXPECT_EQ(verdict.Good(), !spoilt) << verdict.Line();
        for (const int dot : spoiling.dots)
            EXPECT_NE(std::find(result.dots.begin(), result.dots.end(), dot), result.dots.end()) << result.reason;
        EXPECT_GE(result.places.size(), spoiling.places);
        if (spoilt) {
            EXPECT_TRUE(verdict.Line().starts_with("Qualité : à revoir — ")) << verdict.Line();
            EXPECT_NE(result.reason.find(spoiling.reason), std::string::npos) << result.reason;
            EXPECT_NE(verdict.Line().find(result.reason), std::string::npos) << verdict.Line();
            EXPECT_FALSE(verdict.suggestion.empty());
            // What clutters the dots page is rubbed out.
            if (spoiling.criterion == Criterion::GivenAway) {
                EXPECT_NE(verdict.suggestion.find("Gommez"), std::string::npos) << verdict.suggestion;
            }
        }
    }
}

// Each odd page is told for what is odd about it, not for whatever else fails.
TEST(PictureJudge, OddPagesAreJudgedNotFatal)
{
    JudgedPage page = DrawPage();
    const struct {
        const char* name;
        std::function<void(JudgedPage&)> oddity;
        const char* reason;
    } oddities[] = {
        {"no dots", [](JudgedPage& p) { p.dots.clear(); }, "l'image n'a aucun point"},
        {"one dot", [](JudgedPage& p) { p.dots.resize(1); }, "le trait de l'enfant s'écarte du contour"},
        {"a dot outside the picture", [](JudgedPage& p) { p.dots[3] = QPoint(-500, 90000); },
         "le point 4 est hors de l'image"},
        {"a dot just past the edge", [](JudgedPage& p) { p.dots[3] = QPoint(704, 100); }, "le point 4 est hors de l'image"},
        {"empty pictures", [](JudgedPage& p) { p.dotsPicture = QImage(); }, "l'image est vide"},
        {"blank finished picture", [](JudgedPage& p) { p.finishedPicture.fill(Qt::white); },
         "l'image finie n'a pas de contour noir"},
        {"all black", [](JudgedPage& p) { p.dotsPicture.fill(Qt::black); p.finishedPicture.fill(Qt::black); },
         "l'image finie n'a pas de contour noir"},
        {"sizes that differ", [](JudgedPage& p) { p.finishedPicture = p.finishedPicture.copy(0, 0, 300, 200); },
         "sont hors de l'image"},
        {"a huge picture", [](JudgedPage& p) { p.dotsPicture = p.dotsPicture.scaled(2600, 2100); },
         "le trait de l'enfant s'écarte du contour"},
        {"a strip", [](JudgedPage& p) { p.dotsPicture = p.finishedPicture = p.finishedPicture.scaled(5000, 1); },
         "sont hors de l'image"},
    };
    for (const auto& [name, oddity, reason] : oddities) {
        SCOPED_TRACE(name);
        JudgedPage odd = page;
        oddity(odd);
        const PageVerdict verdict = PictureJudge::Judge(odd);
        EXPECT_FALSE(verdict.Good());
        EXPECT_TRUE(verdict.Line().starts_with(std::string("Qualité : à revoir — "))) << verdict.Line();
        EXPECT_NE(verdict.Line().find(reason), std::string::npos) << verdict.Line();
    }
}

// A figure that fills all the picture the child's line leaves (half of it
// black, the line round the other half) has nowhere a part could be deeper
// than the picture is wide: no measure runs away, nor the memory it takes.
TEST(PictureJudge, APartIsNeverWiderThanThePicture)
{
    JudgedPage page;
    page.finishedPicture = QImage(22, 22, QImage::Format_Grayscale8);
    page.finishedPicture.fill(Qt::white);
    for (int y = 0; y < 22; ++y)
        std::fill_n(page.finishedPicture.scanLine(y) + 11, 11, 0);
    page.dotsPicture = QImage(22, 22, QImage::Format_Grayscale8);
    page.dotsPicture.fill(Qt::white);
    page.dots = {QPoint(0, 0), QPoint(10, 0), QPoint(10, 21), QPoint(0, 21)};
    page.lineWidth = 1;
    const PageVerdict verdict = PictureJudge::Judge(page);
    EXPECT_LE(verdict[Criterion::Parts].figure, 22) << verdict.Line();
}

// The atelier judges its page in memory; the checker, the bitmaps written.
// Drawn in a green that grey conversions disagree on, both see the same page.
TEST(PictureJudge, APageInMemoryIsJudgedAsItsBitmaps)
{
    JudgedPage inMemory = DrawPage();
    JudgedPage written = inMemory;
    for (QImage* image : {&inMemory.dotsPicture, &inMemory.finishedPicture}) {
        *image = image->convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < image->height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image->scanLine(y));
            for (int x = 0; x < image->width(); ++x) {
                const int v = qGray(line[x]);
                line[x] = qRgb(v, 200 + 55 * v / 255, v);
            }
        }
    }
    written.dotsPicture = inMemory.dotsPicture;
    written.finishedPicture = inMemory.finishedPicture;
    for (QImage* image : {&written.dotsPicture, &written.finishedPicture}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && image->save(&buffer, "BMP"));
        TDIB bitmap;
        bitmap.LoadBitmapBytes({reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
        *image = JudgedPage::GreyPicture(bitmap);
    }
    const PageVerdict fromMemory = PictureJudge::Judge(inMemory), fromFiles = PictureJudge::Judge(written);
    EXPECT_EQ(fromMemory.Line(), "Qualité : bonne");
    EXPECT_EQ(fromMemory.Line(), fromFiles.Line());
    for (std::size_t c = 0; c < kCriteria; ++c)
        EXPECT_DOUBLE_EQ(fromMemory[static_cast<Criterion>(c)].figure, fromFiles[static_cast<Criterion>(c)].figure);
}

}  // namespace
}  // namespace vorlane::test
