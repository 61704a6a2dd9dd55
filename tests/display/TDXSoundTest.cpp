#include "display/TDXSound.h"
#include "display/TDXWaveList.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

namespace vorlane {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

void PutU32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutU16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

// A WAVE file of `frames` frames that all hold `frame` (one value per channel,
// raw: unsigned for 8 bits, signed for 16).
Bytes ConstantWave(int rate, int bits, std::vector<int> frame, int frames)
{
    const int channels = static_cast<int>(frame.size());
    const int block = channels * bits / 8;
    Bytes b = {'R', 'I', 'F', 'F'};
    PutU32(b, static_cast<std::uint32_t>(4 + 24 + 8 + block * frames));
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutU32(b, 16);
    PutU16(b, 1);
    PutU16(b, static_cast<std::uint32_t>(channels));
    PutU32(b, static_cast<std::uint32_t>(rate));
    PutU32(b, static_cast<std::uint32_t>(rate * block));
    PutU16(b, static_cast<std::uint32_t>(block));
    PutU16(b, static_cast<std::uint32_t>(bits));
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    PutU32(b, static_cast<std::uint32_t>(block * frames));
    for (int i = 0; i < frames; ++i)
        for (int value : frame) {
            if (bits == 8)
                b.push_back(static_cast<std::uint8_t>(value));
            else
                PutU16(b, static_cast<std::uint32_t>(value));
        }
    return b;
}

// Waits (up to a generous bound) until no copy of the slot is heard.
void WaitUntilSilent(const TWaveCollectionItem& slot)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (slot.PlayingCount() > 0 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(slot.PlayingCount(), 0) << "the sound never ended";
}

struct Frame {
    int left;
    int right;
};

// A sound device over SDL's disk driver: whatever is mixed lands in a file.
class DiskSound : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_sound.Initialized()) << "SDL's disk audio driver did not open"; }

    // Closes the device and reads back what it played, as stereo frames.
    std::vector<Frame> Heard()
    {
        m_sound.Finalize();
        const std::string raw = test::ReadFile(m_file);
        std::vector<Frame> frames(raw.size() / 4);
        for (std::size_t i = 0; i < frames.size(); ++i) {
            std::int16_t lr[2];
            std::memcpy(lr, raw.data() + 4 * i, 4);
            frames[i] = {lr[0], lr[1]};
        }
        return frames;
    }

    test::TempDir m_dir;
    std::string m_file = m_dir.file("heard.raw");
    ScopedEnv m_driver{"SDL_AUDIODRIVER", "disk"};
    ScopedEnv m_output{"SDL_DISKAUDIOFILE", m_file};
    TDXSound m_sound{SoundOpening::Automatic};
    TDXWaveList m_list{m_sound};
};

long SumLeft(const std::vector<Frame>& frames)
{
    long sum = 0;
    for (const auto& f : frames)
        sum += f.left;
    return sum;
}

int CountLeft(const std::vector<Frame>& frames, int value)
{
    return static_cast<int>(std::count_if(frames.begin(), frames.end(), [&](const auto& f) { return f.left == value; }));
}

TEST_F(DiskSound, TwoPlaysOfOneSlotOverlapAndSum)
{
    const int rate = m_sound.DeviceRate();
    const int frames = rate / 10;
    TWaveCollectionItem& slot = m_list.Add();
    slot.Wave().LoadWaveBytes(ConstantWave(rate, 16, {8000}, frames));

    PlaySound(m_list, 0, 0, 0);
    PlaySound(m_list, 0, 0, 0);
    EXPECT_EQ(slot.CopyCount(), 2);
    WaitUntilSilent(slot);

    const auto heard = Heard();
    EXPECT_GT(CountLeft(heard, 16000), 0) << "the two copies never sounded together";
    // Every frame of both copies is heard once, and nothing else.
    EXPECT_EQ(SumLeft(heard), 2L * frames * 8000);
    for (const auto& f : heard)
        ASSERT_TRUE(f.left == f.right && (f.left == 0 || f.left == 8000 || f.left == 16000)) << f.left;
}

TEST_F(DiskSound, MixSaturatesInsteadOfWrapping)
{
    const int rate = m_sound.DeviceRate();
    TWaveCollectionItem& slot = m_list.Add();
    slot.Wave().LoadWaveBytes(ConstantWave(rate, 16, {30000}, rate / 20));
    PlaySound(m_list, 0, 0, 0);
    PlaySound(m_list, 0, 0, 0);
    WaitUntilSilent(slot);
    const auto heard = Heard();
    EXPECT_GT(CountLeft(heard, 32767), 0);
    for (const auto& f : heard)
        ASSERT_GE(f.left, 0);
}

TEST_F(DiskSound, VolumeInCentibelsAndPan)
{
    const int rate = m_sound.DeviceRate();
    TWaveCollectionItem& slot = m_list.Add();
    slot.Wave().LoadWaveBytes(ConstantWave(rate, 16, {8000}, rate / 20));
    PlaySound(m_list, 0, -600, 10000);  // 6 dB down, right only
    WaitUntilSilent(slot);
    EXPECT_EQ(slot.Volume(), -600);
    EXPECT_EQ(slot.Pan(), 10000);
    const auto heard = Heard();
    int right = 0;
    for (const auto& f : heard) {
        ASSERT_EQ(f.left, 0);
        if (f.right != 0) {
            ASSERT_NEAR(f.right, 4009, 1);  // 8000 × 10^(-600 / 2000)
            ++right;
        }
    }
    EXPECT_EQ(right, rate / 20);
}

TEST_F(DiskSound, EightBitStereoAtAnotherRateIsResampled)
{
    const int rate = m_sound.DeviceRate();
    TWaveCollectionItem& slot = m_list.Add();
    // Half the device rate: every source frame lasts two device frames.
    slot.Wave().LoadWaveBytes(ConstantWave(rate / 2, 8, {192, 64}, rate / 40));
    PlaySound(m_list, 0, 0, 0);
    WaitUntilSilent(slot);
    const auto heard = Heard();
    EXPECT_NEAR(CountLeft(heard, 16384), 2 * (rate / 40), 2);
    for (const auto& f : heard)
        ASSERT_EQ(f.right, -f.left);
}

TEST_F(DiskSound, ReloadedSlotSoundsTheNewWave)
{
    const int rate = m_sound.DeviceRate();
    TWaveCollectionItem& slot = m_list.Add();
    slot.Wave().LoadWaveBytes(ConstantWave(rate, 16, {1000}, rate / 50));
    PlaySound(m_list, 0, 0, 0);
    WaitUntilSilent(slot);
    slot.Wave().LoadWaveBytes(ConstantWave(rate, 16, {3000}, rate / 25));
    PlaySound(m_list, 0, 0, 0);
    EXPECT_EQ(slot.CopyCount(), 1);
    WaitUntilSilent(slot);
    const auto heard = Heard();
    EXPECT_EQ(CountLeft(heard, 1000), rate / 50);
    EXPECT_EQ(CountLeft(heard, 3000), rate / 25);
}

TEST_F(DiskSound, CopyRules)
{
    const int rate = m_sound.DeviceRate();
    const Bytes tenSeconds = ConstantWave(rate, 16, {100}, rate * 10);
    const Bytes short20ms = ConstantWave(rate, 16, {100}, rate / 50);

    // No limit: each play while the others sound makes one more copy.
    TWaveCollectionItem& free = m_list.Add();
    free.Wave().LoadWaveBytes(tenSeconds);
    for (int i = 0; i < 3; ++i)
        PlaySound(m_list, 0, 0, 0);
    EXPECT_EQ(free.CopyCount(), 3);
    EXPECT_EQ(free.PlayingCount(), 3);

    // Limit of 2: the third play restarts the oldest copy.
    TWaveCollectionItem& limited = m_list.Add();
    limited.SetMaxPlayingCount(2);
    limited.Wave().LoadWaveBytes(tenSeconds);
    for (int i = 0; i < 3; ++i)
        PlaySound(m_list, 1, 0, 0);
    EXPECT_EQ(limited.CopyCount(), 2);
    EXPECT_EQ(limited.PlayingCount(), 2);

    // A copy that has ended is played again rather than a new one made.
    TWaveCollectionItem& reused = m_list.Add();
    reused.Wave().LoadWaveBytes(short20ms);
    PlaySound(m_list, 2, 0, 0);
    PlaySound(m_list, 2, 0, 0);
    WaitUntilSilent(reused);
    PlaySound(m_list, 2, 0, 0);
    EXPECT_EQ(reused.CopyCount(), 2);
    EXPECT_EQ(reused.PlayingCount(), 1);

    // A looped slot restarts its one sound, which never ends by itself.
    TWaveCollectionItem& looped = m_list.Add();
    looped.SetLooped(true);
    looped.Wave().LoadWaveBytes(short20ms);
    PlaySound(m_list, 3, 0, 0);
    PlaySound(m_list, 3, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(looped.PlayingCount(), 1);
    EXPECT_EQ(looped.CopyCount(), 0);
    looped.Wave().LoadWaveBytes(short20ms);
    PlaySound(m_list, 3, 0, 0);  // the old loop stops, the new one starts
    EXPECT_EQ(looped.PlayingCount(), 1);

    // A slot without a wave plays nothing.
    m_list.Add();
    PlaySound(m_list, 4, 0, 0);
    EXPECT_EQ(m_list.Items(4).PlayingCount(), 0);

    EXPECT_EQ(m_list.PlayRecord(), (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4}));
    m_sound.Finalize();
    EXPECT_EQ(free.PlayingCount(), 0) << "closing the device silences every copy";
}

// How the game speaks: a hit sound and a word are heard together, each whole;
// a second word waits for its delay; a word that gives way falls silent.
TEST_F(DiskSound, HitAndWordsAreMixedWholeAndAWordWaitsItsTurn)
{
    const int rate = m_sound.DeviceRate();
    TWaveCollectionItem& hit = m_list.Add();
    hit.Wave().LoadWaveBytes(ConstantWave(rate, 16, {8000}, rate / 10));
    TWaveCollectionItem& label = m_list.Add();
    label.Wave().LoadWaveBytes(ConstantWave(rate / 2, 16, {1000}, rate / 8));  // 250 ms at half the rate
    TWaveCollectionItem& name = m_list.Add();
    name.Wave().LoadWaveBytes(ConstantWave(rate, 16, {300}, rate / 20));
    TWaveCollectionItem& stopped = m_list.Add();
    stopped.Wave().LoadWaveBytes(ConstantWave(rate, 16, {50}, rate * 10));

    PlaySound(m_list, 3, 0, 0);
    StopSound(m_list, 3);
    EXPECT_EQ(stopped.PlayingCount(), 0);
    PlaySound(m_list, 0, 0, 0);
    PlaySound(m_list, 1, 0, 0);
    PlaySound(m_list, 2, 0, 0, 400);  // after the label's 250 ms
    WaitUntilSilent(name);
    WaitUntilSilent(label);
    const auto heard = Heard();

    // Every frame of the three is heard, whole, some of hit and label together.
    const int stoppedFrames = CountLeft(heard, 50);
    EXPECT_LE(stoppedFrames, 2 * 512) << "a stopped sound is heard one buffer at most";
    EXPECT_EQ(SumLeft(heard) - 50L * stoppedFrames, 8000L * (rate / 10) + 1000L * 2 * (rate / 8) + 300L * (rate / 20));
    EXPECT_GT(CountLeft(heard, 9000), 0) << "the hit and the label never sounded together";
    const auto first = [&](int value) {
        return std::find_if(heard.begin(), heard.end(), [&](const Frame& f) { return f.left == value; }) - heard.begin();
    };
    EXPECT_NEAR(first(300) - first(9000), rate * 2 / 5, 512 + 2) << "the name starts 400 ms after the label";
}

TEST(TDXSound, WithoutADevicePlaysDoNothing)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    TDXSound manual;
    try {
        manual.OpenSound();
        ADD_FAILURE() << "a device was opened";
    } catch (const EDirectSoundError& e) {
        EXPECT_STREQ(e.what(), "DirectSound cannot be initialized");
    }
    EXPECT_FALSE(manual.Initialized());

    TDXSound automatic(SoundOpening::Automatic);
    EXPECT_FALSE(automatic.Initialized());
    EXPECT_EQ(automatic.DeviceRate(), 0);
    TDXWaveList list(automatic);
    list.Add().Wave().LoadWaveBytes(ConstantWave(22050, 16, {100}, 22050 * 60));
    for (int i = 0; i < 3; ++i)
        PlaySound(list, 0, 0, 0);
    EXPECT_EQ(list.Items(0).CopyCount(), 0);
    EXPECT_EQ(list.PlayRecord(), (std::vector<int>{0, 0, 0}));
    list.ClearPlayRecord();
    EXPECT_TRUE(list.PlayRecord().empty());
}

TEST(TDXWaveList, SlotsAreAddedAndInsertedInPlace)
{
    TDXSound closed;
    TDXWaveList list(closed);
    TWaveCollectionItem& b = list.Add();
    b.SetName("b");
    list.Insert(0).SetName("a");
    list.Insert(2).SetName("c");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Items(0).Name(), "a");
    EXPECT_EQ(list.Items(1).Name(), "b");
    EXPECT_EQ(list.Items(2).Name(), "c");
    EXPECT_EQ(&list.Items(1), &b) << "a slot moved when another was inserted before it";
    EXPECT_THROW(list.Items(3), std::out_of_range);
    EXPECT_THROW(list.Insert(5), std::out_of_range);
    EXPECT_THROW(PlaySound(list, -1, 0, 0), std::out_of_range);
    EXPECT_TRUE(list.PlayRecord().empty());
}

}  // namespace
}  // namespace vorlane
