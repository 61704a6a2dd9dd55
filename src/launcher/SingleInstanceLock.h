#pragma once

#include <string>

namespace vorlane {

// Keeps a second copy of the program from starting. The lock is an exclusive
// flock on a file named after the lock: the kernel drops it when the holder
// ends, even by a crash or a kill, so a stale file never locks anyone out.
class SingleInstanceLock {
public:
    enum class State {
        Owned,      // this process holds the lock: it is the first copy
        HeldElsewhere,  // another running process holds it
        Unavailable,  // no lock could be made; the program runs unguarded
    };

    // Takes the lock on the file at `lockFilePath`, creating the file if needed.
    // A link, or a file owned by another user, is not used (Unavailable).
    // Never waits. Makes no memory allocation, so a forked child can use it.
    explicit SingleInstanceLock(const std::string& lockFilePath);
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;
    ~SingleInstanceLock();

    State GetState() const { return m_state; }

    // Where the lock named `name` lives: $XDG_RUNTIME_DIR, private to the user,
    // else the temp folder with the user's id in the name so that two users of
    // one machine do not lock each other out.
    static std::string LockFilePath(const std::string& name);

private:
    int m_fd = -1;
    State m_state = State::Unavailable;
};

}  // namespace vorlane
