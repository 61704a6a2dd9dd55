// The demo content: what the game relies on, checked on the files the build
// writes, read back through the program's own readers.

#include "ContentChecker.h"
#include "DotStyle.h"
#include "ToolTestSupport.h"
#include "content/AppearanceDat.h"
#include "content/ThemeDat.h"

#include <QFontInfo>
#include <QPainter>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

using namespace vorlane;
using namespace vorlane::test;

namespace {

struct Layout {
    QPoint hotspot, picture, panel, indicator;
};

Layout ReadLayout(const std::filesystem::path& folder)
{
    const AppearanceLayout layout = AppearanceDat((folder / "apparence.dat").string()).Layout();
    return {{layout.PointeurOffsetX, layout.PointeurOffsetY},
            {layout.XDessin, layout.YDessin},
            {layout.XOuiNon, layout.YouiNon},
            {layout.XCouleur, layout.YCouleur}};
}

// The picture's lines drawn `wider` pixels wider on every side: false on the
// lines, true elsewhere. Separable, as a square grows row by row then column by column.
std::vector<bool> Clear(const QImage& image, int wider)
{
    const int w = image.width();
    const int h = image.height();
    std::vector<bool> nearLine(static_cast<std::size_t>(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (ColourAt(image, x, y) == 0)
                for (int dx = std::max(0, x - wider); dx <= std::min(w - 1, x + wider); ++dx)
                    nearLine[static_cast<std::size_t>(y * w + dx)] = true;
    std::vector<bool> clear(nearLine.size(), true);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (nearLine[static_cast<std::size_t>(y * w + x)])
                for (int dy = std::max(0, y - wider); dy <= std::min(h - 1, y + wider); ++dy)
                    clear[static_cast<std::size_t>(dy * w + x)] = false;
    return clear;
}

// The regions a click fills over `clear`, four-connected as the game fills:
// each pixel's region numbered from 1, 0 on the lines.
std::vector<int> Regions(const std::vector<bool>& clear, int w)
{
    std::vector<int> region(clear.size());
    std::vector<std::size_t> pending;
    int count = 0;
    for (std::size_t start = 0; start < clear.size(); ++start) {
        if (!clear[start] || region[start] != 0)
            continue;
        region[start] = ++count;
        pending.push_back(start);
        while (!pending.empty()) {
            const std::size_t at = pending.back();
            pending.pop_back();
            const auto visit = [&](std::size_t next) {
                if (next < clear.size() && clear[next] && region[next] == 0) {
                    region[next] = count;
                    pending.push_back(next);
                }
            };
            if (at % static_cast<std::size_t>(w) != 0)
                visit(at - 1);
            if ((at + 1) % static_cast<std::size_t>(w) != 0)
                visit(at + 1);
            visit(at - static_cast<std::size_t>(w));  // wraps past the end at the top row
            visit(at + static_cast<std::size_t>(w));
        }
    }
    return region;
}

// Pixels reachable from the image's border without crossing black, four-connected as the game fills.
std::vector<bool> Outside(const QImage& image)
{
    const int w = image.width();
    const int h = image.height();
    const std::vector<int> region = Regions(Clear(image, 0), w);
    std::set<int> border;
    for (int x = 0; x < w; ++x)
        border.insert({region[static_cast<std::size_t>(x)], region[static_cast<std::size_t>((h - 1) * w + x)]});
    for (int y = 0; y < h; ++y)
        border.insert({region[static_cast<std::size_t>(y * w)], region[static_cast<std::size_t>(y * w + w - 1)]});
    border.erase(0);
    std::vector<bool> outside(region.size());
    for (std::size_t at = 0; at < region.size(); ++at)
        outside[at] = border.count(region[at]) != 0;
    return outside;
}

// The largest number on a picture's dots; 0 for letters.
int LargestNumber(const ThemeRecipe& theme, const PictureRecipe& picture)
{
    DotOptions options;
    options.style = picture.labels.value_or(theme.labels);
    options.firstNumber = picture.firstNumber.value_or(theme.firstNumber);
    if (options.style == LabelStyle::UpperLetters || options.style == LabelStyle::LowerLetters)
        return 0;
    return DotLabel(options, static_cast<int>(picture.dots.size()) - 1).toInt();
}

// Library pages the judge calls "à revoir" for faults a parent's eye sees
// too: numbers as near another dot as their own, gaps a fill goes through in
// the picture to colour, an outline mostly drawn already. The library's own
// work mends them and empties this list; a page mended is taken off it.
const std::set<std::string> kKnownFaults = {};

// The checker's report with the known faults left out: a theme with none
// other reads "OK". Whether each known fault is still there is told too.
std::string WithoutKnownFaults(const std::string& report, std::set<std::string>& seen)
{
    std::vector<std::pair<std::string, std::vector<std::string>>> themes;  // in the report's order
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);) {
        const std::string theme = line.substr(0, line.find(" : "));
        if (themes.empty() || themes.back().first != theme)
            themes.push_back({theme, {}});
        const std::string page = line.substr(0, line.find(" : ", theme.size() + 3));
        if (kKnownFaults.count(page) != 0 && line.find(" : Qualité : à revoir") != std::string::npos)
            seen.insert(page);
        else
            themes.back().second.push_back(line);
    }
    std::string out;
    for (const auto& [theme, lines] : themes) {
        if (lines.empty())
            out += theme + " : OK\n";
        for (const std::string& line : lines)
            out += line + "\n";
    }
    return out;
}

}  // namespace


// Every package sound for the game, and every page good to the picture judge
// but the known faults: the command a theme's maker runs, at its strictest.
TEST(DemoContent, PassesTheStrictChecker)
{
    int status = -1;
    const std::string command =
        std::string(VORLANE_CONTENT_TOOL) + " check '" + DemoProgramFolder().string() + "' --strict 2>&1";
    std::set<std::string> seen;
    EXPECT_EQ(WithoutKnownFaults(CommandOutput(command, &status), seen),
              "Themes/Alphabet : OK\nThemes/Animaux : OK\nThemes/Compter : OK\nThemes/Formes : OK\n"
              "Themes/Fruits et légumes : OK\nThemes/La ferme : OK\nThemes/La mer : OK\nThemes/Véhicules : OK\n"
              "Apparences/Crayons : OK\nApparences/Nuit : OK\n");
    EXPECT_EQ(status, seen.empty() ? 0 : 1);
    for (const std::string& page : kKnownFaults)
        EXPECT_EQ(seen.count(page), 1U) << page << " is good now: take it off the known faults";
}

// The help promises every theme a ladder: the first three pictures at 6 to 12
// big dots for a three-year-old, then never fewer dots nor smaller numbers,
// up to the older child's many, the dots and numbers growing smaller by at
// most one of the atelier's steps from one picture to the next.
TEST(DemoContent, EveryThemeClimbsFromTwelveBigDots)
{
    const auto step = [](const DotSize& size) {
        const auto found = std::find_if(kDotSizeSteps.begin(), kDotSizeSteps.end(), [&](const DotSizeStep& known) {
            return known.size.radius == size.radius && known.size.labelSize == size.labelSize;
        });
        EXPECT_NE(found, kDotSizeSteps.end()) << "a size of its own: " << size.radius << ", " << size.labelSize;
        return found - kDotSizeSteps.begin();
    };
    for (const ThemeRecipe& theme : DemoThemes()) {
        SCOPED_TRACE(theme.folder.toStdString());
        ASSERT_GE(theme.pictures.size(), 10u);
        std::size_t previousCount = 0;
        int previousLargest = 0;
        auto previousStep = step(kDotSizeSteps.front().size);
        for (std::size_t n = 0; n < theme.pictures.size(); ++n) {
            const PictureRecipe& picture = theme.pictures[n];
            SCOPED_TRACE(picture.name.toStdString());
            const auto size = step(SizeOf(theme, picture));
            if (n < 3) {
                EXPECT_GE(picture.dots.size(), 6u);
                EXPECT_LE(picture.dots.size(), kFewDots);
                EXPECT_EQ(size, 0) << "big dots and numbers";
            }
            EXPECT_GE(size, previousStep);
            EXPECT_LE(size, previousStep + 1);
            previousStep = size;
            EXPECT_GE(picture.dots.size(), previousCount);
            EXPECT_LE(picture.dots.size(), 50u);
            EXPECT_GE(LargestNumber(theme, picture), previousLargest);
            previousCount = picture.dots.size();
            previousLargest = LargestNumber(theme, picture);
        }
        const LabelStyle last = theme.pictures.back().labels.value_or(theme.labels);
        const bool letters = last == LabelStyle::UpperLetters || last == LabelStyle::LowerLetters;
        EXPECT_GE(previousCount, letters ? std::size_t{kMostLetterDots} : 30u);
    }
    // The labels were drawn in the beginners' typeface, not in a stand-in.
    NeedGuiApplication();
    EXPECT_EQ(QFontInfo(LabelFont(18)).family(), QStringLiteral("Andika"));
}

// The help's page of the library shows every picture with its small image, its
// name and its dots, as the build made them.
TEST(DemoContent, HelpShowsEveryPictureWithItsImageAndDots)
{
    const std::string page = ReadFile(VORLANE_PROGRAM_DIR "/Aide/dessins.html");
    for (const ThemeRecipe& theme : DemoThemes()) {
        const auto section = page.find("<h2>" + theme.folder.toStdString() + "</h2>");
        ASSERT_NE(section, std::string::npos) << theme.folder.toStdString();
        for (std::uint32_t n = 1; n <= theme.pictures.size(); ++n) {
            const PictureRecipe& picture = theme.pictures[n - 1];
            const std::string thumbnail = ThumbnailFileName(theme.folder, n);
            EXPECT_TRUE(std::filesystem::exists(DemoProgramFolder() / "Aide" / "vignettes" / thumbnail)) << thumbnail;
            const auto at = page.find("<tr><td>" + std::to_string(n) + "</td><td><img src=\"vignettes/" + thumbnail, section);
            ASSERT_NE(at, std::string::npos) << thumbnail;
            const std::string row = page.substr(at, page.find("</tr>", at) - at);
            const std::string cells = "<td>" + picture.name.toStdString() + "</td><td>" + std::to_string(picture.dots.size());
            const auto found = row.find(cells);
            ASSERT_NE(found, std::string::npos) << row;
            EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(row[found + cells.size()]))) << row;
        }
    }
}

// Each picture is named, and each dot lies on the black outline of the
// finished picture and is shown on the dots picture; the outline is closed
// around the drawing.
TEST(DemoContent, DotsLieOnClosedOutlines)
{
    for (const ThemeRecipe& theme : DemoThemes()) {
        const auto folder = DemoProgramFolder() / "Themes" / theme.folder.toStdString();
        const ThemeDat dat((folder / "theme.dat").string());
        ASSERT_EQ(dat.NombreImages(), static_cast<int>(theme.pictures.size()));
        for (std::uint32_t n = 1; n <= theme.pictures.size(); ++n) {
            SCOPED_TRACE(theme.folder.toStdString() + " " + theme.pictures[n - 1].name.toStdString());
            const QImage dots = ReadPicture(folder / PointsFileName(n));
            const QImage finished = ReadPicture(folder / ImageFileName(n));
            const int count = dat.NombrePoints(n);
            EXPECT_EQ(count, static_cast<int>(theme.pictures[n - 1].dots.size()));
            // Its name goes with it, for the print manager, the launcher and the voice.
            EXPECT_FALSE(theme.pictures[n - 1].name.isEmpty());
            EXPECT_EQ(dat.Titre(n), theme.pictures[n - 1].name.toStdString());
            for (int p = 1; p <= count; ++p) {
                const ThemePoint point = dat.Point(n, static_cast<std::uint32_t>(p));
                ASSERT_TRUE(finished.rect().contains(point.X, point.Y)) << "point " << p;
                EXPECT_EQ(ColourAt(finished, point.X, point.Y), 0u) << "point " << p << " off the outline";
                EXPECT_NE(ColourAt(dots, point.X, point.Y), 0xFFFFFFu) << "point " << p << " not drawn";
                EXPECT_GE(point.Ligne, 3);
            }

            // Inside the outline, nothing a fill can reach from the border.
            const RenderedPicture rendered = RenderPicture(theme, theme.pictures[n - 1]);
            QImage inside(finished.size(), QImage::Format_RGB32);
            inside.fill(Qt::white);
            QPainter(&inside).fillPath(rendered.outline, Qt::black);
            const std::vector<bool> outside = Outside(finished);
            long leaks = 0;
            for (int y = 0; y < finished.height(); ++y)
                for (int x = 0; x < finished.width(); ++x)
                    if (ColourAt(inside, x, y) == 0 && outside[static_cast<std::size_t>(y * finished.width() + x)])
                        ++leaks;
            EXPECT_EQ(leaks, 0);
        }
    }
}

// Each region the drawing shows closed fills alone. A gap of a pixel or two
// is invisible to a parent: the regions the eye sees are those of the picture
// with its lines a pixel wider; each of them roomy enough for a click (the
// thin wedges where two lines meet are left to the eye) must be a region of
// its own in the picture as it is.
TEST(DemoContent, EveryRegionShownFillsAlone)
{
    constexpr int kRoomForAClick = 3;  // pixels clear of any line
    for (const ThemeRecipe& theme : DemoThemes()) {
        const auto folder = DemoProgramFolder() / "Themes" / theme.folder.toStdString();
        for (std::uint32_t n = 1; n <= theme.pictures.size(); ++n) {
            SCOPED_TRACE(theme.folder.toStdString() + " " + theme.pictures[n - 1].name.toStdString());
            const QImage finished = ReadPicture(folder / ImageFileName(n));
            const int w = finished.width();
            const std::vector<int> filled = Regions(Clear(finished, 0), w);
            const std::vector<int> shown = Regions(Clear(finished, 1), w);
            const std::vector<bool> roomy = Clear(finished, kRoomForAClick);
            // For each region as filled, the regions shown in it and a pixel of each.
            std::map<int, std::map<int, std::size_t>> seen;
            for (std::size_t at = 0; at < roomy.size(); ++at)
                if (roomy[at])
                    seen[filled[at]].try_emplace(shown[at], at);
            for (const auto& [region, inside] : seen) {
                std::string where;
                for (const auto& [part, at] : inside)
                    where += " (" + std::to_string(at % w) + ", " + std::to_string(at / w) + ")";
                EXPECT_EQ(inside.size(), 1u) << "one click fills the regions at" << where;
            }
        }
    }
}

// A zone read at the mouse position must answer for what the pencil's tip
// shows: a palette zone over a crayon's own colour, the picture zone over the picture.
TEST(DemoContent, ZonesAnswerUnderThePencilTip)
{
    for (const AppearanceRecipe& recipe : DemoAppearances()) {
        SCOPED_TRACE(recipe.folder.toStdString());
        const auto folder = DemoProgramFolder() / "Apparences" / recipe.folder.toStdString();
        const Layout layout = ReadLayout(folder);
        const QImage mask = ReadPicture(folder / "MF_Principale.qrvi");
        const QImage keys = ReadPicture(folder / "M_Couleurs.qrvi");
        // The colour a palette click takes: each crayon's, over its whole picture and margin.
        const QImage crayons = ReadPicture(folder / "M_Crayons.qrvi");
        const QImage pointer = ReadPicture(folder / "C_Pointeur.qrvi");
        const QRect picture(layout.picture, recipe.picture.size());

        EXPECT_NE(ColourAt(pointer, layout.hotspot.x(), layout.hotspot.y()), 0xFFFFFFu) << "the tip is see-through";
        std::vector<std::uint32_t> palette;
        for (const QColor& colour : recipe.palette.colours)
            palette.push_back(static_cast<std::uint32_t>(colour.red() | colour.green() << 8 | colour.blue() << 16));
        EXPECT_GE(palette.size(), 20u);

        long paletteZone = 0;
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x) {
                const std::uint32_t zone = ColourAt(mask, x, y);
                const QPoint tip = QPoint(x, y) + layout.hotspot;
                if (zone == ColourAt(keys, 8, 0)) {
                    ++paletteZone;
                    const std::uint32_t picked = ColourAt(crayons, tip.x(), tip.y());
                    ASSERT_NE(std::find(palette.begin(), palette.end(), picked), palette.end())
                        << "the palette zone at " << x << ", " << y << " picks " << std::hex << picked;
                } else if (zone == ColourAt(keys, 0, 0)) {
                    ASSERT_TRUE(picture.contains(tip)) << "picture zone at " << x << ", " << y;
                }
            }
        EXPECT_GT(paletteZone, 0);
        // Every crayon can be picked.
        std::vector<std::uint32_t> pickable;
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x)
                if (ColourAt(mask, x, y) == ColourAt(keys, 8, 0))
                    pickable.push_back(ColourAt(crayons, x + layout.hotspot.x(), y + layout.hotspot.y()));
        for (const std::uint32_t colour : palette)
            EXPECT_NE(std::find(pickable.begin(), pickable.end(), colour), pickable.end()) << std::hex << colour;
    }
}

// White is see-through at every depth: the frames are opaque except over the
// picture and the colour indicator, also at 16 bits per pixel.
TEST(DemoContent, FramesAreOpaqueAroundThePicture)
{
    for (const AppearanceRecipe& recipe : DemoAppearances()) {
        SCOPED_TRACE(recipe.folder.toStdString());
        const auto folder = DemoProgramFolder() / "Apparences" / recipe.folder.toStdString();
        const Layout layout = ReadLayout(folder);
        const QRect picture(layout.picture, recipe.picture.size());
        const QImage lines = ReadPicture(folder / "F_Lignes.qrvi");
        // The indicator: the region of F_Lignes closed by black.
        const std::vector<bool> outsideIndicator = Outside(lines);
        for (const char* name : {"F_Principale.qrvi", "F_Coloriage.qrvi"}) {
            const QImage frame = ReadPicture(folder / name);
            const bool colouring = std::string(name) == "F_Coloriage.qrvi";
            long holes = 0;
            for (int y = 0; y < frame.height(); ++y)
                for (int x = 0; x < frame.width(); ++x) {
                    if (picture.contains(x, y))
                        continue;
                    const bool inIndicator = !outsideIndicator[static_cast<std::size_t>(y * frame.width() + x)] &&
                                             ColourAt(lines, x, y) != 0;
                    const bool seeThrough = To565(ColourAt(frame, x, y)) == To565(0xFFFFFF);
                    if (seeThrough != (colouring && inIndicator))
                        ++holes;
                }
            EXPECT_EQ(holes, 0) << name;
        }
        // The yes/no panel: see-through only around its rounded corners.
        const QImage panel = ReadPicture(folder / "F_Confirmation.qrvi");
        long holes = 0;
        for (int y = 24; y < panel.height() - 24; ++y)
            for (int x = 24; x < panel.width() - 24; ++x)
                holes += To565(ColourAt(panel, x, y)) == To565(0xFFFFFF) ? 1 : 0;
        EXPECT_EQ(holes, 0) << "F_Confirmation.qrvi";
    }
}

TEST(DemoContent, MakingAgainKeepsTheTicksAndPrintableMarks)
{
    NeedGuiApplication();
    TempDir program;
    MakeDemo(program.path().string());
    const std::string dat = (program.path() / "Themes" / "Formes" / "theme.dat").string();
    ThemeDat(dat).WriteCheck(false);
    ThemeDat(dat).WriteImprimer(2, true);
    MakeDemo(program.path().string());
    const ThemeDat made(dat);
    EXPECT_FALSE(made.Check());
    EXPECT_TRUE(made.Imprimer(2));
    EXPECT_FALSE(made.Imprimer(3));
    EXPECT_TRUE(ThemeDat((program.path() / "Themes" / "Animaux" / "theme.dat").string()).Check());
}
