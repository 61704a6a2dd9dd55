// The judge against a parent's eye: the pages of tests/data/pages/eye.tsv,
// each rated by looking at it before its verdict was read, made again (the
// library's pages as the demo draws them, the drawings traced as `trace`
// traces them) and judged. The ratings are the standard: a page rated "not"
// must never be called good, and few pages rated good told "à revoir".

#include "PictureJudge.h"
#include "ToolTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace vorlane::test {
namespace {

const std::string kTool = VORLANE_CONTENT_TOOL;
const std::string kDrawings = "/usr/share/openclipart/svg/";

struct RatedPage {
    std::string kind, source;  // "library" and its theme folder, or "traced" and its drawing
    int number = 0;            // the library picture's number
    int dots = 0;
    bool good = false;
    std::string reason;
};

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        fields.push_back(field);
    return fields;
}

// A library row names the theme folder and the picture's number in two
// fields; a traced row names the drawing under kDrawings in one.
std::vector<RatedPage> ReadRatings()
{
    std::ifstream in(VORLANE_TEST_DATA "/pages/eye.tsv");
    std::vector<RatedPage> pages;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.front() == '#')
            continue;
        const std::vector<std::string> fields = Fields(line);
        const std::size_t rest = !fields.empty() && fields[0] == "library" ? 3 : 2;
        if (fields.size() < rest + 2 || (rest == 2 && fields[0] != "traced") ||
            (fields[rest + 1] != "good" && fields[rest + 1] != "not"))
            throw std::runtime_error("eye.tsv: unreadable line: " + line);
        pages.push_back({fields[0], fields[1], rest == 3 ? std::stoi(fields[2]) : 0, std::stoi(fields[rest]),
                         fields[rest + 1] == "good", fields.size() > rest + 2 ? fields[rest + 2] : ""});
    }
    return pages;
}

// The verdict line of the page made again, "Qualité : bonne" or "Qualité : à revoir — …".
std::string Verdict(const RatedPage& page, const std::filesystem::path& scratch, int row)
{
    if (page.kind == "library")
        return PictureJudge::JudgeThemePicture((DemoProgramFolder() / "Themes" / page.source).string(), page.number)
            .Line();
    // One theme per drawing, so that the check `trace` runs after it reads one picture.
    const std::string output =
        CommandOutput(kTool + " trace '" + kDrawings + page.source + "' '" + scratch.string() + "' --theme p" +
                      std::to_string(row) + " --points " + std::to_string(page.dots) + " 2>&1");
    const std::size_t at = output.find("Qualité : ");
    return at == std::string::npos ? "refusé : " + output : output.substr(at, output.find('\n', at) - at);
}

// Pages rated "not" that the judge still calls good: what it cannot see yet
// (numbers a little too near on crowded legs or a stem, an outline the path
// runs beside a little farther than the judge looks). Each is a shortfall of
// the judge, not of the rating; one it comes to see is taken off.
const std::set<std::string> kStillMissed = {
    "animals/mammals/housecats/cat_scrathing_post_benji_01.svg",
    "plants/acorn_jonathan_dietrich_01.svg",
    "animals/mammals/contour_kangaroo.svg",
    "food/fruit/banana.svg",
};

// The library is handed over as it is: each of its pages is rated, and good.
TEST(EyeRatedPagesTest, EveryLibraryPageIsRatedGood)
{
    std::set<std::string> rated;
    for (const RatedPage& page : ReadRatings())
        if (page.kind == "library") {
            EXPECT_TRUE(page.good) << page.source << " " << page.number << ": " << page.reason;
            rated.insert(page.source + " " + std::to_string(page.number));
        }
    for (const auto& theme : std::filesystem::directory_iterator(DemoProgramFolder() / "Themes"))
        for (int number = 1; std::filesystem::exists(theme.path() / ("Points" + std::string(number < 10 ? "0" : "") +
                                                                     std::to_string(number) + ".bmp"));
             ++number)
            EXPECT_EQ(rated.count(theme.path().filename().string() + " " + std::to_string(number)), 1U)
                << theme.path().filename() << " " << number << " is not rated";
}

TEST(EyeRatedPagesTest, TheJudgeCallsNoPageRatedNotGoodAndFewGoodOnesToBeLookedAt)
{
    const std::vector<RatedPage> pages = ReadRatings();
    ASSERT_GE(pages.size(), 150U);
    const TempDir scratch;
    int ratedGood = 0, calledGoodWrongly = 0, toldToLookAgain = 0;
    std::string disagreements;
    for (std::size_t row = 0; row < pages.size(); ++row) {
        const RatedPage& page = pages[row];
        const std::string verdict = Verdict(page, scratch.path(), static_cast<int>(row + 1));
        const bool judgedGood = verdict == "Qualité : bonne";
        ratedGood += page.good ? 1 : 0;
        const std::string name = page.source + (page.number > 0 ? " " + std::to_string(page.number) : "");
        const bool known = !page.good && kStillMissed.count(name) != 0;
        calledGoodWrongly += !page.good && judgedGood && !known ? 1 : 0;
        EXPECT_FALSE(known && !judgedGood) << name << " is told à revoir now: take it off kStillMissed";
        toldToLookAgain += page.good && !judgedGood ? 1 : 0;
        if (page.good != judgedGood)
            disagreements += name + " (" +
                             std::to_string(page.dots) + " points), " + (page.good ? "good" : "not: " + page.reason) +
                             "\n    " + verdict + "\n";
    }
    std::printf("%zu pages, %d rated good; rated not but judged good: %d; rated good but told à revoir: %d\n%s",
                pages.size(), ratedGood, calledGoodWrongly, toldToLookAgain, disagreements.c_str());
    EXPECT_EQ(calledGoodWrongly, 0) << disagreements;
    EXPECT_LE(10 * toldToLookAgain, ratedGood) << disagreements;
}

}  // namespace
}  // namespace vorlane::test
