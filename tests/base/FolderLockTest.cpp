// The folder lock as two programs meet it: no update lost, a holder that
// stays too long told in French rather than waited for, a second lock of one
// folder in one process never a hang.
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/FolderLock.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vorlane;
using vorlane::test::ReadFile;
using vorlane::test::TempDir;

namespace {

using namespace std::chrono_literals;

// A read-modify-write of a counter file in `folder`, under its lock.
void Increment(const std::string& folder)
{
    const FolderLock lock(folder);
    const std::string file = folder + "/compte";
    const std::string text = std::to_string(std::stoi("0" + ReadFile(file)) + 1);
    ReplaceFileAtomically(file, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// Runs `child` in a forked process; returns its pid.
template <class Child>
pid_t Fork(Child&& child)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        child();
        ::_exit(0);
    }
    return pid;
}

bool ExitedCleanly(pid_t pid)
{
    int status = -1;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(FolderLock, TwoProgramsChangingOneFolderLoseNoUpdate)
{
    TempDir dir;
    const std::string folder = dir.path().string();
    const auto count = [&] {
        for (int i = 0; i < 150; ++i)
            Increment(folder);
    };
    const pid_t other = Fork(count);
    count();
    ASSERT_TRUE(ExitedCleanly(other));
    EXPECT_EQ(ReadFile(folder + "/compte"), "300");
    EXPECT_TRUE(std::filesystem::exists(dir.path() / FolderLock::kLockFileName));
}

TEST(FolderLock, AHolderPastThePatienceIsToldNeverWaitedForEver)
{
    TempDir dir;
    const std::string folder = dir.path().string();
    int taken[2], release[2];
    ASSERT_EQ(::pipe(taken), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t holder = Fork([&] {
        const FolderLock lock(folder);
        char byte = 1;
        (void)!::write(taken[1], &byte, 1);
        (void)!::read(release[0], &byte, 1);
    });
    char byte = 0;
    ASSERT_EQ(::read(taken[0], &byte, 1), 1);

    const auto start = std::chrono::steady_clock::now();
    try {
        const FolderLock lock(folder + "/", 200ms);
        ADD_FAILURE() << "taken while another program holds it";
    } catch (const EFolderBusyError& error) {
        EXPECT_TRUE(std::string(error.what()).starts_with("Vorlane attend le dossier " + folder +
                                                          "/ : un autre programme l'utilise"))
            << error.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

    // Once the other program lets go (or ends), the lock is taken at once.
    (void)!::write(release[1], &byte, 1);
    ASSERT_TRUE(ExitedCleanly(holder));
    EXPECT_NO_THROW(FolderLock(folder, 0ms));
    for (const int fd : {taken[0], taken[1], release[0], release[1]})
        ::close(fd);
}

TEST(FolderLock, ASecondLockInOneProcessReentersOrWaitsItsTurn)
{
    TempDir dir;
    const std::string folder = dir.path().string();
    {
        const FolderLock outer(folder, 0ms);
        // The same thread, the same folder under another spelling: no wait.
        const FolderLock inner(folder + "/.", 0ms);
        Increment(folder);
        // Another thread waits for it, and is told when it waits too long.
        std::thread other([&] { EXPECT_THROW(FolderLock(folder, 100ms), EFolderBusyError); });
        other.join();
    }
    std::thread after([&] { EXPECT_NO_THROW(Increment(folder)); });
    after.join();
    EXPECT_EQ(ReadFile(folder + "/compte"), "2");
}

// A folder this user may not write (a package's) or that is missing is not
// locked, and leaves no lock file: the write that follows says why it fails.
TEST(FolderLock, AFolderNotOursIsLeftAsItIs)
{
    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    {
        const vorlane::test::ScopedUnprivileged nobody;
        EXPECT_NO_THROW(FolderLock(dir.path().string(), 0ms));
        EXPECT_NO_THROW(FolderLock(dir.file("absent"), 0ms));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
