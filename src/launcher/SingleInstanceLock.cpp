#include "launcher/SingleInstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorlane {

SingleInstanceLock::SingleInstanceLock(const std::string& lockFilePath)
{
    // O_CLOEXEC: a program started from this one must not inherit the lock.
    // O_NOFOLLOW: the temp folder is shared, so refuse a planted link.
    m_fd = open(lockFilePath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0)
        return;
    // Another user's file under our name could be held by them forever: run
    // unguarded rather than be locked out.
    struct stat info {};
    if (fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        close(m_fd);
        m_fd = -1;
        return;
    }
    if (flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        m_state = State::Owned;
        return;
    }
    if (errno == EWOULDBLOCK)
        m_state = State::HeldElsewhere;
    close(m_fd);
    m_fd = -1;
}

SingleInstanceLock::~SingleInstanceLock()
{
    if (m_fd >= 0)
        close(m_fd);  // releases the lock; the file stays for the next start
}

std::string SingleInstanceLock::LockFilePath(const std::string& name)
{
    std::error_code error;
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir != nullptr && *runtimeDir != '\0' && std::filesystem::is_directory(runtimeDir, error))
        return (std::filesystem::path(runtimeDir) / (name + ".lock")).string();
    const auto tempDir = std::filesystem::temp_directory_path(error);
    const auto folder = error ? std::filesystem::path("/tmp") : tempDir;
    return (folder / (name + "." + std::to_string(getuid()) + ".lock")).string();
}

}  // namespace vorlane
