#include "content/RandomSource.h"

#include <chrono>

namespace vorlane {

RandomSource RandomSource::FromClock()
{
    return RandomSource(MillisecondsSinceMidnightUtc());
}

std::uint32_t RandomSource::Draw(std::uint32_t n)
{
    m_seed = m_seed * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(m_seed) * n) >> 32);
}

std::uint32_t MillisecondsSinceMidnightUtc()
{
    using namespace std::chrono;
    // The system clock counts days of exactly 86 400 s, so the time of day is the remainder.
    const auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    constexpr std::int64_t kDay = 24LL * 60 * 60 * 1000;
    return static_cast<std::uint32_t>(((sinceEpoch % kDay) + kDay) % kDay);
}

}  // namespace vorlane
