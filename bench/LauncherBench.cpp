// Program start to launcher shown: the launcher's creation (settings, the
// scan of every theme and appearance, the display test) and its first paint.
// Bar: 400 ms with 100 themes installed.

#include "content/GameSettings.h"
#include "launcher/TProgramme.h"

#include "BenchApplication.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

namespace {

// A program folder with `themes` themes of 12 pictures and two appearances.
class ProgramFolder {
public:
    explicit ProgramFolder(int themes)
        : m_path(std::filesystem::temp_directory_path() / ("vorlane-bench-" + std::to_string(std::random_device()())))
    {
        for (int i = 0; i < themes; ++i) {
            const auto folder = m_path / "Themes" / ("Theme " + std::to_string(i));
            std::filesystem::create_directories(folder);
            std::ofstream(folder / "theme.dat") << "[General]\nVersion=1\nSubVersion=0\nNom=Vorlane\nNombreImages=12\n"
                                                << "[Configuration]\nCheck=" << i % 2 << "\n";
        }
        for (const char* name : {"Crayons", "Aquarelle"}) {
            std::filesystem::create_directories(m_path / "Apparences" / name);
            std::ofstream(m_path / "Apparences" / name / "apparence.dat") << "[General]\nVersion=1\nSubVersion=0\nNom=Vorlane\n";
        }
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;
    ~ProgramFolder() { std::filesystem::remove_all(m_path); }

    std::string Executable() const { return (m_path / "vorlane").string(); }

private:
    std::filesystem::path m_path;
};

void BM_LauncherStart(benchmark::State& state)
{
    NeedApplication();
    const ProgramFolder folder(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        vorlane::GameSettings = vorlane::TGameSettings{};
        vorlane::TProgramme programme(folder.Executable());
        programme.FormCreate();
        programme.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(programme.windowTitle());
    }
}
BENCHMARK(BM_LauncherStart)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
