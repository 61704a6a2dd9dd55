#pragma once

// A program folder of the launcher's own: themes, appearances and a settings
// file written by the test, and a launcher made over it.

#include "content/GameSettings.h"
#include "content/PlayList.h"
#include "launcher/TProgramme.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace vorlane::test {

class LauncherFixture : public testing::Test {
protected:
    void SetUp() override
    {
        GameSettings = TGameSettings{};
        ClearPlayList();
        std::filesystem::create_directories(folder.path() / "Themes");
        std::filesystem::create_directories(folder.path() / "Apparences");
    }
    void TearDown() override
    {
        programme.reset();
        GameSettings = TGameSettings{};
        ClearPlayList();
    }

    void AddTheme(const std::string& name, int images, bool checked = false)
    {
        std::filesystem::create_directories(folder.path() / "Themes" / name);
        WriteFile(ThemeFile(name), "[General]\nVersion=1\nSubVersion=0\nNom=Vorlane\nNombreImages=" +
                                       std::to_string(images) + "\n[Configuration]\nCheck=" + (checked ? "1" : "0") + "\n");
    }
    void AddAppearance(const std::string& name)
    {
        std::filesystem::create_directories(folder.path() / "Apparences" / name);
        WriteFile((folder.path() / "Apparences" / name / "apparence.dat").string(),
                  "[General]\nVersion=1\nSubVersion=0\nNom=Vorlane\n");
    }
    void WriteSettingsFile(const std::string& configuration)
    {
        WriteFile(SettingsFile(), "[Configuration]\n" + configuration);
    }

    std::string ThemeFile(const std::string& name) const
    {
        return (folder.path() / "Themes" / name / "theme.dat").string();
    }
    std::string SettingsFile() const { return folder.file("vorlane.ini"); }

    // The launcher as start-up makes it: constructed, then its creation handler.
    TProgramme& Create()
    {
        programme = std::make_unique<TProgramme>(folder.file("vorlane"));
        programme->FormCreate();
        return *programme;
    }

    TempDir folder;
    std::unique_ptr<TProgramme> programme;
};

}  // namespace vorlane::test
