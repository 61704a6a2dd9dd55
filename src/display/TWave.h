#pragma once

#include "base/Errors.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vorlane {

// "Wave is invalid": bytes that are not a RIFF WAVE file of samples this program can play.
class EInvalidWave : public EVorlaneError {
public:
    EInvalidWave();
};

// The wave format block of a PCM sound.
struct TWaveFormat {
    std::uint16_t formatTag = 0;  // 1: PCM
    std::uint16_t channels = 0;   // 1 or 2
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;     // bytes of one frame (one sample of every channel)
    std::uint16_t bitsPerSample = 0;  // 8 (unsigned) or 16 (signed) once loaded
};

// A loaded sound: its format and whole frames of interleaved little-endian samples.
struct WaveData {
    TWaveFormat format;
    std::vector<std::uint8_t> samples;

    std::size_t FrameCount() const { return format.blockAlign ? samples.size() / format.blockAlign : 0; }
};

// A sound slot's wave: the format block and the samples of a RIFF WAVE file.
class TWave {
public:
    const TWaveFormat& Format() const;
    std::span<const std::uint8_t> Samples() const;
    std::size_t FrameCount() const { return m_data ? m_data->FrameCount() : 0; }
    bool Empty() const { return FrameCount() == 0; }

    // Reads a RIFF WAVE file, mono or stereo, any rate: PCM of 8, 16, 24 or 32
    // bits or floating point of 32 or 64 bits, plain or in an extensible format
    // block. Anything but 8- and 16-bit PCM is converted to 16-bit PCM, the
    // formats the mixer plays. A file that cannot be opened raises EFOpenError;
    // anything else (a compressed codec...) raises EInvalidWave. On failure the
    // wave is left as it was.
    void LoadWaveFile(const std::string& path);
    void LoadWaveBytes(std::span<const std::uint8_t> bytes);
    void Clear() { m_data.reset(); }

    // The loaded sound, shared read-only with the voices playing it. Every load
    // makes a new one, so a sound made from an earlier load can tell it is out of date.
    const std::shared_ptr<const WaveData>& Data() const { return m_data; }

private:
    std::shared_ptr<const WaveData> m_data;
};

}  // namespace vorlane
