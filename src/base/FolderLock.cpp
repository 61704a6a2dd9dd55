#include "base/FolderLock.h"

#include "base/Errors.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vorlane {

namespace {

using Clock = std::chrono::steady_clock;

// The folders this process holds: the kernel's lock belongs to one open file
// description, so a second one opened by the same process would wait for the
// first for ever. Each entry is the holding thread, how many times it took
// the lock, and the lock file (-1: held in this process only).
struct Holding {
    std::thread::id owner;
    int depth = 0;
    int fd = -1;
};

struct Holdings {
    std::mutex mutex;
    std::condition_variable released;
    std::map<std::pair<dev_t, ino_t>, Holding> folders;
};

Holdings& Held()
{
    static Holdings holdings;
    return holdings;
}

bool MayWriteFolder(const std::string& folder)
{
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) == 0;
}

// Takes the lock of the open lock file `fd` before `deadline`. False when the
// file system keeps no locks; raises EFolderBusyError past the deadline.
bool TakeFileLock(int fd, const std::string& folder, Clock::time_point deadline)
{
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::fcntl(fd, F_OFD_SETLK, &whole) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EACCES)
            return false;
        if (Clock::now() >= deadline)
            throw EFolderBusyError(folder);
        std::this_thread::sleep_for(std::min(pause, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                        deadline - Clock::now() + std::chrono::milliseconds(1))));
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

}  // namespace

FolderLock::FolderLock(const std::string& folder, std::chrono::milliseconds patience)
{
    const std::string path = folder.empty() ? "." : folder;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return;
    m_folder = {info.st_dev, info.st_ino};
    const Clock::time_point deadline = Clock::now() + patience;

    Holdings& held = Held();
    {
        std::unique_lock guard(held.mutex);
        const auto mine = [&] {
            const auto found = held.folders.find(m_folder);
            return found == held.folders.end() || found->second.owner == std::this_thread::get_id();
        };
        if (!held.released.wait_until(guard, deadline, mine))
            throw EFolderBusyError(folder);
        Holding& holding = held.folders[m_folder];
        m_held = true;
        if (holding.depth++ > 0)
            return;  // re-entered: the outer lock covers this one
        holding.owner = std::this_thread::get_id();
    }

    // The file lock, without the table's mutex: other folders are not held up.
    int fd = -1;
    try {
        const std::string lockFile = path + (path.back() == '/' ? "" : "/") + kLockFileName;
        fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) {
            // Not ours to write: the write after meets its own refusal.
            if (errno == ENOENT || ((errno == EACCES || errno == EPERM || errno == EROFS) && !MayWriteFolder(path)))
                return;
            throw EWriteError(lockFile);
        }
        if (!TakeFileLock(fd, folder, deadline)) {
            static std::once_flag told;
            std::call_once(told, [&] {
                std::fprintf(stderr, "vorlane : le dossier %s ne peut pas être verrouillé (le système de fichiers "
                                     "ne garde pas de verrous) : les écritures s'y font sans verrou.\n",
                             folder.c_str());
            });
            ::close(fd);
            return;
        }
    } catch (...) {
        if (fd >= 0)
            ::close(fd);
        const std::lock_guard guard(held.mutex);
        held.folders.erase(m_folder);
        held.released.notify_all();
        throw;
    }
    const std::lock_guard guard(held.mutex);
    held.folders[m_folder].fd = fd;
}

FolderLock::~FolderLock()
{
    if (!m_held)
        return;
    Holdings& held = Held();
    const std::lock_guard guard(held.mutex);
    const auto found = held.folders.find(m_folder);
    if (found == held.folders.end() || --found->second.depth > 0)
        return;
    if (found->second.fd >= 0)
        ::close(found->second.fd);  // drops the file lock
    held.folders.erase(found);
    held.released.notify_all();
}

std::string FolderLock::FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace vorlane
