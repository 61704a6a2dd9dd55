#pragma once

#include <cstdint>

namespace vorlane {

// The random source of the pictures' order: a 32-bit linear congruential
// generator, so that a seed always gives the same order.
class RandomSource {
public:
    explicit RandomSource(std::uint32_t seed) : m_seed(seed) {}
    // Seeded with the milliseconds elapsed since midnight, universal time.
    static RandomSource FromClock();

    // A number from 0 to n - 1 (0 when n is 0): the seed becomes
    // seed * 134775813 + 1 modulo 2^32, and the draw is the high 32 bits of seed * n.
    std::uint32_t Draw(std::uint32_t n);

    std::uint32_t Seed() const { return m_seed; }

private:
    std::uint32_t m_seed;
};

// ((hour * 60 + minute) * 60 + second) * 1000 + milliseconds, in universal time.
std::uint32_t MillisecondsSinceMidnightUtc();

}  // namespace vorlane
