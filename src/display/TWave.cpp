#include "display/TWave.h"

#include "base/AtomicFile.h"
#include "display/ByteReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace vorlane {

EInvalidWave::EInvalidWave() : EVorlaneError("Wave is invalid") {}

namespace {

using Reader = ByteReader<EInvalidWave>;

constexpr std::uint16_t kPcm = 1;
constexpr std::uint16_t kFloat = 3;
constexpr std::uint16_t kExtensible = 0xFFFE;
// The sub-format GUID of an extensible format block: the format tag, then this tail.
constexpr std::uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                             0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// The format block as the file gives it: PCM of 8 to 32 bits or floating point
// of 32 or 64 bits; compressed codecs are refused.
TWaveFormat ReadFormat(std::span<const std::uint8_t> chunk)
{
    Reader in(chunk);
    TWaveFormat f;
    f.formatTag = in.U16();
    f.channels = in.U16();
    f.samplesPerSec = in.U32();
    in.U32();  // bytes per second and block size: worked out below, not trusted
    in.U16();
    f.bitsPerSample = in.U16();
    if (f.formatTag == kExtensible) {
        Reader::Require(in.U16() >= 22);  // size of the extension
        in.Skip(6);                       // valid bits (the samples fill their container), channel mask
        f.formatTag = in.U16();
        Reader::Require(std::memcmp(in.Take(14).data(), kSubFormatTail, 14) == 0);
    }
    if (f.formatTag == kPcm)
        Reader::Require(f.bitsPerSample == 8 || f.bitsPerSample == 16 || f.bitsPerSample == 24 ||
                        f.bitsPerSample == 32);
    else
        Reader::Require(f.formatTag == kFloat && (f.bitsPerSample == 32 || f.bitsPerSample == 64));
    Reader::Require(f.channels == 1 || f.channels == 2);
    Reader::Require(f.samplesPerSec > 0);
    f.blockAlign = static_cast<std::uint16_t>(f.channels * f.bitsPerSample / 8);
    f.avgBytesPerSec = f.samplesPerSec * f.blockAlign;
    return f;
}

// One sample of a 24-bit, 32-bit or floating-point file as a 16-bit one, rounded.
std::int16_t Sample16(const std::uint8_t* p, const TWaveFormat& f)
{
    double value = 0;  // -1 to 1
    if (f.formatTag == kFloat && f.bitsPerSample == 32) {
        float single = 0;
        std::memcpy(&single, p, 4);
        value = single;
    } else if (f.formatTag == kFloat) {
        std::memcpy(&value, p, 8);
    } else {
        std::int32_t wide = 0;  // the sample in the top bits
        for (int b = 0; b < f.bitsPerSample / 8; ++b)
            wide = static_cast<std::int32_t>(static_cast<std::uint32_t>(wide) >> 8 |
                                             static_cast<std::uint32_t>(p[b]) << 24);
        value = wide / 2147483648.0;
    }
    if (std::isnan(value))
        return 0;
    return static_cast<std::int16_t>(std::lround(std::clamp(value * 32768.0, -32768.0, 32767.0)));
}

// The mixer plays 8- and 16-bit PCM; deeper samples and floating point become 16 bits.
void ConvertTo16Bits(WaveData& data, std::span<const std::uint8_t> samples)
{
    const TWaveFormat from = data.format;
    const std::size_t count = samples.size() / from.blockAlign * from.channels;
    const std::size_t size = from.bitsPerSample / 8u;
    data.samples.resize(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto v = static_cast<std::uint16_t>(Sample16(samples.data() + i * size, from));
        data.samples[2 * i] = static_cast<std::uint8_t>(v);
        data.samples[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    data.format.formatTag = kPcm;
    data.format.bitsPerSample = 16;
    data.format.blockAlign = static_cast<std::uint16_t>(2 * from.channels);
    data.format.avgBytesPerSec = from.samplesPerSec * data.format.blockAlign;
}

}  // namespace

const TWaveFormat& TWave::Format() const
{
    static const TWaveFormat none;
    return m_data ? m_data->format : none;
}

std::span<const std::uint8_t> TWave::Samples() const
{
    if (!m_data)
        return {};
    return m_data->samples;
}

void TWave::LoadWaveFile(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes))
        throw EFOpenError(path);
    LoadWaveBytes(bytes);
}

void TWave::LoadWaveBytes(std::span<const std::uint8_t> bytes)
{
    Reader in(bytes);
    Reader::Require(in.Tag("RIFF"));
    const std::uint32_t riffSize = in.U32();
    Reader::Require(in.Tag("WAVE"));
    // The RIFF size counts "WAVE" and the chunks; bytes after it are not ours. It
    // may count the pad byte of a last odd chunk that the writer then left out.
    Reader::Require(riffSize >= 4 && riffSize - 4 <= in.Remaining() + 1);
    Reader chunks(in.Take(std::min<std::size_t>(riffSize - 4, in.Remaining())));

    std::optional<TWaveFormat> format;
    std::optional<std::span<const std::uint8_t>> samples;
    while (chunks.Remaining() >= 8) {
        const auto id = chunks.Take(4);
        const std::uint32_t size = chunks.U32();
        const auto body = chunks.Take(size);  // a size past the end is refused here
        if (std::memcmp(id.data(), "fmt ", 4) == 0 && !format)
            format = ReadFormat(body);
        else if (std::memcmp(id.data(), "data", 4) == 0 && !samples)
            samples = body;
        // Chunks are padded to an even size; the last pad byte may be missing.
        if ((size & 1) != 0 && chunks.Remaining() > 0)
            chunks.Skip(1);
    }
    Reader::Require(format.has_value() && samples.has_value());

    auto data = std::make_shared<WaveData>();
    data->format = *format;
    if (format->formatTag == kPcm && format->bitsPerSample <= 16) {
        const std::size_t whole = samples->size() / format->blockAlign * format->blockAlign;
        data->samples.assign(samples->begin(), samples->begin() + static_cast<std::ptrdiff_t>(whole));
    } else {
        ConvertTo16Bits(*data, *samples);
    }
    m_data = std::move(data);
}

}  // namespace vorlane
