#include "base/Errors.h"

#include <cerrno>

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

EWriteError::EWriteError(const std::string& path, int systemError)
    : EVorlaneError(FormatMessage("Impossible d'écrire dans %s", path)), m_systemError(systemError)
{
}

EFolderBusyError::EFolderBusyError(const std::string& folder)
    : EWriteError(Message{FormatMessage("Vorlane attend le dossier %s : un autre programme l'utilise (l'atelier, "
                                        "vorlane-content ou une autre copie de Vorlane). Réessayez quand il aura fini.",
                                        folder)})
{
}

std::string FrenchSystemError(int error)
{
    switch (error) {
    case 0:
        return {};
    case EACCES:
    case EPERM:
        return "permission refusée";
    case ENOENT:
        return "fichier ou dossier introuvable";
    case EISDIR:
        return "c'est un dossier";
    case ENOTDIR:
        return "un élément du chemin n'est pas un dossier";
    case ENOSPC:
        return "plus de place sur le disque";
    case EDQUOT:
        return "quota de disque dépassé";
    case EROFS:
        return "disque en lecture seule";
    case ENAMETOOLONG:
        return "nom trop long";
    case EIO:
        return "erreur d'entrée-sortie";
    case EEXIST:
        return "le fichier existe déjà";
    case EBUSY:
    case ETXTBSY:
        return "fichier occupé";
    case EMFILE:
    case ENFILE:
        return "trop de fichiers ouverts";
    case EXDEV:
        return "le fichier est sur un autre disque";
    default:
        return "erreur système " + std::to_string(error);
    }
}

}  // namespace vorlane
