#include "base/Errors.h"

namespace vorlane {

std::string FormatMessage(const std::string& pattern, const std::string& argument)
{
    std::string result;
    result.reserve(pattern.size() + argument.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
            result += argument;
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

EFOpenError::EFOpenError(const std::string& path)
    : EVorlaneError(FormatMessage("Impossible d'ouvrir le fichier %s", path))
{
}

EWriteError::EWriteError(const std::string& path)
    : EVorlaneError(FormatMessage("Impossible d'écrire dans %s", path))
{
}

EFolderBusyError::EFolderBusyError(const std::string& folder)
    : EWriteError(Message{FormatMessage("Vorlane attend le dossier %s : un autre programme l'utilise (l'atelier, "
                                        "vorlane-content ou une autre copie de Vorlane). Réessayez quand il aura fini.",
                                        folder)})
{
}

}  // namespace vorlane
