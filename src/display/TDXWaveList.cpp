#include "display/TDXWaveList.h"

#include "display/SoundMixer.h"
#include "display/TDXSound.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace vorlane {

int TWaveCollectionItem::PlayingCount() const
{
    const auto playing = [](const std::shared_ptr<SoundVoice>& voice) { return voice && voice->Playing(); };
    return static_cast<int>(std::count_if(m_copies.begin(), m_copies.end(), playing)) + (playing(m_loopSound) ? 1 : 0);
}

void TWaveCollectionItem::Play(SoundMixer* mixer, int delay)
{
    if (mixer == nullptr)
        return;
    const std::shared_ptr<const WaveData>& data = m_wave.Data();
    if (data != m_madeFrom) {
        // The wave was reloaded: later plays sound the new one. Copies of the old
        // one finish by themselves; an old loop would never end, so it stops.
        if (m_loopSound)
            mixer->Stop(m_loopSound);
        m_loopSound.reset();
        m_copies.clear();
        m_madeFrom = data;
    }
    if (!data || data->FrameCount() == 0)
        return;

    const VoiceSettings settings{static_cast<std::uint32_t>(std::max(m_frequency, 0)), m_volume, m_pan, m_looped,
                                 static_cast<std::uint32_t>(std::max(delay, 0))};
    if (m_looped) {
        if (!m_loopSound)
            m_loopSound = std::make_shared<SoundVoice>(data);
        mixer->Start(m_loopSound, settings);
        return;
    }

    std::shared_ptr<SoundVoice> copy;
    const auto idle = std::find_if(m_copies.begin(), m_copies.end(), [](const auto& c) { return !c->Playing(); });
    if (idle != m_copies.end()) {
        copy = *idle;
    } else if (m_maxPlayingCount <= 0 || CopyCount() < m_maxPlayingCount) {
        copy = m_copies.emplace_back(std::make_shared<SoundVoice>(data));
    } else {
        // Every allowed copy is heard: the oldest starts over and becomes the newest.
        copy = m_copies.front();
        m_copies.erase(m_copies.begin());
        m_copies.push_back(copy);
    }
    mixer->Start(copy, settings);
}

void TWaveCollectionItem::Stop(SoundMixer* mixer)
{
    if (mixer == nullptr)
        return;
    for (const auto& copy : m_copies)
        mixer->Stop(copy);
    if (m_loopSound)
        mixer->Stop(m_loopSound);
}

TWaveCollectionItem& TDXWaveList::Add()
{
    return *m_items.emplace_back(std::make_unique<TWaveCollectionItem>());
}

TWaveCollectionItem& TDXWaveList::Insert(int index)
{
    if (index < 0 || index > Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return **m_items.insert(m_items.begin() + index, std::make_unique<TWaveCollectionItem>());
}

TWaveCollectionItem& TDXWaveList::Items(int index)
{
    return const_cast<TWaveCollectionItem&>(std::as_const(*this).Items(index));
}

const TWaveCollectionItem& TDXWaveList::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return *m_items[static_cast<std::size_t>(index)];
}

void PlaySound(TDXWaveList& list, int slot, int volume, int pan, int delay)
{
    TWaveCollectionItem& item = list.Items(slot);
    item.SetVolume(volume);
    item.SetPan(pan);
    list.m_plays.push_back(slot);
    item.Play(list.m_sound.m_mixer.get(), delay);
}

void StopSound(TDXWaveList& list, int slot)
{
    list.Items(slot).Stop(list.m_sound.m_mixer.get());
}

}  // namespace vorlane
