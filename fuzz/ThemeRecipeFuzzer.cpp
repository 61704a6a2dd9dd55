// Feeds arbitrary bytes to the theme file reader of vorlane-content. Whatever
// it accepts must draw: its first picture is drawn, and an exception or a
// sanitizer report there is a finding.
#include "PictureArt.h"
#include "QtFuzzerSetUp.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vorlane::ThemeRecipe theme;
    try {
        theme = vorlane::ParseTheme(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    } catch (const vorlane::EDemoDataError&) {
        return 0;
    }
    const vorlane::PictureRecipe& first = theme.pictures.front();
    const vorlane::RenderedPicture picture = vorlane::RenderPicture(theme, first);
    if (picture.points.size() != first.dots.size() || picture.finished.size() != theme.size)
        std::abort();
    return 0;
}
