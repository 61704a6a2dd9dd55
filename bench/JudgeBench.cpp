// The picture judge over the demo themes the build leaves in the program
// folder, files read included, as `vorlane-content check` judges them. Bar:
// the eighty pictures in two seconds at most, so that checking a whole folder,
// or the atelier's verdict after each change (one picture), is never a wait.

#include "BenchApplication.h"
#include "PictureJudge.h"
#include "content/ThemeDat.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

void BM_JudgeDemoPictures(benchmark::State& state)
{
    NeedApplication();
    std::vector<std::pair<std::string, int>> pictures;
    std::error_code error;
    for (const auto& theme : std::filesystem::directory_iterator(VORLANE_PROGRAM_DIR "/Themes", error))
        for (int n = 1; n <= vorlane::ThemeDat((theme.path() / "theme.dat").string()).NombreImages(); ++n)
            pictures.emplace_back(theme.path().string(), n);
    if (pictures.empty())
        state.SkipWithError("no demo themes in the program folder: build the default target first");
    for (auto _ : state)
        for (const auto& [folder, number] : pictures)
            benchmark::DoNotOptimize(vorlane::PictureJudge::JudgeThemePicture(folder, number));
    state.counters["pictures"] = static_cast<double>(pictures.size());
}
BENCHMARK(BM_JudgeDemoPictures)->Unit(benchmark::kMillisecond);

}  // namespace
