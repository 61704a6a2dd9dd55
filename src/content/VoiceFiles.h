#pragma once

#include <string>
#include <vector>

namespace vorlane {

// The game's voice: one WAVE file per dot label and per picture name, in the
// folder Voix/ (ContentPlaces::VoiceFiles says which ones to try). A family
// records its own by putting files of these names in the user's Voix/.

// The folder of the voice files, in the program folder and in the user's.
inline constexpr const char* kVoiceFolder = "Voix/";

// The file that says a dot's label: "12.wav", "A.wav". A lower-case letter is
// "a-minuscule.wav": content files are found without regard to case, so "a.wav"
// would answer for "A" too. Empty for a label that has no file (a word, a
// negative number).
std::string LabelVoiceFileName(const std::string& label);

// The file that says a picture's name, in the subfolder Noms/: "Noms/chat.wav".
// The name is kept as it is (letters with accents too), each character a
// file name cannot hold on Linux or Windows (/ \ : * ? " < > | and controls)
// becoming "_". Empty for an empty name.
std::string NameVoiceFileName(const std::string& name);

// The labels the program's own voice says: the numbers 0 to 200, A to Z and a to z.
std::vector<std::string> ShippedVoiceLabels();

}  // namespace vorlane
