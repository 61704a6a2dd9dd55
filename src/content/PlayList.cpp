#include "content/PlayList.h"

#include <algorithm>
#include <limits>

namespace vorlane {

std::vector<TTheme> PlayList;
std::int32_t PlayCount = 0;
std::int32_t PlayIndex = 0;

bool BuildPlayList(const std::vector<CheckedTheme>& checkedThemes, bool hazard, RandomSource& random)
{
    if (checkedThemes.empty())
        return false;
    // Each theme's pictures, within the bounds that keep PlayCount a valid 32-bit count.
    std::vector<std::int32_t> counts;
    std::int64_t total = 0;
    for (const CheckedTheme& theme : checkedThemes) {
        const std::int64_t room = std::numeric_limits<std::int32_t>::max() - 1 - total;
        counts.push_back(static_cast<std::int32_t>(std::min<std::int64_t>(std::clamp(theme.ImageCount, 0, kMaxThemePictures), room)));
        total += counts.back();
    }
    PlayCount = static_cast<std::int32_t>(total);
    PlayList.assign(static_cast<std::size_t>(PlayCount) + 1, TTheme{});

    std::int32_t p = 1;
    for (std::size_t t = 0; t < checkedThemes.size(); ++t) {
        const std::string themeDir = checkedThemes[t].Name + '/';
        for (std::int32_t k = 1; k <= counts[t]; ++k) {
            if (hazard) {
                p = static_cast<std::int32_t>(random.Draw(static_cast<std::uint32_t>(PlayCount))) + 1;
                while (p <= PlayCount && PlayList[p].PictureNo != 0)
                    ++p;
                if (p > PlayCount) {
                    p = PlayCount;
                    while (PlayList[p].PictureNo != 0)
                        --p;
                }
            }
            PlayList[p] = {themeDir, k};
            ++p;
        }
    }
    PlayIndex = 1;
    return true;
}

void ClearPlayList()
{
    PlayList.clear();
    PlayCount = 0;
    PlayIndex = 0;
}

}  // namespace vorlane
