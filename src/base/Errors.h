#pragma once

#include <stdexcept>
#include <string>

namespace vorlane {

// Root of every error the program's layers raise. The message is the text the
// user sees in the "Vorlane" message box, so it is already in its final language.
class EVorlaneError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Impossible d'ouvrir le fichier %s": a file that cannot be opened for reading.
class EFOpenError : public EVorlaneError {
public:
    explicit EFOpenError(const std::string& path);
};

// "Impossible d'écrire dans %s": a write the system refused (settings, theme.dat, archives).
class EWriteError : public EVorlaneError {
public:
    explicit EWriteError(const std::string& path);
};

// Replaces each %s of a message, in order, by the given texts.
std::string FormatMessage(const std::string& pattern, const std::string& argument);

}  // namespace vorlane
