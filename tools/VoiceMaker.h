#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vorlane {

// The program's voice: every label the demo themes print (ShippedVoiceLabels:
// 0 to 200, A to Z, a to z) and the name of every demo picture, said by
// espeak-ng's French voice and written under `programDir`/Voix with the names
// of content/VoiceFiles.h. espeak-ng is a build tool, run as a program;
// nothing of it is linked or shipped. Raises EVorlaneError (French) when it
// cannot be run or says nothing.
void MakeVoice(const std::string& programDir, const std::string& espeak = "espeak-ng");

// What the program ships of one word said at `rate` Hz (mono, 16 bits): the
// silence before and after it cut away but for a breath, then the rate
// halved through a low-pass filter, for files a quarter of espeak-ng's.
std::vector<std::int16_t> ShippedWord(std::span<const std::int16_t> said, int rate, int& shippedRate);

}  // namespace vorlane
