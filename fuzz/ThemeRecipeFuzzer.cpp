// Feeds arbitrary bytes to the theme file reader of vorlane-content. Whatever
// it accepts must draw: its first picture is drawn, and an exception or a
// sanitizer report there is a finding. Its name, however odd, must stay one
// key of its own section of theme.dat.
#include "PictureArt.h"
#include "QtFuzzerSetUp.h"
#include "ThemeFiles.h"
#include "content/IniFile.h"

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
    const std::string name = first.name.toStdString();
    const vorlane::IniFile dat("theme.dat", vorlane::ThemeDatHead(1, false) +
                                                vorlane::PictureSection(1, picture.points, Qt::black, 5, false,
                                                                        vorlane::LabelStyle::Numbers, 1, name));
    if (dat.SectionNames().size() != 3 || dat.ReadString("Image01", "Titre", "") != vorlane::TitreValue(name) ||
        dat.ReadInteger("Image01", "NombrePoints", 0) != static_cast<int>(picture.points.size()))
        std::abort();
    return 0;
}
