#pragma once

#include "content/RandomSource.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorlane {

// One picture to play.
struct TTheme {
    std::string ThemeDir;       // the theme's folder name followed by "/"; the folder is ThemesPath() + ThemeDir
    std::int32_t PictureNo = 0; // 1 to the theme's picture count; 0 marks an empty entry

    bool operator==(const TTheme&) const = default;
};

// The pictures of the current launch: entries 1 to PlayCount (entry 0 is never
// used), walked by PlayIndex with wrap-around. Program-wide; rebuilt by each
// launch and emptied when the launcher closes.
extern std::vector<TTheme> PlayList;
extern std::int32_t PlayCount;
extern std::int32_t PlayIndex;

// A ticked theme of the launcher's list, with its picture count.
struct CheckedTheme {
    std::string Name;
    std::int32_t ImageCount = 0;
};

// More pictures than a theme can sensibly hold; a larger count is a broken
// theme.dat and is cut down to this, so that a launch neither runs out of
// memory nor freezes placing pictures at random.
inline constexpr std::int32_t kMaxThemePictures = 10000;

// Rebuilds PlayList from the ticked themes in displayed order: each theme's
// pictures 1, 2, ... in turn, or, with `hazard`, each placed at the first free
// entry at or after a random one (else the last free one before it). A theme
// with no pictures adds nothing. Sets PlayIndex to 1. Returns false, leaving
// the list as it was, when no theme is ticked.
bool BuildPlayList(const std::vector<CheckedTheme>& checkedThemes, bool hazard, RandomSource& random);

// Empties PlayList (PlayCount and PlayIndex 0).
void ClearPlayList();

}  // namespace vorlane
