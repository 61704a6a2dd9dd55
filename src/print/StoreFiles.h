#pragma once

#include "base/Errors.h"

#include <string>

namespace vorlane {

// "Impossible de supprimer le fichier %s": the system refused to delete a file.
class EDeleteError : public EVorlaneError {
public:
    explicit EDeleteError(const std::string& path);
};

// A file (not a folder) exists at `path`.
bool FileExists(const std::string& path);

// Deletes the file at `path`. A file that is already gone counts as deleted;
// any other failure raises EDeleteError and the file stays.
void DeleteStoreFile(const std::string& path);

}  // namespace vorlane
