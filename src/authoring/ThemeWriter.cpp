#include "ThemeWriter.h"

#include "base/Errors.h"

namespace vorlane {

std::string ThemeFolderPath(const std::string& programDir, const std::string& theme)
{
    return programDir + "/Themes/" + theme;
}

std::vector<std::string> ThemeNames(const std::string&)
{
    return {};
}

int AddPictureToTheme(const std::string&, const std::string&, const std::string&, const TracedDrawing&,
                      const std::vector<Dot>&, const DotOptions&, int)
{
    throw EVorlaneError("Le traceur n'est pas encore prêt");
}

ReopenedPicture ReopenPicture(const std::string&, const std::string&, int)
{
    throw EVorlaneError("Le traceur n'est pas encore prêt");
}

std::vector<std::pair<int, std::string>> ReopenablePictures(const std::string&, const std::string&)
{
    return {};
}

}  // namespace vorlane
