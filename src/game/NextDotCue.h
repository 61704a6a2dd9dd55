#pragma once

#include <QPoint>
#include <QRect>

#include <array>
#include <cstdint>

#include "content/AppearanceDat.h"
#include "content/GameSettings.h"

namespace vorlane {

class TDirectDrawSurface;

// The help a stuck child gets: the next dot glows and gently pulses, growing
// and shrinking, until it is hit. It shows at the start of every picture, then
// after two misses in a row or ten seconds without a hit, as the parent chose
// in the launcher; never with NextDotHelp::Never.
//
// Time is the caller's clock in milliseconds (wrapping, as the frame timer's).
// The glow is drawn on the white page under the picture, so the dot, its label
// and the lines stay on top of it; it changes only when its radius moves by a
// whole pixel, some sixteen times a second, so that a pulsing dot costs a few
// small frames and a still one none.
class NextDotCue {
public:
    static constexpr int kSmallestRadius = 16;
    static constexpr int kLargestRadius = 32;
    static constexpr std::uint32_t kPulsePeriod = 2000;  // milliseconds from small to large and back
    static constexpr int kMissesBeforeHelp = 2;
    static constexpr std::uint32_t kSecondsBeforeHelp = 10;

    // A picture starts: the help chosen now holds for it, and its first dot shows.
    void PictureStarted(NextDotHelp help, std::uint32_t now);
    // The next dot was hit: the glow goes until it is needed again.
    void Hit(std::uint32_t now);
    // A click in the picture missed the next dot.
    void Missed(std::uint32_t now);
    // No dot to find (the picture is finished, the game left).
    void Hide();

    // Moves the help on to `now`: shows the glow when the time has come and
    // pulses it. True when what it draws has changed since the last call.
    bool Advance(std::uint32_t now);
    bool Shown() const { return m_shown; }
    int Radius() const { return m_radius; }

    void SetColours(const CueColours& colours) { m_colours = colours; }
    // The glow around the dot at `centre` (screen pixels): the pixels any
    // radius can reach, which a frame recomposes when the glow changes.
    static QRect Area(QPoint centre);
    // Draws the glow at its radius on `target`, inside `clip` only.
    void Draw(TDirectDrawSurface& target, QPoint centre, const QRect& clip) const;

private:
    void Show(std::uint32_t now);

    NextDotHelp m_help = NextDotHelp::Never;
    bool m_shown = false;
    int m_misses = 0;
    std::uint32_t m_lastHit = 0;   // or the picture's start
    std::uint32_t m_shownAt = 0;   // the pulse's phase counts from here
    int m_radius = 0;              // as drawn, 0 when hidden
    CueColours m_colours;
};

}  // namespace vorlane
