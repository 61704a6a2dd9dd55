#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <utility>

namespace vorlane {

// An advisory lock on a folder, held while it lives: every program that
// reads, changes and writes back a file of that folder (theme.dat, a progress
// file, the settings file) takes it first, so that no key written by another
// program in between is lost.
//
// The lock is an open-file-description lock (fcntl F_OFD_SETLK) on a hidden
// file of the folder, kLockFileName, opened for writing: network file systems
// (NFS home folders of a school) honour those, where flock on a folder opened
// read-only fails there and would leave the writer unlocked. The kernel drops
// it when its holder ends, even after a crash; the file itself stays.
//
// Waits at most `patience` for another holder, then raises EFolderBusyError
// naming the folder: never a hang. Within one process, a lock of a folder
// already held by the same thread re-enters (the innermost write inside a
// longer change), and one held by another thread is waited for the same way.
//
// A folder that is missing, or that this user may not write, is not locked:
// the write that follows meets its own refusal. A lock file that cannot be
// opened for writing in a folder this user may write raises EWriteError
// naming it. Where the file system keeps no locks at all (ENOLCK: an NFS
// mount without its lock service), the writes go on unlocked and standard
// error says so once.
class FolderLock {
public:
    static constexpr const char* kLockFileName = ".vorlane-verrou";
    // Far longer than any write holds it, short enough that a parent is told.
    static constexpr std::chrono::milliseconds kPatience{10000};

    explicit FolderLock(const std::string& folder, std::chrono::milliseconds patience = kPatience);
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    // The lock of the folder that holds the file `path`.
    static std::string FolderOf(const std::string& path);

private:
    using Identity = std::pair<dev_t, ino_t>;

    Identity m_folder{};
    bool m_held = false;  // false: a folder that is not locked (missing, not ours to write)
};

}  // namespace vorlane
