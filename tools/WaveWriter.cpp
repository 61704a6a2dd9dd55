#include "WaveWriter.h"

namespace vorlane {

namespace {

void Put32(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

void Put16(std::vector<std::uint8_t>& bytes, std::uint16_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutTag(std::vector<std::uint8_t>& bytes, const char (&tag)[5])
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(tag[i]));
}

}  // namespace

std::vector<std::uint8_t> WaveFileBytes(std::span<const std::int16_t> samples, int sampleRate)
{
    constexpr std::uint16_t kChannels = 1;
    constexpr std::uint16_t kBitsPerSample = 16;
    constexpr std::uint16_t kBlockAlign = kChannels * kBitsPerSample / 8;
    const auto dataSize = static_cast<std::uint32_t>(samples.size() * kBlockAlign);

    std::vector<std::uint8_t> bytes;
    bytes.reserve(44 + dataSize);
    PutTag(bytes, "RIFF");
    Put32(bytes, 36 + dataSize);
    PutTag(bytes, "WAVE");
    PutTag(bytes, "fmt ");
    Put32(bytes, 16);
    Put16(bytes, 1);  // PCM
    Put16(bytes, kChannels);
    Put32(bytes, static_cast<std::uint32_t>(sampleRate));
    Put32(bytes, static_cast<std::uint32_t>(sampleRate) * kBlockAlign);
    Put16(bytes, kBlockAlign);
    Put16(bytes, kBitsPerSample);
    PutTag(bytes, "data");
    Put32(bytes, dataSize);
    for (const std::int16_t sample : samples)
        Put16(bytes, static_cast<std::uint16_t>(sample));
    return bytes;
}

}  // namespace vorlane
