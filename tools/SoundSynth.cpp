#include "SoundSynth.h"

#include "Shape.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vorlane {

namespace {

Voice ParseVoice(const QJsonObject& object)
{
    Voice voice;
    const QString wave = object[QLatin1String("wave")].toString(QStringLiteral("sine"));
    if (wave == QLatin1String("sine"))
        voice.wave = Voice::Wave::Sine;
    else if (wave == QLatin1String("triangle"))
        voice.wave = Voice::Wave::Triangle;
    else if (wave == QLatin1String("noise"))
        voice.wave = Voice::Wave::Noise;
    else
        throw EDemoDataError("onde inconnue : " + wave.toStdString());
    voice.start = NumberOr(object, "start", voice.start);
    voice.length = NumberOr(object, "length", voice.length);
    voice.frequency = NumberOr(object, "freq", voice.frequency);
    voice.frequencyEnd = NumberOr(object, "freqEnd", voice.frequencyEnd);
    voice.attack = NumberOr(object, "attack", voice.attack);
    voice.decay = NumberOr(object, "decay", voice.decay);
    voice.release = NumberOr(object, "release", voice.release);
    voice.gain = NumberOr(object, "gain", voice.gain);
    if (object.contains(QLatin1String("harmonics"))) {
        voice.harmonics.clear();
        for (const QJsonValue harmonic : object[QLatin1String("harmonics")].toArray())
            voice.harmonics.push_back(harmonic.toDouble());
    }
    if (voice.length <= 0 || voice.frequency <= 0 || voice.start < 0 || voice.frequencyEnd < 0)
        throw EDemoDataError("voix : durée, début et fréquences positifs");
    return voice;
}

// Level of the voice's envelope at time t inside it.
double Envelope(const Voice& voice, double t)
{
    double level = voice.attack > 0 ? std::min(1.0, t / voice.attack) : 1.0;
    if (voice.decay > 0 && t > voice.attack)
        level *= std::exp(-(t - voice.attack) / voice.decay);
    const double left = voice.length - t;
    if (voice.release > 0 && left < voice.release)
        level *= std::max(0.0, left / voice.release);
    return level;
}

void AddVoice(const Voice& voice, int sampleRate, std::vector<double>& mix)
{
    const auto first = static_cast<std::size_t>(std::lround(voice.start * sampleRate));
    const auto count = static_cast<std::size_t>(std::lround(voice.length * sampleRate));
    const double nyquist = sampleRate / 2.0;
    const double glideEnd = voice.frequencyEnd > 0 ? voice.frequencyEnd : voice.frequency;
    double phase = 0;       // in cycles
    std::uint32_t noise = 0x9E3779B9u;
    double lowPassed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        // Exponential glide: equal musical steps in equal times.
        const double frequency = voice.frequency * std::pow(glideEnd / voice.frequency, t / voice.length);
        double value = 0;
        switch (voice.wave) {
        case Voice::Wave::Sine:
            for (std::size_t h = 0; h < voice.harmonics.size(); ++h) {
                const double partial = frequency * static_cast<double>(h + 1);
                if (partial < nyquist)
                    value += voice.harmonics[h] * std::sin(2 * std::numbers::pi * phase * static_cast<double>(h + 1));
            }
            break;
        case Voice::Wave::Triangle: {
            const double cycle = phase - std::floor(phase);
            value = 4 * std::abs(cycle - 0.5) - 1;
            break;
        }
        case Voice::Wave::Noise: {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const double white = static_cast<double>(noise) / 2147483648.0 - 1.0;
            // One-pole low-pass at the voice's frequency: a soft "shh" rather than a hiss.
            const double alpha = 1 - std::exp(-2 * std::numbers::pi * frequency / sampleRate);
            lowPassed += alpha * (white - lowPassed);
            value = lowPassed;
            break;
        }
        }
        phase += frequency / sampleRate;
        if (first + i < mix.size())
            mix[first + i] += voice.gain * Envelope(voice, t) * value;
    }
}

}  // namespace

SoundRecipe ParseSound(const QJsonValue& value)
{
    const QJsonObject object = value.toObject();
    SoundRecipe recipe;
    recipe.name = object[QLatin1String("name")].toString();
    recipe.peak = NumberOr(object, "peak", recipe.peak);
    for (const QJsonValue voice : object[QLatin1String("voices")].toArray())
        recipe.voices.push_back(ParseVoice(voice.toObject()));
    if (recipe.name.isEmpty() || recipe.voices.empty() || recipe.peak <= 0 || recipe.peak > 1)
        throw EDemoDataError("son « " + recipe.name.toStdString() + " » : un nom, des voix et un pic entre 0 et 1");
    return recipe;
}

std::vector<std::int16_t> Synthesise(const SoundRecipe& recipe, int sampleRate)
{
    double duration = 0;
    for (const Voice& voice : recipe.voices)
        duration = std::max(duration, voice.start + voice.length);
    std::vector<double> mix(static_cast<std::size_t>(std::lround(duration * sampleRate)), 0.0);
    for (const Voice& voice : recipe.voices)
        AddVoice(voice, sampleRate, mix);

    double loudest = 0;
    for (const double sample : mix)
        loudest = std::max(loudest, std::abs(sample));
    const double scale = loudest > 0 ? recipe.peak * 32767 / loudest : 0;
    std::vector<std::int16_t> samples;
    samples.reserve(mix.size());
    for (const double sample : mix)
        samples.push_back(static_cast<std::int16_t>(std::lround(sample * scale)));
    return samples;
}

}  // namespace vorlane
