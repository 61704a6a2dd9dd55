#include "display/TWave.h"

#include "base/AtomicFile.h"
#include "display/ByteReader.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace vorlane {

EInvalidWave::EInvalidWave() : EVorlaneError("Wave is invalid") {}

namespace {

using Reader = ByteReader<EInvalidWave>;

constexpr std::uint16_t kPcm = 1;
constexpr std::uint16_t kExtensible = 0xFFFE;
// The sub-format GUID of PCM in an extensible format block.
constexpr std::uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                            0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

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
        in.Skip(6);                       // valid bits, channel mask
        Reader::Require(std::memcmp(in.Take(16).data(), kPcmSubFormat, 16) == 0);
        f.formatTag = kPcm;
    }
    Reader::Require(f.formatTag == kPcm);
    Reader::Require(f.channels == 1 || f.channels == 2);
    Reader::Require(f.bitsPerSample == 8 || f.bitsPerSample == 16);
    Reader::Require(f.samplesPerSec > 0);
    f.blockAlign = static_cast<std::uint16_t>(f.channels * f.bitsPerSample / 8);
    f.avgBytesPerSec = f.samplesPerSec * f.blockAlign;
    return f;
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
    const std::size_t whole = samples->size() / format->blockAlign * format->blockAlign;
    data->samples.assign(samples->begin(), samples->begin() + static_cast<std::ptrdiff_t>(whole));
    m_data = std::move(data);
}

}  // namespace vorlane
