#pragma once

#include <atomic>

namespace vorlane {

// Long work done off the window's thread (a booklet, an album): how far it
// has got, read by the window's progress bar, and whether the user cancelled
// it. The work counts its steps and looks at Cancelled() between them; the
// window only reads and cancels.
class WorkProgress {
public:
    void AddSteps(int steps) { m_total += steps; }
    void Advance() { ++m_done; }
    int Done() const { return m_done; }
    int Total() const { return m_total; }

    void Cancel() { m_cancelled = true; }
    bool Cancelled() const { return m_cancelled; }

private:
    std::atomic<int> m_total{0};
    std::atomic<int> m_done{0};
    std::atomic<bool> m_cancelled{false};
};

}  // namespace vorlane
