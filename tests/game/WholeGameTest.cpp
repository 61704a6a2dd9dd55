// Whole games played through the handlers a child's mouse reaches, aimed with
// the content's own files, on the demo content and on the tests' package.
#include "GameFixture.h"

#include <QDialog>
#include <QTest>
#include <algorithm>
#include <filesystem>

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
            JoinAllDots();
            ASSERT_EQ(form.NumeroPoint, 0) << picture;
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

}  // namespace
}  // namespace vorlane::test
