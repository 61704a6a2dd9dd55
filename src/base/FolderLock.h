#pragma once

#include <string>

namespace vorlane {

// An advisory lock on a folder (flock on the folder itself), held while it
// lives: every program that reads, changes and writes back a file of that
// folder (theme.dat, the settings file) takes it first, so that no key written
// by another program in between is lost. Blocks while another holder has it;
// the kernel drops it when the holder ends, even after a crash.
//
// Best effort: a folder that cannot be opened (missing) is not locked, and the
// write that follows meets its own error. Two locks of one folder in one
// process exclude each other too: never take one while holding it.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder);
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    // The lock of the folder that holds the file `path`.
    static std::string FolderOf(const std::string& path);

private:
    int m_fd;
};

}  // namespace vorlane
