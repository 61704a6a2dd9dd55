#include "display/TDXSound.h"

#include "display/SoundMixer.h"

namespace vorlane {

TDXSound::TDXSound(SoundOpening opening)
{
    if (opening == SoundOpening::Automatic) {
        try {
            OpenSound();
        } catch (const EDirectSoundError&) {
            // No sound card is no reason to refuse to start: the game plays silently.
        }
    }
}

TDXSound::~TDXSound() = default;

void TDXSound::OpenSound()
{
    m_mixer.reset();
    m_mixer = SoundMixer::Open();
    if (!m_mixer)
        throw EDirectSoundError(FormatMessage("%s cannot be initialized", "DirectSound"));
}

void TDXSound::Finalize()
{
    m_mixer.reset();
}

int TDXSound::DeviceRate() const
{
    return m_mixer ? m_mixer->DeviceRate() : 0;
}

}  // namespace vorlane
