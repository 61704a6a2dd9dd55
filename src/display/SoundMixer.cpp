#include "display/SoundMixer.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vorlane {
namespace {

constexpr int kWantedRate = 44100;
constexpr int kBufferFrames = 512;  // about 12 ms: a click is heard at once

void SDLCALL AudioCallback(void* mixer, Uint8* stream, int length)
{
    static_cast<SoundMixer*>(mixer)->Mix(reinterpret_cast<std::int16_t*>(stream), length / 4);
}

// Hundredths of a decibel to a 16.16 gain.
std::int32_t GainOf(int centibels)
{
    if (centibels <= -10000)
        return 0;
    return static_cast<std::int32_t>(std::lround(65536.0 * std::pow(10.0, centibels / 2000.0)));
}

template <int Bits>
std::int32_t SampleAt(const std::uint8_t* samples, std::size_t index)
{
    if constexpr (Bits == 8)
        return (samples[index] - 128) * 256;
    else
        return static_cast<std::int16_t>(samples[2 * index] | (samples[2 * index + 1] << 8));
}

// Adds `frames` frames of one voice to `sum`; false once the voice has ended.
template <int Bits, int Channels>
bool MixVoice(std::uint64_t& position, std::uint64_t step, bool looped, std::int32_t gainLeft, std::int32_t gainRight,
              const WaveData& data, std::int32_t* sum, int frames)
{
    const std::uint8_t* samples = data.samples.data();
    const std::uint64_t count = data.FrameCount();
    if (count == 0)
        return false;
    const std::uint64_t length = count << 32;
    for (int i = 0; i < frames; ++i) {
        if (position >= length) {
            if (!looped)
                return false;
            position %= length;
        }
        const std::size_t index = static_cast<std::size_t>(position >> 32);
        const std::size_t next = index + 1 < count ? index + 1 : (looped ? 0 : index);
        const std::int32_t fraction = static_cast<std::int32_t>((position >> 17) & 0x7FFF);
        std::int32_t left = 0;
        std::int32_t right = 0;
        // Linear interpolation between the two source frames around the position.
        for (int c = 0; c < Channels; ++c) {
            const std::int32_t a = SampleAt<Bits>(samples, index * Channels + c);
            const std::int32_t b = SampleAt<Bits>(samples, next * Channels + c);
            const std::int32_t value = a + (((b - a) * fraction) >> 15);
            (c == 0 ? left : right) = value;
        }
        if constexpr (Channels == 1)
            right = left;
        sum[2 * i] += static_cast<std::int32_t>((static_cast<std::int64_t>(left) * gainLeft) >> 16);
        sum[2 * i + 1] += static_cast<std::int32_t>((static_cast<std::int64_t>(right) * gainRight) >> 16);
        position += step;
    }
    return true;
}

}  // namespace

std::unique_ptr<SoundMixer> SoundMixer::Open()
{
    // SDL's own SIGINT and SIGTERM handlers would make the program ignore both.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return nullptr;
    std::unique_ptr<SoundMixer> mixer(new SoundMixer());
    SDL_AudioSpec wanted{};
    wanted.freq = kWantedRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = kBufferFrames;
    wanted.callback = AudioCallback;
    wanted.userdata = mixer.get();
    SDL_AudioSpec obtained{};
    // Any rate will do (we resample); SDL converts the sample format and channels if it must.
    mixer->m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (mixer->m_device == 0 || obtained.freq <= 0)
        return nullptr;
    mixer->m_rate = obtained.freq;
    mixer->m_sum.resize(static_cast<std::size_t>(std::max<int>(obtained.samples, 1)) * 2);
    mixer->m_active.reserve(64);
    // A device opens paused: the callback starts only now that the mixer is ready.
    SDL_PauseAudioDevice(mixer->m_device, 0);
    return mixer;
}

SoundMixer::~SoundMixer()
{
    if (m_device != 0)
        SDL_CloseAudioDevice(m_device);  // waits for a running callback
    for (const auto& voice : m_active)
        voice->m_playing.store(false, std::memory_order_release);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SoundMixer::Start(const std::shared_ptr<SoundVoice>& voice, const VoiceSettings& settings)
{
    const WaveData& data = *voice->m_data;
    if (data.FrameCount() == 0)
        return;
    const std::uint64_t frequency = settings.frequency != 0 ? settings.frequency : data.format.samplesPerSec;
    const int volume = std::clamp(settings.volume, -10000, 0);
    const int pan = std::clamp(settings.pan, -10000, 10000);
    // Pan attenuates the other side only, as DirectSound does.
    const std::int32_t left = GainOf(volume - std::max(pan, 0));
    const std::int32_t right = GainOf(volume + std::min(pan, 0));

    SDL_LockAudioDevice(m_device);
    voice->m_position = 0;
    voice->m_step = (frequency << 32) / static_cast<std::uint64_t>(m_rate);
    voice->m_gainLeft = left;
    voice->m_gainRight = right;
    voice->m_looped = settings.looped;
    voice->m_wait = std::uint64_t{settings.delay} * static_cast<std::uint64_t>(m_rate) / 1000;
    if (!voice->m_playing.load(std::memory_order_relaxed)) {
        voice->m_playing.store(true, std::memory_order_release);
        m_active.push_back(voice);
    }
    SDL_UnlockAudioDevice(m_device);
}

void SoundMixer::Stop(const std::shared_ptr<SoundVoice>& voice)
{
    SDL_LockAudioDevice(m_device);
    const auto at = std::find(m_active.begin(), m_active.end(), voice);
    if (at != m_active.end()) {
        (*at)->m_playing.store(false, std::memory_order_release);
        m_active.erase(at);
    }
    SDL_UnlockAudioDevice(m_device);
}

void SoundMixer::Mix(std::int16_t* out, int frames)
{
    const int chunk = static_cast<int>(m_sum.size() / 2);
    for (int done = 0; done < frames; done += chunk) {
        const int n = std::min(chunk, frames - done);
        std::fill_n(m_sum.begin(), 2 * n, 0);
        for (std::size_t v = 0; v < m_active.size();) {
            SoundVoice& voice = *m_active[v];
            // A voice still waiting to start adds nothing before its first frame.
            const int wait = static_cast<int>(std::min<std::uint64_t>(voice.m_wait, static_cast<std::uint64_t>(n)));
            voice.m_wait -= static_cast<std::uint64_t>(wait);
            if (wait == n) {
                ++v;
                continue;
            }
            const WaveData& data = *voice.m_data;
            const auto mix = data.format.bitsPerSample == 8
                                 ? (data.format.channels == 1 ? MixVoice<8, 1> : MixVoice<8, 2>)
                                 : (data.format.channels == 1 ? MixVoice<16, 1> : MixVoice<16, 2>);
            if (mix(voice.m_position, voice.m_step, voice.m_looped, voice.m_gainLeft, voice.m_gainRight, data,
                    m_sum.data() + 2 * wait, n - wait)) {
                ++v;
                continue;
            }
            voice.m_playing.store(false, std::memory_order_release);
            m_active[v] = std::move(m_active.back());
            m_active.pop_back();
        }
        for (int i = 0; i < 2 * n; ++i)
            out[2 * done + i] = static_cast<std::int16_t>(std::clamp(m_sum[i], -32768, 32767));
    }
}

}  // namespace vorlane
