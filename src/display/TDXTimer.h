#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>

namespace vorlane {

// The frame timer. It ticks from the Qt event loop of the user-interface
// thread: with Interval 0 at every pass paced to the screen's refresh rate
// (so a still game screen costs next to no processor time), otherwise once
// Interval milliseconds have gone by. OnTimer gets the elapsed time in
// intervals (at least 1); TickRate counts ticks per second, drawn or not.
//
// With ActiveOnly the timer stops while the application is inactive and starts
// afresh when it becomes active again.
class TDXTimer {
public:
    // Milliseconds that wrap around like the system's multimedia timer.
    using Clock = std::function<std::uint32_t()>;

    explicit TDXTimer(Clock clock = SystemMilliseconds);
    TDXTimer(const TDXTimer&) = delete;
    TDXTimer& operator=(const TDXTimer&) = delete;

    std::function<void(int lagCount)> OnTimer;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    bool ActiveOnly() const { return m_activeOnly; }
    void SetActiveOnly(bool activeOnly);
    std::uint32_t Interval() const { return m_interval; }
    void SetInterval(std::uint32_t milliseconds);
    int TickRate() const { return m_tickRate; }
    // Enabled and not held back by an inactive application.
    bool Running() const { return m_running; }

    // One pass of the event loop: ticks when Interval has gone by. The loop
    // calls it; tests call it with their own clock.
    void IdlePass();
    // What the application reports; the timer follows Qt's application state.
    void SetApplicationActive(bool active);

    static std::uint32_t SystemMilliseconds();

private:
    void Update();

    Clock m_clock;
    QTimer m_pacer;
    bool m_enabled = false;
    bool m_activeOnly = true;
    bool m_applicationActive = true;
    bool m_running = false;
    std::uint32_t m_interval = 1000;
    std::uint32_t m_lastTick = 0;
    std::uint32_t m_windowStart = 0;
    int m_ticks = 0;
    int m_tickRate = 0;
};

}  // namespace vorlane
