#include "game/NextDotCue.h"

#include <cmath>
#include <numbers>

#include "display/TDirectDrawSurface.h"

namespace vorlane {

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr int kRampSteps = 32;

std::uint32_t Mix(std::uint32_t from, std::uint32_t to, double share)
{
    std::uint32_t colour = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const double a = (from >> shift) & 0xFF;
        const double b = (to >> shift) & 0xFF;
        colour |= static_cast<std::uint32_t>(std::lround(a + (b - a) * share)) << shift;
    }
    return colour;
}

}  // namespace

void NextDotCue::PictureStarted(NextDotHelp help, std::uint32_t now)
{
    m_help = help;
    m_misses = 0;
    m_lastHit = now;
    m_shown = false;
    if (m_help != NextDotHelp::Never)
        Show(now);
}

void NextDotCue::Hit(std::uint32_t now)
{
    m_misses = 0;
    m_lastHit = now;
    m_shown = false;
}

void NextDotCue::Missed(std::uint32_t now)
{
    if (++m_misses >= kMissesBeforeHelp && m_help == NextDotHelp::AfterTwoMisses && !m_shown)
        Show(now);
}

void NextDotCue::Hide()
{
    m_help = NextDotHelp::Never;
    m_shown = false;
}

void NextDotCue::Show(std::uint32_t now)
{
    m_shown = true;
    m_shownAt = now;
}

bool NextDotCue::Advance(std::uint32_t now)
{
    if (!m_shown && m_help == NextDotHelp::AfterTenSeconds && now - m_lastHit >= kSecondsBeforeHelp * 1000)
        Show(now);
    int radius = 0;
    if (m_shown) {
        // From the smallest radius up and back, smoothly (a raised cosine).
        const double phase = static_cast<double>((now - m_shownAt) % kPulsePeriod) / kPulsePeriod;
        const double swell = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * phase);
        radius = kSmallestRadius + static_cast<int>(std::lround(swell * (kLargestRadius - kSmallestRadius)));
    }
    const bool changed = radius != m_radius;
    m_radius = radius;
    return changed;
}

QRect NextDotCue::Area(QPoint centre)
{
    return {centre.x() - kLargestRadius, centre.y() - kLargestRadius, 2 * kLargestRadius + 1, 2 * kLargestRadius + 1};
}

void NextDotCue::Draw(TDirectDrawSurface& target, QPoint centre, const QRect& clip) const
{
    if (m_radius <= 0)
        return;
    // The centre colour around the dot, the rim colour further out, then a
    // soft edge into the white page: a glow rather than a disc.
    std::array<std::uint32_t, kRampSteps> ramp{};
    for (int i = 0; i < kRampSteps; ++i) {
        const double d = std::sqrt((i + 0.5) / kRampSteps);  // the ramp is indexed by the squared distance
        const std::uint32_t colour = d < 0.65    ? Mix(m_colours.CouleurAideCentre, m_colours.CouleurAideBord, d / 0.65)
                                     : d < 0.85 ? m_colours.CouleurAideBord
                                                : Mix(m_colours.CouleurAideBord, kWhite, (d - 0.85) / 0.15);
        ramp[static_cast<std::size_t>(i)] = target.MatchColour(colour);
    }
    target.FillRadial(centre.x(), centre.y(), m_radius, ramp, clip);
}

}  // namespace vorlane
