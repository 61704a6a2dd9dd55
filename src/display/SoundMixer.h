#pragma once

#include "display/TWave.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace vorlane {

// One copy of a sound that can play: where it is in the samples and how it is
// heard. Started and stopped through the mixer that plays it.
class SoundVoice {
public:
    explicit SoundVoice(std::shared_ptr<const WaveData> data) : m_data(std::move(data)) {}
    SoundVoice(const SoundVoice&) = delete;
    SoundVoice& operator=(const SoundVoice&) = delete;

    bool Playing() const { return m_playing.load(std::memory_order_acquire); }

private:
    friend class SoundMixer;
    // Fields below are touched by the audio thread, under the device lock.
    std::shared_ptr<const WaveData> m_data;
    std::uint64_t m_position = 0;  // in source frames, 32.32 fixed point
    std::uint64_t m_step = 0;      // source frames per device frame, 32.32
    std::int32_t m_gainLeft = 0;   // 1 << 16 is full volume
    std::int32_t m_gainRight = 0;
    std::uint64_t m_wait = 0;      // device frames of silence before the first sample
    bool m_looped = false;
    std::atomic<bool> m_playing{false};
};

// How a voice is started, in DirectSound's units.
struct VoiceSettings {
    std::uint32_t frequency = 0;  // 0: the wave's own rate
    int volume = 0;               // attenuation in hundredths of a decibel, 0 (full) to -10000 (silent)
    int pan = 0;                  // -10000 (left only) to 10000 (right only), 0 centred
    bool looped = false;
    std::uint32_t delay = 0;      // milliseconds of silence before it starts: a word said after another
};

// The output device and our mixer of voices over SDL's audio subsystem. The
// device pulls 16-bit stereo frames from the audio callback, which resamples
// every playing voice to the device rate and adds them with saturation.
class SoundMixer {
public:
    // Opens the default output device; null when there is none or SDL refuses it.
    static std::unique_ptr<SoundMixer> Open();
    ~SoundMixer();
    SoundMixer(const SoundMixer&) = delete;
    SoundMixer& operator=(const SoundMixer&) = delete;

    int DeviceRate() const { return m_rate; }

    // Stops the voice, rewinds it, applies `settings` and starts it. Returns at
    // once: the voice then plays on in the audio callback.
    void Start(const std::shared_ptr<SoundVoice>& voice, const VoiceSettings& settings);
    void Stop(const std::shared_ptr<SoundVoice>& voice);

    // The audio callback's work: fills `frames` interleaved stereo frames.
    void Mix(std::int16_t* out, int frames);

private:
    SoundMixer() = default;

    std::uint32_t m_device = 0;
    int m_rate = 0;
    std::vector<std::shared_ptr<SoundVoice>> m_active;  // guarded by the device lock
    std::vector<std::int32_t> m_sum;                    // the audio thread's own
};

}  // namespace vorlane
