#pragma once

#include <exception>
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
// It keeps the system's reason (errno, 0 when there is none) for those who
// tell it, as the content tool does.
class EWriteError : public EVorlaneError {
public:
    explicit EWriteError(const std::string& path, int systemError = 0);
    int SystemError() const { return m_systemError; }

protected:
    struct Message {
        std::string text;
    };
    explicit EWriteError(Message message) : EVorlaneError(message.text), m_systemError(0) {}

private:
    int m_systemError;
};

// "Vorlane attend le dossier %s : un autre programme l'utilise…": another
// program held a folder's lock past the wait (FolderLock). A write refused,
// for those who catch refused writes.
class EFolderBusyError : public EWriteError {
public:
    explicit EFolderBusyError(const std::string& folder);
};

// Why the system refused, in French, for an errno value: "permission
// refusée", "plus de place sur le disque"... The C library's own texts come
// in French only where a French locale was generated, which a desktop often
// lacks: the common ones are written here.
std::string FrenchSystemError(int error);

// Runs writes that must all be tried even when one is refused (the settings'
// keys, the themes' ticks), then raises the first refusal, so that it is
// reported once.
class FirstRefusal {
public:
    template <typename Write>
    void Try(Write&& write)
    {
        try {
            write();
        } catch (const EVorlaneError&) {
            if (!m_first)
                m_first = std::current_exception();
        }
    }
    void RaiseIfAny() const
    {
        if (m_first)
            std::rethrow_exception(m_first);
    }

private:
    std::exception_ptr m_first;
};

// Replaces each %s of a message, in order, by the given texts.
std::string FormatMessage(const std::string& pattern, const std::string& argument);

}  // namespace vorlane
