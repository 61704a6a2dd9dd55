#include "display/TDXTimer.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>

namespace vorlane {

namespace {

// Milliseconds between passes with Interval 0: one screen refresh.
int FramePeriod()
{
    double rate = 60;
    if (qGuiApp != nullptr)
        if (const QScreen* screen = QGuiApplication::primaryScreen(); screen != nullptr && screen->refreshRate() >= 1)
            rate = screen->refreshRate();
    return std::max(1, static_cast<int>(std::lround(1000 / rate)));
}

}  // namespace

std::uint32_t TDXTimer::SystemMilliseconds()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

TDXTimer::TDXTimer(Clock clock) : m_clock(std::move(clock))
{
    m_pacer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_pacer, &QTimer::timeout, [this] { IdlePass(); });
    if (qGuiApp != nullptr) {
        m_applicationActive = QGuiApplication::applicationState() == Qt::ApplicationActive;
        QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, &m_pacer,
                         [this](Qt::ApplicationState state) { SetApplicationActive(state == Qt::ApplicationActive); });
    }
}

void TDXTimer::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    Update();
}

void TDXTimer::SetActiveOnly(bool activeOnly)
{
    m_activeOnly = activeOnly;
    Update();
}

void TDXTimer::SetInterval(std::uint32_t milliseconds)
{
    m_interval = milliseconds;
    if (m_running)
        m_pacer.start(m_interval == 0 ? FramePeriod() : static_cast<int>(std::min<std::uint32_t>(m_interval, INT_MAX)));
}

void TDXTimer::SetApplicationActive(bool active)
{
    m_applicationActive = active;
    Update();
}

void TDXTimer::Update()
{
    const bool run = m_enabled && (m_applicationActive || !m_activeOnly);
    if (run == m_running)
        return;
    m_running = run;
    if (!run) {
        m_pacer.stop();
        return;
    }
    m_lastTick = m_clock();
    m_windowStart = m_lastTick;
    m_ticks = 0;
    SetInterval(m_interval);
}

void TDXTimer::IdlePass()
{
    if (!m_running)
        return;
    const std::uint32_t now = m_clock();
    const std::uint32_t elapsed = now - m_lastTick;
    if (elapsed < m_interval)
        return;
    const std::uint32_t lag = std::max<std::uint32_t>(elapsed / std::max<std::uint32_t>(m_interval, 1), 1);
    m_lastTick = now;
    ++m_ticks;
    const std::uint32_t window = now - m_windowStart;
    if (window >= 1000) {
        m_tickRate = static_cast<int>((static_cast<std::uint64_t>(m_ticks) * 1000 + window / 2) / window);
        m_ticks = 0;
        m_windowStart = now;
    }
    if (OnTimer)
        OnTimer(static_cast<int>(std::min<std::uint32_t>(lag, INT_MAX)));
}

}  // namespace vorlane
