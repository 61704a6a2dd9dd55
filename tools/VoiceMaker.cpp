#include "VoiceMaker.h"

#include "DemoMaker.h"
#include "ThemeFiles.h"
#include "WaveWriter.h"

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "content/VoiceFiles.h"
#include "display/TWave.h"

#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>

namespace vorlane {

namespace {

// Slower than espeak-ng's 175 words a minute: a child listens.
constexpr const char* kWordsPerMinute = "140";
constexpr int kTaps = 31;

// The samples of a 16-bit mono wave.
std::vector<std::int16_t> Samples(const TWave& wave)
{
    const std::span<const std::uint8_t> bytes = wave.Samples();
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

std::vector<std::int16_t> Say(const std::string& espeak, const QString& text, const QString& scratch, int& rate)
{
    QProcess process;
    process.start(QString::fromStdString(espeak),
                  {QStringLiteral("-v"), QStringLiteral("fr"), QStringLiteral("-s"), QLatin1String(kWordsPerMinute),
                   QStringLiteral("-w"), scratch, text});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw EVorlaneError("Impossible de faire dire « " + text.toStdString() + " » à " + espeak + " : " +
                            process.errorString().toStdString() + " " + process.readAllStandardError().toStdString());
    TWave wave;
    wave.LoadWaveFile(scratch.toStdString());
    if (wave.Format().channels != 1 || wave.Format().bitsPerSample != 16 || wave.Empty())
        throw EVorlaneError(espeak + " n'a rien dit pour « " + text.toStdString() + " ».");
    rate = static_cast<int>(wave.Format().samplesPerSec);
    return Samples(wave);
}

}  // namespace

std::vector<std::int16_t> ShippedWord(std::span<const std::int16_t> said, int rate, int& shippedRate)
{
    // The word is where the samples rise above a fiftieth of its loudest.
    int peak = 0;
    for (const std::int16_t sample : said)
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    const int threshold = std::max(peak / 50, 1);
    const auto loud = [threshold](std::int16_t sample) { return std::abs(static_cast<int>(sample)) > threshold; };
    const auto first = std::find_if(said.begin(), said.end(), loud);
    if (first == said.end())
        return {};
    const auto last = std::find_if(said.rbegin(), said.rend(), loud).base();
    // A breath before it, and room for its last sound to fade.
    const std::ptrdiff_t before = rate / 50;
    const std::ptrdiff_t after = rate / 12;
    const std::ptrdiff_t begin = std::max<std::ptrdiff_t>(first - said.begin() - before, 0);
    const std::ptrdiff_t end = std::min<std::ptrdiff_t>(last - said.begin() + after, std::ssize(said));

    // Half the rate: a windowed-sinc low-pass below the new Nyquist
    // frequency, then every other sample.
    std::array<double, kTaps> taps{};
    const double cutoff = 0.45 / 2;  // cycles per input sample
    double sum = 0;
    for (int i = 0; i < kTaps; ++i) {
        const double n = i - (kTaps - 1) / 2.0;
        const double sinc = n == 0 ? 2 * cutoff : std::sin(2 * std::numbers::pi * cutoff * n) / (std::numbers::pi * n);
        const double window = 0.54 - 0.46 * std::cos(2 * std::numbers::pi * i / (kTaps - 1));
        taps[static_cast<std::size_t>(i)] = sinc * window;
        sum += sinc * window;
    }
    std::vector<std::int16_t> shipped;
    shipped.reserve(static_cast<std::size_t>((end - begin) / 2 + 1));
    for (std::ptrdiff_t centre = begin; centre < end; centre += 2) {
        double value = 0;
        for (int i = 0; i < kTaps; ++i) {
            const std::ptrdiff_t at = centre + i - (kTaps - 1) / 2;
            if (at >= begin && at < end)
                value += taps[static_cast<std::size_t>(i)] * said[static_cast<std::size_t>(at)];
        }
        shipped.push_back(static_cast<std::int16_t>(std::clamp(std::lround(value / sum), -32768L, 32767L)));
    }
    shippedRate = rate / 2;
    // A few milliseconds of fade at each end: no click where the cut falls.
    const std::size_t fade = std::min<std::size_t>(static_cast<std::size_t>(shippedRate / 200), shipped.size() / 2);
    for (std::size_t i = 0; i < fade; ++i) {
        const double share = static_cast<double>(i) / static_cast<double>(fade);
        shipped[i] = static_cast<std::int16_t>(std::lround(shipped[i] * share));
        shipped[shipped.size() - 1 - i] = static_cast<std::int16_t>(std::lround(shipped[shipped.size() - 1 - i] * share));
    }
    return shipped;
}

void MakeVoice(const std::string& programDir, const std::string& espeak)
{
    std::vector<std::pair<QString, std::string>> words;
    for (const std::string& label : ShippedVoiceLabels())
        words.emplace_back(QString::fromStdString(label), LabelVoiceFileName(label));
    for (const ThemeRecipe& theme : DemoThemes())
        for (const PictureRecipe& picture : theme.pictures)
            // Named as the game reads the name back from theme.dat.
            if (const std::string titre = TitreValue(picture.name.toStdString()); !titre.empty())
                words.emplace_back(QString::fromStdString(titre), NameVoiceFileName(titre));

    const QTemporaryDir scratch;
    if (!scratch.isValid())
        throw EVorlaneError("Impossible de créer un dossier temporaire : " + scratch.errorString().toStdString());
    const QString said = scratch.filePath(QStringLiteral("dit.wav"));
    const std::string voice = MakeFolder(programDir + "/" + kVoiceFolder);
    for (const auto& [text, file] : words) {
        int rate = 0;
        const std::vector<std::int16_t> samples = Say(espeak, text, said, rate);
        int shippedRate = 0;
        const std::vector<std::int16_t> shipped = ShippedWord(samples, rate, shippedRate);
        if (shipped.empty())
            throw EVorlaneError(espeak + " n'a rien dit pour « " + text.toStdString() + " ».");
        const std::string path = voice + file;
        MakeFolder(std::filesystem::path(path).parent_path().string());
        ReplaceFileAtomically(path, WaveFileBytes(shipped, shippedRate));
    }
}

}  // namespace vorlane
