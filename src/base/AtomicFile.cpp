#include "base/AtomicFile.h"

#include "base/Errors.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vorlane {
namespace {

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

void FlushFolder(const std::string& folder, const std::string& pathForError)
{
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        throw EWriteError(pathForError, errno);
    // Some network, FUSE and shared-folder mounts cannot flush a folder and say
    // so: the rename has happened and there is nothing more to do there.
    if (::fsync(dir.get()) != 0 && errno != EINVAL && errno != ENOTSUP)
        throw EWriteError(pathForError, errno);
}

}  // namespace

void ReplaceFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes)
{
    // A rename needs only the folder's permission: a file the user may not
    // write (a write-protected settings file or theme.dat) is refused here.
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        throw EWriteError(path, errno);

    const std::string folder = FolderOf(path);
    std::string temp = folder + "/.vorlane-XXXXXX";
    FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0)
        throw EWriteError(path, errno);

    // Keep the permissions of the file being replaced; a new file gets the usual 0644 less umask.
    mode_t mode = 0644;
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }

    const bool ok = WriteAll(fd.get(), bytes) && ::fchmod(fd.get(), mode) == 0 && ::fsync(fd.get()) == 0;
    int error = ok ? 0 : errno;
    const int closeResult = ::close(fd.release());
    if (error == 0 && closeResult != 0)
        error = errno;
    if (error != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
        error = error != 0 ? error : errno;
        ::unlink(temp.c_str());
        throw EWriteError(path, error);
    }
    FlushFolder(folder, path);
}

void FlushFileAndFolder(const std::string& path)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0 || ::fsync(fd.get()) != 0)
        throw EWriteError(path, errno);
    FlushFolder(FolderOf(path), path);
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    // Non-blocking, then only a regular file: a FIFO or a device named like a
    // content file must not hang the program, waiting for a writer.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        return false;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    if (info.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            bytes.clear();
            return false;
        }
        if (got == 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return true;
}

std::string WriteFolderWhole(const std::string& parent, const std::string& name,
                             const std::function<void(const std::string& folder)>& write)
{
    std::string folder = parent + "/" + name;
    const std::string staging = parent + "/." + name + ".nouveau";
    std::error_code error;
    std::filesystem::remove_all(staging, error);
    try {
        std::filesystem::create_directories(staging, error);
        if (error)
            throw EWriteError(staging);
        write(staging);
        std::filesystem::rename(staging, folder, error);
        if (error)
            throw EWriteError(folder);
        FlushFileAndFolder(folder);
    } catch (...) {
        std::filesystem::remove_all(staging, error);
        throw;
    }
    return folder;
}

}  // namespace vorlane
