// Whole games played through the handlers a child's mouse reaches, aimed with
// the content's own files, on the demo content and on the tests' package.
#include "GameFixture.h"

#include <QDialog>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <set>
#include <tuple>

#include "DemoMaker.h"
#include "content/ContentPlaces.h"
#include "content/VoiceFiles.h"
#include "display/TWave.h"

#include "print/PrintStore.h"
#include "print/zipUnzip.h"

namespace vorlane::test {
namespace {

struct GameCase {
    bool demo;
    int depth;
};

void PrintTo(const GameCase& game, std::ostream* out)
{
    *out << (game.demo ? "demo content" : "tests' package") << " at " << game.depth << " bits";
}

class WholeGameTest : public GameFixture, public testing::WithParamInterface<GameCase> {};

INSTANTIATE_TEST_SUITE_P(Contents, WholeGameTest,
                         testing::Values(GameCase{true, 32}, GameCase{true, 16}, GameCase{false, 32},
                                         GameCase{false, 16}),
                         [](const testing::TestParamInfo<GameCase>& info) {
                             return std::string(info.param.demo ? "Demo" : "Package") +
                                    std::to_string(info.param.depth);
                         });

TEST_P(WholeGameTest, ChildJoinsColoursSavesAndMovesOn)
{
    std::vector<TTheme> entries;
    if (GetParam().demo) {
        CopyDemoContent(m_dir.path().string());
        m_appearance = "Crayons";
        entries = {{"Animaux/", 1}, {"Formes/", 2}, {"Animaux/", 3}};
    } else {
        entries = {{"Essai/", 1}, {"Essai/", 2}, {"Essai/", 1}};
    }
    UsePlayList(entries);
    TfrmPrincipale& form = Start(GetParam().depth);
    const std::string themeFolder = ThemeFolder(entries[0].ThemeDir.substr(0, entries[0].ThemeDir.size() - 1));
    const std::uint32_t picture = static_cast<std::uint32_t>(entries[0].PictureNo);
    std::vector<int> sounds;

    // Every dot joined: the finished picture to colour, marked for printing.
    const std::size_t dots = Points().size();
    ASSERT_GE(dots, 2u);
    ASSERT_FALSE(ReadPrintableMark(themeFolder + "theme.dat", ImageSection(picture)));
    JoinAllDots();
    ASSERT_EQ(form.NumeroPoint, 0);
    sounds.insert(sounds.end(), dots - 1, 2);
    EXPECT_EQ(form.ListeWav.PlayRecord(), sounds) << "no hit sound on the last dot";
    EXPECT_TRUE(ReadPrintableMark(themeFolder + "theme.dat", ImageSection(picture)));
    EXPECT_TRUE(SameImage(*form.DXDessinSurface, LoadBitmap(themeFolder + ImageFileName(picture))));
    EXPECT_TRUE(SameImage(*form.DXCadreSurface, LoadBitmap(AppearanceFolder() + "F_Coloriage.qrvi")));
    EXPECT_TRUE(form.Fills().empty());

    // Colours from the palette, each into a region of its own.
    const std::vector<std::uint32_t> colours = PaletteColours();
    const std::vector<QPoint> regions = RegionPoints();
    ASSERT_GE(colours.size(), 3u);
    ASSERT_GE(regions.size(), 2u);
    for (std::size_t i = 0; i < regions.size() && i < 4; ++i) {
        const std::uint32_t colour = colours[(3 * i + 1) % colours.size()];
        ClickAt(PalettePoint(colour));
        EXPECT_EQ(form.CouleurColoriage, AtDepth(colour));
        ClickPicture(regions[i].x(), regions[i].y());
        EXPECT_EQ(PictureColour(regions[i]), AtDepth(colour)) << i;
        sounds.insert(sounds.end(), {8, 8});
    }
    EXPECT_EQ(form.Fills().size(), std::min<std::size_t>(regions.size(), 4));

    // Next, confirmed: the coloured picture is saved as it is on the screen.
    TDirectDrawSurface coloured(form.DXPrincipale);
    coloured.SetSize(form.DXDessinSurface->Width(), form.DXDessinSurface->Height());
    coloured.DrawSurface(0, 0, form.DXDessinSurface.get(), Transparency::Opaque);
    ClickAt(ZonePoint(kNextZone));
    EXPECT_TRUE(form.ConfirmShown);
    ClickAt(PanelPoint(kYesZone));
    sounds.insert(sounds.end(), {7, 0});
    TDIB saved;
    UnzipBitmap(themeFolder + CouleurFileName(picture), saved);
    EXPECT_TRUE(SameImage(coloured, saved));
    EXPECT_EQ(PlayIndex, 2);
    EXPECT_EQ(form.NumeroPoint, 1);
    EXPECT_FALSE(form.ConfirmShown);

    // At point 1 the buttons act at once, wrapping around the PlayList.
    ClickAt(ZonePoint(kPreviousZone));
    EXPECT_EQ(PlayIndex, 1);
    ClickAt(ZonePoint(kPreviousZone));
    EXPECT_EQ(PlayIndex, 3);
    ClickAt(ZonePoint(kNextZone));
    EXPECT_EQ(PlayIndex, 1);
    ClickAt(ZonePoint(kEraseZone));
    EXPECT_EQ(PlayIndex, 1);
    EXPECT_FALSE(form.ConfirmShown);
    sounds.insert(sounds.end(), {6, 6, 7, 5});

    // Once a dot is joined they ask first.
    const ThemePoint first = Points()[0];
    ClickPicture(first.X, first.Y);
    ClickAt(ZonePoint(kPreviousZone));
    EXPECT_EQ(PlayIndex, 1);
    ClickAt(PanelPoint(kYesZone));
    EXPECT_EQ(PlayIndex, 3);
    const ThemePoint third = Points()[0];
    ClickPicture(third.X, third.Y);
    ClickAt(ZonePoint(kStopZone));
    ClickAt(PanelPoint(kNoZone));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.NumeroPoint, 2);
    ClickAt(ZonePoint(kEraseZone));
    ClickAt(PanelPoint(kYesZone));
    EXPECT_EQ(PlayIndex, 3);
    EXPECT_EQ(form.NumeroPoint, 1);
    ClickAt(ZonePoint(kStopZone));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(m_launcherShown, 1);
    sounds.insert(sounds.end(), {2, 6, 0, 2, 4, 1, 5, 0, 4});
    EXPECT_EQ(form.ListeWav.PlayRecord(), sounds);
    EXPECT_TRUE(m_errors.empty());
}

// A tablet: each tap is judged, and the pointer drawn, where the finger
// lands; the dots, the palette and the fills all work by taps alone.
TEST_F(GameFixture, ChildPlaysByTapsAlone)
{
    TfrmPrincipale& form = Start();
    QDialog box(&form);
    for (const ThemePoint& point : Points()) {
        const QPoint finger = PictureMouse(point.X, point.Y);
        if (form.NumeroPoint == 2) {
            // The system pointer reaches the spot while a box holds the game:
            // Qt then makes no move of its own before the tap there.
            box.open();
            QTest::mouseMove(&form, ViewPoint(finger));
            box.close();
        }
        Tap(finger);
        EXPECT_LE((QPoint(form.MouseX, form.MouseY) - finger).manhattanLength(), 2);
    }
    ASSERT_EQ(form.NumeroPoint, 0);
    Tap(PalettePoint(kPaletteColours[2]));
    Tap(PictureMouse(50, 50));
    EXPECT_EQ(PictureColour({50, 50}), kPaletteColours[2]);
}

// The easiest and the hardest picture of every demo theme, played to the end
// (every dot joined, a region filled, saved), the appearances taken in turn.
TEST_F(GameFixture, EveryDemoThemeIsPlayedFromItsFirstToItsLastPicture)
{
    const std::filesystem::path demo(VORLANE_PROGRAM_DIR);
    std::vector<std::string> themes;
    std::vector<std::string> appearances;
    for (const auto& entry : std::filesystem::directory_iterator(demo / "Themes"))
        themes.push_back(entry.path().filename().string());
    for (const auto& entry : std::filesystem::directory_iterator(demo / "Apparences"))
        appearances.push_back(entry.path().filename().string());
    std::sort(themes.begin(), themes.end());
    std::sort(appearances.begin(), appearances.end());
    CopyDemoContent(m_dir.path().string());
    for (std::size_t t = 0; t < themes.size(); ++t) {
        SCOPED_TRACE(themes[t]);
        const std::string folder = ThemeFolder(themes[t]);
        const int last = ThemeDat(folder + "theme.dat").NombreImages();
        m_appearance = appearances[t % appearances.size()];
        UsePlayList({{themes[t] + "/", 1}, {themes[t] + "/", last}});
        TfrmPrincipale& form = Start(32);
        for (const int picture : {1, last}) {
            form.ListeVoix.ClearPlayRecord();
            const std::size_t dots = Points().size();
            JoinAllDots();
            ASSERT_EQ(form.NumeroPoint, 0) << picture;
            const std::vector<int>& said = form.ListeVoix.PlayRecord();
            EXPECT_EQ(static_cast<std::size_t>(std::count(said.begin(), said.end(), 0)), dots)
                << picture << ": every dot's label said";
            const std::uint32_t colour = PaletteColours()[5];
            const std::vector<QPoint> regions = RegionPoints();
            ASSERT_FALSE(regions.empty());
            const QPoint region = regions[regions.size() / 2];
            ClickAt(PalettePoint(colour));
            ClickPicture(region.x(), region.y());
            EXPECT_EQ(PictureColour(region), AtDepth(colour)) << picture;
            ClickAt(ZonePoint(kNextZone));
            ClickAt(PanelPoint(kYesZone));
            EXPECT_TRUE(std::filesystem::exists(folder + CouleurFileName(static_cast<std::uint32_t>(picture))));
        }
        EXPECT_EQ(PlayIndex, 1);
        ClickAt(ZonePoint(kStopZone));
        EXPECT_FALSE(form.isVisible());
    }
    EXPECT_GE(themes.size(), 8u);
    EXPECT_GE(appearances.size(), 2u);
    EXPECT_TRUE(m_errors.empty()) << m_errors.front();
}

// Every label the demo themes print and every picture's name has its file in
// the program's voice, and so has every number from 0 to 200 and every
// letter: a theme of one's own counting by 10 up to 200, or in small letters,
// is said too.
TEST(DemoVoice, EveryLabelAndNameHasAFileThatReads)
{
    const std::string program = std::string(VORLANE_PROGRAM_DIR) + "/";
    const ContentPlaces places(program);
    std::set<std::string> files;
    for (const std::string& label : ShippedVoiceLabels())
        files.insert(LabelVoiceFileName(label));
    std::size_t names = 0;
    for (const std::string& theme : places.ThemeNames()) {
        const ThemeDat dat = ThemeDat::ForTheme(theme, places);
        for (std::uint32_t picture = 1; picture <= static_cast<std::uint32_t>(dat.NombreImages()); ++picture) {
            for (std::uint32_t point = 1; point <= static_cast<std::uint32_t>(dat.NombrePoints(picture)); ++point)
                files.insert(LabelVoiceFileName(dat.Etiquette(picture, point)));
            if (!dat.Titre(picture).empty()) {
                files.insert(NameVoiceFileName(dat.Titre(picture)));
                ++names;
            }
        }
    }
    EXPECT_EQ(names, 80u);
    EXPECT_EQ(files.size(), 201u + 26 + 26 + names) << "the demo says nothing the shipped voice lacks";
    for (const std::string& file : files) {
        const std::string path = places.VoiceFiles(file).back();
        EXPECT_TRUE(path.starts_with(program + "Voix/")) << path;
        TWave wave;
        EXPECT_NO_THROW(wave.LoadWaveFile(path)) << file;
        EXPECT_EQ(wave.Format().channels, 1) << file;
        EXPECT_GT(wave.FrameCount(), wave.Format().samplesPerSec / 10) << file << " says something";
        EXPECT_LT(wave.FrameCount(), wave.Format().samplesPerSec * 2) << file << " is trimmed";
    }
}

// Each crayon of both demo appearances answers a click anywhere on its
// picture (a pencil's wood and tip, a bottle's cork, neck, highlight and
// edge) and within a few pixels of it; a click on nothing beside them leaves
// the colour as it was and plays the miss sound.
class CrayonsTest : public GameFixture, public testing::WithParamInterface<std::tuple<std::string, int>> {};

INSTANTIATE_TEST_SUITE_P(AppearancesAndDepths, CrayonsTest,
                         testing::Combine(testing::Values("Crayons", "Nuit"), testing::Values(32, 16)),
                         [](const auto& info) {
                             return std::get<0>(info.param) + std::to_string(std::get<1>(info.param));
                         });

TEST_P(CrayonsTest, EveryCrayonAnswersOverItsPictureAndMargin)
{
    const auto& [appearance, depth] = GetParam();
    const auto recipes = DemoAppearances();
    const auto recipe = std::find_if(recipes.begin(), recipes.end(),
                                     [&](const AppearanceRecipe& r) { return r.folder.toStdString() == appearance; });
    ASSERT_NE(recipe, recipes.end());
    const auto& palette = recipe->palette;

    // Which crayon's picture covers each screen pixel, as the recipe draws it.
    constexpr int kWidth = 1024;
    constexpr int kHeight = 768;
    std::vector<int> drawn(kWidth * kHeight, -1);
    QRect band;
    const QRect cell = SwatchBounds(palette).toAlignedRect().adjusted(-8, -8, 8, 8);  // with the outlines
    for (std::size_t i = 0; i < palette.colours.size(); ++i) {
        const int column = static_cast<int>(i) % palette.columns;
        const int row = static_cast<int>(i) / palette.columns;
        const QPoint at = (palette.origin + QPointF(column * palette.step.x(), row * palette.step.y())).toPoint();
        QImage alone(cell.size(), QImage::Format_ARGB32_Premultiplied);
        alone.fill(Qt::transparent);
        QPainter painter(&alone);
        ShapeContext place;
        place.toPixels = QTransform::fromTranslate(-cell.x(), -cell.y());
        place.swatch = palette.colours[i];
        DrawShapes(painter, palette.art, place);
        painter.end();
        for (int y = 0; y < alone.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(alone.constScanLine(y));
            for (int x = 0; x < alone.width(); ++x)
                if (qAlpha(line[x]) != 0) {
                    const QPoint screen = at + cell.topLeft() + QPoint(x, y);
                    drawn[static_cast<std::size_t>(screen.y() * kWidth + screen.x())] = static_cast<int>(i);
                    band |= QRect(screen, QSize(1, 1));
                }
        }
    }
    // The crayons within `radius` of a pixel.
    const auto near = [&](int x, int y, int radius) {
        std::set<int> crayons;
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
                if (dx * dx + dy * dy <= radius * radius && QRect(0, 0, kWidth, kHeight).contains(x + dx, y + dy))
                    if (const int c = drawn[static_cast<std::size_t>((y + dy) * kWidth + x + dx)]; c >= 0)
                        crayons.insert(c);
        return crayons;
    };

    CopyDemoContent(m_dir.path().string());
    m_appearance = appearance;
    UsePlayList({{"Formes/", 1}});
    TfrmPrincipale& form = Start(depth);
    JoinAllDots();
    ASSERT_EQ(form.NumeroPoint, 0);
    const int margin = palette.margin - 1;  // a pixel short: the nearer crayon takes a tie
    int onCrayons = 0;
    int onNothing = 0;
    for (int y = band.top() - margin; y <= band.bottom() + margin; y += 3)
        for (int x = band.left() - margin; x <= band.right() + margin; x += 3) {
            const int own = drawn[static_cast<std::size_t>(y * kWidth + x)];
            const std::set<int> close = near(x, y, margin);
            const bool nothing = near(x, y, palette.margin + 2).empty();
            if (own < 0 && close.size() != 1 && !nothing)
                continue;  // between two crayons, or at the margin's very edge
            const std::uint32_t before = form.CouleurColoriage;
            form.ListeWav.ClearPlayRecord();
            ClickAt(HotspotMouse(QPoint(x, y)));
            if (nothing) {
                ASSERT_EQ(form.CouleurColoriage, before) << "nothing at " << x << ", " << y;
                ASSERT_EQ(form.ListeWav.PlayRecord(), std::vector<int>{3}) << x << ", " << y;
                ++onNothing;
                continue;
            }
            const int crayon = own >= 0 ? own : *close.begin();
            const QColor colour = palette.colours[static_cast<std::size_t>(crayon)];
            ASSERT_EQ(form.CouleurColoriage,
                      AtDepth(static_cast<std::uint32_t>(colour.red() | colour.green() << 8 | colour.blue() << 16)))
                << "crayon " << crayon << " at " << x << ", " << y << (own >= 0 ? " (its picture)" : " (its margin)");
            ++onCrayons;
        }
    EXPECT_GT(onCrayons, 1000);
    if (appearance == "Nuit") {
        EXPECT_GT(onNothing, 50) << "the night's bottles stand apart";
    }
}

}  // namespace
}  // namespace vorlane::test
