// The demo sounds: short, not clipped, no click at either end, and files an
// independent reader (SoX) takes for 16-bit mono PCM.

#include "SoundSynth.h"
#include "display/TWave.h"
#include "ToolTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace vorlane;
using namespace vorlane::test;

TEST(DemoSounds, AreShortCleanAndAtTheirPeak)
{
    std::vector<SoundRecipe> recipes;
    for (const AppearanceRecipe& appearance : DemoAppearances()) {
        ASSERT_EQ(appearance.sounds.size(), 9u) << appearance.folder.toStdString();
        recipes.insert(recipes.end(), appearance.sounds.begin(), appearance.sounds.end());
    }
    for (const SoundRecipe& recipe : recipes) {
        SCOPED_TRACE(recipe.name.toStdString());
        const auto samples = Synthesise(recipe, 22050);
        ASSERT_FALSE(samples.empty());
        const double seconds = static_cast<double>(samples.size()) / 22050;
        EXPECT_GE(seconds, 0.05);
        EXPECT_LE(seconds, 1.0);
        int peak = 0;
        for (const std::int16_t sample : samples)
            peak = std::max(peak, std::abs(static_cast<int>(sample)));
        EXPECT_NEAR(peak, recipe.peak * 32767, 2);
        // Starting or stopping away from zero is heard as a click.
        EXPECT_LT(std::abs(samples.front()), 330);
        EXPECT_LT(std::abs(samples.back()), 330);
    }
}

TEST(DemoSounds, FilesAreReadBySox)
{
    const auto folder = DemoProgramFolder() / "Apparences" / "Crayons";
    const auto recipes = DemoAppearances().front().sounds;
    for (const SoundRecipe& recipe : recipes) {
        const std::string path = (folder / (recipe.name.toStdString() + ".qrvs")).string();
        SCOPED_TRACE(path);
        std::string info;
        for (const char* field : {"-r", "-c", "-b", "-e", "-s"})
            info += CommandOutput(std::string("soxi ") + field + " " + path + " 2>&1 | tr '\\n' ' '");
        EXPECT_EQ(info, "22050 1 16 Signed Integer PCM " +
                            std::to_string(Synthesise(recipe, 22050).size()) + " ");
    }
}

// The files hold exactly the synthesised samples, as the game's own reader sees them.
TEST(DemoSounds, ReadBackThroughTheGamesReader)
{
    const auto folder = DemoProgramFolder() / "Apparences" / "Crayons";
    const auto recipes = DemoAppearances().front().sounds;
    for (const SoundRecipe& recipe : recipes) {
        SCOPED_TRACE(recipe.name.toStdString());
        TWave wave;
        wave.LoadWaveFile((folder / (recipe.name.toStdString() + ".qrvs")).string());
        EXPECT_EQ(wave.Format().formatTag, 1);
        EXPECT_EQ(wave.Format().channels, 1);
        EXPECT_EQ(wave.Format().samplesPerSec, 22050u);
        EXPECT_EQ(wave.Format().bitsPerSample, 16);
        const auto expected = Synthesise(recipe, 22050);
        ASSERT_EQ(wave.FrameCount(), expected.size());
        const auto bytes = wave.Samples();
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8), expected[i]) << i;
    }
}
