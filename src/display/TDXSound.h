#pragma once

#include "base/Errors.h"

#include <memory>
#include <string>

namespace vorlane {

class SoundMixer;
class TDXWaveList;

// "%s cannot be initialized" with "DirectSound": no sound device could be opened.
class EDirectSoundError : public EVorlaneError {
public:
    using EVorlaneError::EVorlaneError;
};

enum class SoundOpening {
    Manual,     // closed until OpenSound
    Automatic,  // opened at construction; a device error is swallowed and the device stays closed
};

// The sound device: the default audio output, open or not. While it is closed
// every play does nothing.
class TDXSound {
public:
    explicit TDXSound(SoundOpening opening = SoundOpening::Manual);
    ~TDXSound();
    TDXSound(const TDXSound&) = delete;
    TDXSound& operator=(const TDXSound&) = delete;

    // Closes the device if open, then opens it. Raises EDirectSoundError and
    // stays closed when there is no device.
    void OpenSound();
    // Closes the device; sounds being heard stop.
    void Finalize();
    bool Initialized() const { return m_mixer != nullptr; }
    // The device's output rate in Hz; 0 when closed.
    int DeviceRate() const;

private:
    friend void PlaySound(TDXWaveList& list, int slot, int volume, int pan, int delay);
    friend void StopSound(TDXWaveList& list, int slot);

    std::unique_ptr<SoundMixer> m_mixer;
};

}  // namespace vorlane
