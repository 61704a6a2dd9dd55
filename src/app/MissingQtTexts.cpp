#include "app/MissingQtTexts.h"

#include <cstring>

namespace vorlane {

QString MissingQtTexts::translate(const char* context, const char* sourceText, const char*, int) const
{
    // Only the print dialog's own: "Off" and "Advanced" mean other things elsewhere.
    if (context == nullptr || sourceText == nullptr || std::strncmp(context, "QPrint", 6) != 0)
        return {};
    struct Text {
        const char* english;
        const char* french;
    };
    static constexpr Text kTexts[] = {
        {"Double Sided Printing", "Impression recto verso"},
        {"Off", "Non"},
        {"Long side binding", "Reliure sur le bord long"},
        {"Short side binding", "Reliure sur le bord court"},
        {"Advanced", "Avancé"},
    };
    for (const Text& text : kTexts) {
        if (std::strcmp(sourceText, text.english) == 0)
            return QString::fromUtf8(text.french);
    }
    return {};
}

}  // namespace vorlane
