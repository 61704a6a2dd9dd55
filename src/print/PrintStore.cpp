#include "print/PrintStore.h"

#include "content/IniFile.h"

#include <cctype>
#include <string_view>

namespace vorlane {
namespace {

constexpr const char* kMarkKey = "Imprimer";

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

std::string ReplaceImage(const std::string& pictureName, std::string_view replacement)
{
    constexpr std::string_view kImage = "Image";
    std::string result;
    result.reserve(pictureName.size() + replacement.size());
    std::size_t i = 0;
    while (i < pictureName.size()) {
        if (StartsWithIgnoringCase(std::string_view(pictureName).substr(i), kImage)) {
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
    return IniFile(themeFile).ReadInteger(pictureName, kMarkKey, 0) != 0;
}

void WritePrintableMark(const std::string& themeFile, const std::string& pictureName, bool printable)
{
    IniFile(themeFile).WriteBool(pictureName, kMarkKey, printable);
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
