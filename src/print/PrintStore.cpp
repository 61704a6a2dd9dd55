#include "print/PrintStore.h"

#include "content/AsciiCase.h"
#include "content/ThemeDat.h"

#include <string_view>

namespace vorlane {
namespace {

std::string ReplaceImage(const std::string& pictureName, std::string_view replacement)
{
    constexpr std::string_view kImage = "Image";
    std::string result;
    result.reserve(pictureName.size() + replacement.size());
    std::size_t i = 0;
    while (i < pictureName.size()) {
        if (EqualsIgnoringCase(std::string_view(pictureName).substr(i, kImage.size()), kImage)) {
            result += replacement;
            i += kImage.size();
        } else {
            result += pictureName[i++];
        }
    }
    return result;
}

}  // namespace

bool ReadPrintableMark(const std::string& themeFile, const std::string& pictureName)
{
    return ThemeDat(themeFile).Imprimer(pictureName);
}

void WritePrintableMark(const std::string& themeFile, const std::string& pictureName, bool printable)
{
    ThemeDat(themeFile).WriteImprimer(pictureName, printable);
}

std::string DotsFileName(const std::string& pictureName)
{
    return ReplaceImage(pictureName, "Points") + ".bmp";
}

std::string PictureFileName(const std::string& pictureName)
{
    return pictureName + ".bmp";
}

std::string ArchiveFileName(const std::string& pictureName)
{
    return ReplaceImage(pictureName, "Couleur") + ".bmz";
}

}  // namespace vorlane
