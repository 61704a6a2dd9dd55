#pragma once

#include "display/TWave.h"

#include <memory>
#include <string>
#include <vector>

namespace vorlane {

class SoundMixer;
class SoundVoice;
class TDXSound;
class TDXWaveList;

// One sound slot: a wave and how it plays. Its playable sound is made from the
// wave at its first play, and again at the first play after the wave was reloaded.
class TWaveCollectionItem {
public:
    TWaveCollectionItem() = default;
    TWaveCollectionItem(const TWaveCollectionItem&) = delete;
    TWaveCollectionItem& operator=(const TWaveCollectionItem&) = delete;

    const std::string& Name() const { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }

    TWave& Wave() { return m_wave; }
    const TWave& Wave() const { return m_wave; }

    bool Looped() const { return m_looped; }
    void SetLooped(bool looped) { m_looped = looped; }
    // Copies that may play at once; 0 is no limit.
    int MaxPlayingCount() const { return m_maxPlayingCount; }
    void SetMaxPlayingCount(int count) { m_maxPlayingCount = count; }
    // Playback rate in Hz; 0 is the wave's own rate.
    int Frequency() const { return m_frequency; }
    void SetFrequency(int frequency) { m_frequency = frequency; }
    // Attenuation in hundredths of a decibel: 0 is full volume, -10000 silence.
    int Volume() const { return m_volume; }
    void SetVolume(int volume) { m_volume = volume; }
    // -10000 is left only, 0 centred, 10000 right only.
    int Pan() const { return m_pan; }
    void SetPan(int pan) { m_pan = pan; }

    // Copies made so far by plays that overlapped (the copy list).
    int CopyCount() const { return static_cast<int>(m_copies.size()); }
    // Copies, and the looped sound, being heard now.
    int PlayingCount() const;

private:
    friend void PlaySound(TDXWaveList& list, int slot, int volume, int pan, int delay);
    friend void StopSound(TDXWaveList& list, int slot);
    // Plays the slot once without waiting (or restarts its loop), after
    // `delay` milliseconds; nothing when `mixer` is null (no device) or the
    // wave is empty.
    void Play(SoundMixer* mixer, int delay);
    // Every copy and the loop fall silent.
    void Stop(SoundMixer* mixer);

    std::string m_name;
    TWave m_wave;
    bool m_looped = false;
    int m_maxPlayingCount = 0;
    int m_frequency = 0;
    int m_volume = 0;
    int m_pan = 0;

    std::shared_ptr<const WaveData> m_madeFrom;  // the wave the sounds below were made from
    std::shared_ptr<SoundVoice> m_loopSound;
    // The copy-on-play list lets a sound started twice overlap with itself.
    std::vector<std::shared_ptr<SoundVoice>> m_copies;
};

// The sound slots of a sound device, numbered from 0. The list must not outlive its device.
class TDXWaveList {
public:
    explicit TDXWaveList(TDXSound& sound) : m_sound(sound) {}
    TDXWaveList(const TDXWaveList&) = delete;
    TDXWaveList& operator=(const TDXWaveList&) = delete;

    TDXSound& DXSound() const { return m_sound; }

    int Count() const { return static_cast<int>(m_items.size()); }
    // A new empty slot at the end.
    TWaveCollectionItem& Add();
    // A new empty slot at `index` (0 to Count()); the slots from there move up by one.
    TWaveCollectionItem& Insert(int index);
    // Slot `index`; std::out_of_range outside 0 to Count() - 1.
    TWaveCollectionItem& Items(int index);
    const TWaveCollectionItem& Items(int index) const;

    // The slot of every PlaySound on this list, in order, heard or not (device
    // closed): what a test of the game checks its sounds with.
    const std::vector<int>& PlayRecord() const { return m_plays; }
    void ClearPlayRecord() { m_plays.clear(); }

private:
    friend void PlaySound(TDXWaveList& list, int slot, int volume, int pan, int delay);
    friend void StopSound(TDXWaveList& list, int slot);

    TDXSound& m_sound;
    std::vector<std::unique_ptr<TWaveCollectionItem>> m_items;  // slots keep their address when others are inserted
    std::vector<int> m_plays;
};

// Sets the slot's volume and pan, then plays it once without waiting. Playing
// again a slot that is still heard overlaps with it (MaxPlayingCount 0).
// With a delay (milliseconds) the sound starts that much later, in the mixer:
// nothing waits for it.
void PlaySound(TDXWaveList& list, int slot, int volume, int pan, int delay = 0);
// Silences every copy of the slot being heard or waiting to start: a word
// gives way to the next one rather than being said over it.
void StopSound(TDXWaveList& list, int slot);

}  // namespace vorlane
