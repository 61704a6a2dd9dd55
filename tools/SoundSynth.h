#pragma once

#include <QJsonValue>
#include <QString>

#include <cstdint>
#include <vector>

namespace vorlane {

// One voice of a synthesised sound: a tone (or noise) with its own start,
// length, pitch glide and envelope. Times in seconds, frequencies in hertz.
struct Voice {
    enum class Wave { Sine, Triangle, Noise };
    Wave wave = Wave::Sine;
    double start = 0;
    double length = 0.2;
    double frequency = 440;
    double frequencyEnd = 0;         // glide target; 0 keeps the pitch
    std::vector<double> harmonics{1};  // Sine: strength of partials 1, 2, 3...
    double attack = 0.005;
    double decay = 0;                // exponential decay time; 0 holds the level
    double release = 0.02;           // fade at the voice's end, so that it never clicks
    double gain = 1;
};

// A sound effect of the appearance, as the data file describes it.
struct SoundRecipe {
    QString name;   // file name without extension (S_Oui...)
    double peak = 0.6;  // loudest sample, as a fraction of full scale
    std::vector<Voice> voices;
};

// Reads {"name": ..., "peak": ..., "voices": [...]}. Raises EDemoDataError.
SoundRecipe ParseSound(const QJsonValue& value);

// Mono 16-bit samples of the recipe at `sampleRate`, normalised to its peak.
std::vector<std::int16_t> Synthesise(const SoundRecipe& recipe, int sampleRate);

}  // namespace vorlane
