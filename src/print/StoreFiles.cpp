#include "print/StoreFiles.h"

#include <cerrno>
#include <filesystem>
#include <unistd.h>

namespace vorlane {

EDeleteError::EDeleteError(const std::string& path)
    : EVorlaneError(FormatMessage("Impossible de supprimer le fichier %s", path))
{
}

bool FileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error) && !std::filesystem::is_directory(path, error);
}

void DeleteStoreFile(const std::string& path)
{
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        throw EDeleteError(path);
}

}  // namespace vorlane
