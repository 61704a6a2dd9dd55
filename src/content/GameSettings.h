#pragma once

#include <cstdint>
#include <string>

namespace vorlane {

// When the game shows a stuck child the next dot (the launcher's "Aide pour
// trouver le point suivant"); the values are those of the settings file.
enum class NextDotHelp : std::int32_t {
    Never = 0,
    AfterTwoMisses = 1,   // and the first dot of every picture
    AfterTenSeconds = 2,  // without a hit; and the first dot of every picture
};

// The settings the launcher and the game share, kept between runs in the
// settings file (section "Configuration").
struct TGameSettings {
    static constexpr std::int32_t kMinTolerance = 5;
    static constexpr std::int32_t kDefaultTolerance = 15;

    std::string SettingsFileName;   // set when the launcher is created
    std::int32_t Langue = 0;        // never read from the file; always written as 0
    std::int32_t Tolerance = kDefaultTolerance;  // pixels around a dot that still hit it
    std::int32_t Apparence = 0;     // remembered position in the sorted appearance list
    bool Son = true;                // sound effects
    bool Hazard = true;             // pictures in random order
    NextDotHelp AidePoint = NextDotHelp::AfterTwoMisses;
    bool Voix = true;               // each dot's number or letter spoken, and the finished picture's name
    std::int32_t ScreenWidth = 1024;
    std::int32_t ScreenHeight = 768;
    std::int32_t BitDepth = 32;     // then the display test's choice: 32, 24, 16 or 8
    bool DebugMode = false;         // the "debug" switch of the command line
};

// The program-wide settings, read and written on the user-interface thread only.
extern TGameSettings GameSettings;

// Fills Langue (0), Tolerance (default 15, raised to 5), Apparence (default 0,
// unchecked), Son and Hazard (default true), AidePoint (default after two
// misses, as is any value it does not know) and Voix (default true) from
// `fileName`; a missing file or key gives the defaults.
void ReadSettings(const std::string& fileName, TGameSettings& settings = GameSettings);

// Raises Tolerance to 5 if below, then writes "Langue", "Tolerance",
// "Apparence", "Son", "Hazard", "AidePoint", "Voix" in that order. Raises EWriteError when refused.
void WriteSettings(const std::string& fileName, TGameSettings& settings = GameSettings);

}  // namespace vorlane
