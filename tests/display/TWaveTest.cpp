#include "display/TWave.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kWavDir = std::string(VORLANE_TEST_DATA) + "/wav/";

Bytes ReadBytes(const std::string& path)
{
    const std::string text = test::ReadFile(path);
    return Bytes(text.begin(), text.end());
}

template <std::size_t N>
Bytes ToBytes(const std::uint8_t (&bytes)[N])
{
    return Bytes(bytes, bytes + N);
}

void ExpectInvalid(const Bytes& bytes, const std::string& what)
{
    TWave wave;
    wave.LoadWaveFile(kWavDir + "mono8.wav");
    const auto before = wave.Data();
    try {
        wave.LoadWaveBytes(bytes);
        ADD_FAILURE() << what << ": accepted";
    } catch (const EInvalidWave& e) {
        EXPECT_STREQ(e.what(), "Wave is invalid") << what;
    }
    EXPECT_EQ(wave.Data(), before) << what << ": the wave changed";
}

struct SoxFile {
    const char* name;
    int channels;
    int bits;
    unsigned rate;
};

TEST(TWave, ReadsWhatSoxWrites)
{
    const SoxFile files[] = {
        {"mono8", 1, 8, 11025},
        {"stereo8", 2, 8, 8000},
        {"stereo16", 2, 16, 22050},
    };
    for (const SoxFile& f : files) {
        TWave wave;
        wave.LoadWaveFile(kWavDir + f.name + ".wav");
        const Bytes raw = ReadBytes(kWavDir + f.name + ".raw");
        EXPECT_EQ(wave.Format().formatTag, 1) << f.name;
        EXPECT_EQ(wave.Format().channels, f.channels) << f.name;
        EXPECT_EQ(wave.Format().bitsPerSample, f.bits) << f.name;
        EXPECT_EQ(wave.Format().samplesPerSec, f.rate) << f.name;
        EXPECT_EQ(wave.Format().blockAlign, f.channels * f.bits / 8) << f.name;
        EXPECT_EQ(wave.FrameCount(), raw.size() / (f.channels * f.bits / 8)) << f.name;
        EXPECT_EQ(Bytes(wave.Samples().begin(), wave.Samples().end()), raw) << f.name;
    }
}

TEST(TWave, DeeperAndFloatingPointFilesBecome16Bits)
{
    // 24 and 32 bits in an extensible format block, 32- and 64-bit floating point in a plain one.
    for (const char* name : {"pcm24", "pcm32", "float32", "float64"}) {
        TWave wave;
        wave.LoadWaveFile(kWavDir + name + ".wav");
        const Bytes raw = ReadBytes(kWavDir + name + ".raw");
        EXPECT_EQ(wave.Format().formatTag, 1) << name;
        EXPECT_EQ(wave.Format().bitsPerSample, 16) << name;
        EXPECT_EQ(wave.Format().blockAlign, 2 * wave.Format().channels) << name;
        ASSERT_EQ(wave.Samples().size(), raw.size()) << name;
        const auto* ours = reinterpret_cast<const std::int16_t*>(wave.Samples().data());
        const auto* sox = reinterpret_cast<const std::int16_t*>(raw.data());
        for (std::size_t i = 0; i < raw.size() / 2; ++i)
            ASSERT_NEAR(ours[i], sox[i], 1) << name << " sample " << i;  // rounding may differ
    }
}

TEST(TWave, SkipsOtherChunksWithTheirPadding)
{
    constexpr std::uint8_t wav[] = {
        'R', 'I', 'F', 'F',                 //
        54, 0, 0, 0,                        // RIFF size, counting the pad byte left out at the end
        'W', 'A', 'V', 'E',                 //
        'L', 'I', 'S', 'T', 5, 0, 0, 0,     // a chunk we do not read, of odd size
        'h', 'e', 'l', 'l', 'o', 0,         // its body and pad byte
        'f', 'm', 't', ' ', 16, 0, 0, 0,    // format chunk
        1, 0,                               // PCM
        1, 0,                               // mono
        0x40, 0x1F, 0, 0,                   // 8000 Hz
        0x40, 0x1F, 0, 0,                   // bytes per second
        1, 0,                               // block size
        8, 0,                               // bits per sample
        'd', 'a', 't', 'a', 3, 0, 0, 0,     // three samples, odd: the pad byte is missing
        0x80, 0xFF, 0x00,                   //
    };
    static_assert(sizeof wav == 61);
    TWave wave;
    wave.LoadWaveBytes(ToBytes(wav));
    EXPECT_EQ(wave.Format().samplesPerSec, 8000u);
    EXPECT_EQ(Bytes(wave.Samples().begin(), wave.Samples().end()), (Bytes{0x80, 0xFF, 0x00}));
}

TEST(TWave, ExtensibleFormatOfPcmIsPcm)
{
    constexpr std::uint8_t wav[] = {
        'R', 'I', 'F', 'F', 64, 0, 0, 0, 'W', 'A', 'V', 'E',  //
        'f', 'm', 't', ' ', 40, 0, 0, 0,                      // format chunk of 40 bytes
        0xFE, 0xFF,                                           // extensible
        2, 0,                                                 // stereo
        0x22, 0x56, 0, 0,                                     // 22050 Hz
        0x88, 0x58, 0x01, 0,                                  // bytes per second
        4, 0, 16, 0,                                          // block size, bits per sample
        22, 0,                                                // size of the extension
        16, 0,                                                // valid bits
        3, 0, 0, 0,                                           // channel mask: front left, right
        1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71,  // PCM
        'd', 'a', 't', 'a', 4, 0, 0, 0,                       //
        0x10, 0x00, 0xF0, 0xFF,                               // one frame: 16, -16
    };
    static_assert(sizeof wav == 72);
    TWave wave;
    wave.LoadWaveBytes(ToBytes(wav));
    EXPECT_EQ(wave.Format().formatTag, 1);
    EXPECT_EQ(wave.Format().channels, 2);
    EXPECT_EQ(wave.FrameCount(), 1u);

    Bytes adpcm = ToBytes(wav);
    adpcm[44] = 2;  // sub-format ADPCM
    ExpectInvalid(adpcm, "extensible ADPCM");
}

// 16-bit stereo, two frames; the cases below change one field of it.
constexpr std::uint8_t kStereo16[] = {
    'R', 'I', 'F', 'F',                 // (offset 0)
    44, 0, 0, 0,                        // RIFF size (4)
    'W', 'A', 'V', 'E',                 // (8)
    'f', 'm', 't', ' ',                 // (12)
    16, 0, 0, 0,                        // format size (16)
    1, 0,                               // PCM (20)
    2, 0,                               // channels (22)
    0x22, 0x56, 0, 0,                   // 22050 Hz (24)
    0x88, 0x58, 0x01, 0,                // bytes per second (28)
    4, 0,                               // block size (32)
    16, 0,                              // bits per sample (34)
    'd', 'a', 't', 'a',                 // (36)
    8, 0, 0, 0,                         // data size (40)
    0xE8, 0x03, 0x18, 0xFC,             // 1000, -1000 (44)
    0xD0, 0x07, 0x30, 0xF8,             // 2000, -2000
};
static_assert(sizeof kStereo16 == 52);

Bytes Patched(std::size_t offset, std::initializer_list<std::uint8_t> bytes)
{
    Bytes wav = ToBytes(kStereo16);
    std::copy(bytes.begin(), bytes.end(), wav.begin() + static_cast<std::ptrdiff_t>(offset));
    return wav;
}

TEST(TWave, RefusesWhatItCannotPlayAndLyingSizes)
{
    struct Case {
        const char* what;
        Bytes wav;
    };
    const Case cases[] = {
        {"RIFX", Patched(3, {'X'})},
        {"not WAVE", Patched(8, {'A', 'V', 'I', ' '})},
        {"RIFF size past the file", Patched(4, {46})},
        {"RIFF size below 4", Patched(4, {3})},
        {"format chunk past the file", Patched(16, {0xFF, 0xFF, 0, 0})},
        {"data chunk past the file", Patched(40, {9})},
        {"data chunk of 4 GB", Patched(40, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"format chunk too short", Patched(16, {10})},
        {"16-bit floating point", Patched(20, {3})},
        {"ADPCM", Patched(20, {2})},
        {"no channel", Patched(22, {0})},
        {"three channels", Patched(22, {3})},
        {"12 bits", Patched(34, {12})},
        {"0 Hz", Patched(24, {0, 0})},
        {"no data chunk", Patched(36, {'D'})},
        {"no format chunk", Patched(12, {'F'})},
        {"10 bytes", Bytes(kStereo16, kStereo16 + 10)},
        {"empty", Bytes{}},
    };
    for (const Case& c : cases)
        ExpectInvalid(c.wav, c.what);
    for (const char* name : {"adpcm.wav", "three_channels.wav", "truncated.wav"})
        ExpectInvalid(ReadBytes(kWavDir + "malformed/" + name), name);
}

TEST(TWave, KeepsWholeFramesOnly)
{
    TWave wave;
    wave.LoadWaveBytes(Patched(40, {7}));  // the pad byte is the 8th
    EXPECT_EQ(wave.FrameCount(), 1u);
    EXPECT_EQ(wave.Samples().size(), 4u);
}

TEST(TWave, MissingFileFailsInFrench)
{
    test::TempDir dir;
    TWave wave;
    try {
        wave.LoadWaveFile(dir.file("absent.wav"));
        ADD_FAILURE() << "a missing file was read";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Impossible d'ouvrir le fichier " + dir.file("absent.wav"));
    }
    EXPECT_TRUE(wave.Empty());
}

TEST(TWave, EveryLoadMakesANewSound)
{
    TWave wave;
    wave.LoadWaveBytes(ToBytes(kStereo16));
    const auto first = wave.Data();
    wave.LoadWaveBytes(ToBytes(kStereo16));
    EXPECT_NE(wave.Data(), first);
    EXPECT_EQ(first->samples, wave.Data()->samples);
}

}  // namespace
}  // namespace vorlane
