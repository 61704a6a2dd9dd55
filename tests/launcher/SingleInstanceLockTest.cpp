#include "launcher/SingleInstanceLock.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace vorlane {
namespace {

using State = SingleInstanceLock::State;

// Exit codes a child process reports its lock state with.
int ExitCodeOf(State state)
{
    return static_cast<int>(state) + 10;
}

// A copy of the program that takes the lock, says it has it through a pipe,
// then waits until the parent kills it or lets it end.
class RunningCopy {
public:
    explicit RunningCopy(const std::string& lockPath)
    {
        int ready[2];
        int release[2];
        EXPECT_EQ(pipe(ready), 0);
        EXPECT_EQ(pipe(release), 0);
        m_pid = fork();
        if (m_pid == 0) {
            close(ready[0]);
            close(release[1]);
            SingleInstanceLock lock(lockPath);
            const char state = static_cast<char>(lock.GetState());
            (void)!write(ready[1], &state, 1);
            char ignored;
            (void)!read(release[0], &ignored, 1);  // returns when the parent closes its end
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        m_release = release[1];
        char state = -1;
        EXPECT_EQ(read(ready[0], &state, 1), 1);
        close(ready[0]);
        m_state = static_cast<State>(state);
    }
    RunningCopy(const RunningCopy&) = delete;
    RunningCopy& operator=(const RunningCopy&) = delete;
    ~RunningCopy()
    {
        if (m_pid > 0)
            End();
    }

    State GetState() const { return m_state; }

    void End()
    {
        close(m_release);
        Wait();
    }
    void Kill()
    {
        kill(m_pid, SIGKILL);
        close(m_release);
        Wait();
    }

private:
    void Wait()
    {
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }

    pid_t m_pid = -1;
    int m_release = -1;
    State m_state = State::Unavailable;
};

// Starts a copy that only tries the lock and ends at once.
State TryInChild(const std::string& lockPath)
{
    const pid_t pid = fork();
    if (pid == 0) {
        SingleInstanceLock lock(lockPath);
        _exit(ExitCodeOf(lock.GetState()));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return static_cast<State>(WEXITSTATUS(status) - 10);
}

class SingleInstanceLockTest : public testing::Test {
protected:
    test::TempDir folder;
    std::string lockPath = folder.file("Vorlane - Ostrell.lock");
};

TEST_F(SingleInstanceLockTest, SecondCopyIsRefusedWhileTheFirstRunsAndAcceptedAfterItEnds)
{
    {
        RunningCopy first(lockPath);
        ASSERT_EQ(first.GetState(), State::Owned);
        EXPECT_EQ(TryInChild(lockPath), State::HeldElsewhere);
        EXPECT_EQ(TryInChild(lockPath), State::HeldElsewhere);  // a refusal leaves the first copy's lock alone
        first.End();
    }
    EXPECT_EQ(TryInChild(lockPath), State::Owned);
    EXPECT_EQ(TryInChild(lockPath), State::Owned);  // nor does a copy that ended leave a stale lock
}

TEST_F(SingleInstanceLockTest, KilledCopyLeavesNoLockBehind)
{
    RunningCopy first(lockPath);
    ASSERT_EQ(first.GetState(), State::Owned);
    first.Kill();
    EXPECT_TRUE(std::filesystem::exists(lockPath));
    EXPECT_EQ(TryInChild(lockPath), State::Owned);
}

TEST_F(SingleInstanceLockTest, ProgramStartedByTheFirstCopyDoesNotInheritTheLock)
{
    SingleInstanceLock lock(lockPath);
    ASSERT_EQ(lock.GetState(), State::Owned);
    // A program the game starts (a browser for the help links) must not keep
    // the lock once this copy ends: exec drops the descriptor.
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", "ls -l /proc/$$/fd | grep -q 'Ostrell' && exit 1; exit 0", nullptr);
        _exit(2);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SingleInstanceLockTest, FolderWithoutWriteAccessRunsUnguarded)
{
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    test::ScopedUnprivileged unprivileged;
    SingleInstanceLock lock(lockPath);
    EXPECT_EQ(lock.GetState(), State::Unavailable);
}

TEST_F(SingleInstanceLockTest, PlantedLinkIsNotFollowed)
{
    const std::string target = folder.file("elsewhere");
    std::filesystem::create_symlink(target, lockPath);
    SingleInstanceLock lock(lockPath);
    EXPECT_EQ(lock.GetState(), State::Unavailable);
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(SingleInstanceLockTest, AnotherUsersLockFileIsNotUsed)
{
    // Their file under our name, open to all and held by them, must not lock us out.
    test::WriteFile(lockPath, "");
    ASSERT_EQ(chown(lockPath.c_str(), 65534, 65534), 0);
    std::filesystem::permissions(lockPath, std::filesystem::perms::all);
    const int theirs = open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(flock(theirs, LOCK_EX), 0);
    SingleInstanceLock lock(lockPath);
    EXPECT_EQ(lock.GetState(), State::Unavailable);
    close(theirs);
}

TEST(SingleInstanceLockPath, LivesInTheRuntimeFolderElseInTheTempFolderPerUser)
{
    test::TempDir runtime;
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedValue = saved != nullptr ? saved : "";

    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    EXPECT_EQ(SingleInstanceLock::LockFilePath("Vorlane - Ostrell"), runtime.file("Vorlane - Ostrell.lock"));

    for (const char* unusable : {"", "/no/such/folder"}) {
        setenv("XDG_RUNTIME_DIR", unusable, 1);
        const std::string expected =
            (std::filesystem::temp_directory_path() / ("Vorlane - Ostrell." + std::to_string(getuid()) + ".lock")).string();
        EXPECT_EQ(SingleInstanceLock::LockFilePath("Vorlane - Ostrell"), expected) << unusable;
    }

    if (saved != nullptr)
        setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace vorlane
