// Any bytes either fail with "Wave is invalid" or give a PCM wave the mixer can play.
#include "display/TWave.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vorlane::TWave wave;
    try {
        wave.LoadWaveBytes({data, size});
    } catch (const vorlane::EInvalidWave&) {
        return 0;
    }
    const vorlane::TWaveFormat& f = wave.Format();
    const bool playable = f.formatTag == 1 && (f.channels == 1 || f.channels == 2) &&
                          (f.bitsPerSample == 8 || f.bitsPerSample == 16) && f.samplesPerSec > 0 &&
                          f.blockAlign == f.channels * f.bitsPerSample / 8 &&
                          wave.Samples().size() == wave.FrameCount() * f.blockAlign;
    if (!playable)
        std::abort();
    return 0;
}
