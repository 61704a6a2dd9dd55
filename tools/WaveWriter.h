#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vorlane {

// A RIFF WAVE file of mono 16-bit PCM samples: the 12-byte RIFF header, a
// 16-byte "fmt " chunk and the "data" chunk.
std::vector<std::uint8_t> WaveFileBytes(std::span<const std::int16_t> samples, int sampleRate);

}  // namespace vorlane
