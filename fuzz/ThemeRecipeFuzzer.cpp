// Feeds arbitrary bytes to the theme file reader of vorlane-content. Whatever
// it accepts must draw: its first picture is drawn, and an exception or a
// sanitizer report there is a finding.
#include "PictureArt.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

// Qt keeps fontconfig's font lists until the process ends and never hands
// them back: not a fault of the reader, and not one that grows per input.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Drawing text needs a GUI application, not a screen. Qt gets arguments of
    // its own: it would take some of libFuzzer's out of the command line.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_theme_recipe";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
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
