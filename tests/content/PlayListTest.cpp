#include "content/PlayList.h"

#include <gtest/gtest.h>
#include <set>

using namespace vorlane;

namespace {

const std::vector<CheckedTheme> kTwoThemes = {{"A", 3}, {"B", 2}};

std::vector<TTheme> Entries(std::initializer_list<std::pair<const char*, int>> entries)
{
    std::vector<TTheme> result(1);
    for (const auto& [dir, picture] : entries)
        result.push_back({dir, picture});
    return result;
}

class PlayListBuild : public ::testing::Test {
protected:
    ~PlayListBuild() override { ClearPlayList(); }
};

}  // namespace

TEST(RandomSource, LinearCongruentialSequence)
{
    RandomSource random(12345);
    EXPECT_EQ(random.Draw(1000), 385u);
    EXPECT_EQ(random.Seed(), 1655067934u);
    EXPECT_EQ(random.Draw(1000), 289u);
    EXPECT_EQ(random.Draw(1000), 79u);
    EXPECT_EQ(random.Seed(), 342459380u);
    EXPECT_EQ(RandomSource(0xFFFFFFFF).Draw(0), 0u);
    EXPECT_LT(MillisecondsSinceMidnightUtc(), 86400000u);
}

TEST_F(PlayListBuild, InOrderThemeAfterTheme)
{
    RandomSource random(1);
    ASSERT_TRUE(BuildPlayList(kTwoThemes, false, random));
    EXPECT_EQ(PlayCount, 5);
    EXPECT_EQ(PlayIndex, 1);
    EXPECT_EQ(PlayList, Entries({{"A/", 1}, {"A/", 2}, {"A/", 3}, {"B/", 1}, {"B/", 2}}));
    EXPECT_EQ(random.Seed(), 1u);  // no draw without random order
}

TEST_F(PlayListBuild, RandomOrderIsTheSourcesAndPlacesEachPictureOnce)
{
    // Known orders of the generator, one of them reaching the end and placing backwards.
    RandomSource seeded(12345);
    ASSERT_TRUE(BuildPlayList(kTwoThemes, true, seeded));
    EXPECT_EQ(PlayList, Entries({{"A/", 3}, {"A/", 1}, {"A/", 2}, {"B/", 1}, {"B/", 2}}));
    RandomSource backwards(3);
    ASSERT_TRUE(BuildPlayList(kTwoThemes, true, backwards));
    EXPECT_EQ(PlayList, Entries({{"A/", 1}, {"B/", 2}, {"A/", 2}, {"B/", 1}, {"A/", 3}}));

    const std::vector<CheckedTheme> themes = {{"Ferme", 40}, {"Mer", 1}, {"Vide", 0}, {"Cassé", -4}, {"Jungle", 25}};
    for (std::uint32_t seed : {0u, 1u, 77u, 0xFFFFFFFFu, MillisecondsSinceMidnightUtc()}) {
        RandomSource random(seed);
        ASSERT_TRUE(BuildPlayList(themes, true, random));
        ASSERT_EQ(PlayCount, 66);
        EXPECT_EQ(PlayList[0], TTheme{});
        std::set<std::pair<std::string, int>> placed;
        for (int p = 1; p <= PlayCount; ++p)
            placed.insert({PlayList[p].ThemeDir, PlayList[p].PictureNo});
        EXPECT_EQ(placed.size(), 66u) << "seed " << seed;
        EXPECT_EQ(placed.count({"Mer/", 1}), 1u);
        EXPECT_EQ(placed.count({"Jungle/", 25}), 1u);
        EXPECT_EQ(placed.count({"Ferme/", 0}), 0u);

        // The same seed, the same order.
        const std::vector<TTheme> first = PlayList;
        RandomSource again(seed);
        BuildPlayList(themes, true, again);
        EXPECT_EQ(PlayList, first);
    }
}

TEST_F(PlayListBuild, EmptyThemesAddNothingAndNoTickRefusesTheLaunch)
{
    RandomSource random(5);
    ASSERT_TRUE(BuildPlayList(kTwoThemes, false, random));
    PlayIndex = 4;
    EXPECT_FALSE(BuildPlayList({}, true, random));
    EXPECT_EQ(PlayCount, 5);
    EXPECT_EQ(PlayIndex, 4);

    // A rebuild leaves nothing of the previous launch behind.
    ASSERT_TRUE(BuildPlayList({{"SansNombre", 0}, {"C", 1}}, false, random));
    EXPECT_EQ(PlayList, Entries({{"C/", 1}}));
    ASSERT_TRUE(BuildPlayList({{"SansNombre", 0}}, true, random));
    EXPECT_EQ(PlayCount, 0);
    EXPECT_EQ(PlayList, Entries({}));
    EXPECT_EQ(PlayIndex, 1);
}

TEST_F(PlayListBuild, AbsurdCountsAreBounded)
{
    RandomSource random(9);
    ASSERT_TRUE(BuildPlayList({{"Casse", 2147483647}, {"Aussi", 2147483647}, {"B", 2}}, true, random));
    EXPECT_EQ(PlayCount, 2 * kMaxThemePictures + 2);
    EXPECT_EQ(static_cast<std::int32_t>(PlayList.size()), PlayCount + 1);
}
