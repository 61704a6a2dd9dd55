// The help a stuck child gets, seen in the frames the game presents.
#include "GameFixture.h"

#include "game/NextDotCue.h"

namespace vorlane::test {
namespace {

class NextDotCueTest : public GameFixture {
protected:
    // One tick of the frame timer at m_now, then the presented frame's pixels.
    std::vector<std::uint32_t> Frame()
    {
        Form().DXTimerTimer(1);
        const TDirectDrawSurface& shown = Form().DXPrincipale.PrimarySurface();
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < shown.Height(); ++y)
            for (int x = 0; x < shown.Width(); ++x)
                pixels.push_back(shown.ColourAt(x, y));
        return pixels;
    }
    // Where two frames differ.
    static QRect Changed(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
    {
        QRect changed;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i] != b[i])
                changed |= QRect(static_cast<int>(i % 1024), static_cast<int>(i / 1024), 1, 1);
        return changed;
    }
    // The screen rectangle of dot `point` (1-based) of the current picture that its glow may cover.
    QRect DotArea(std::size_t point) const
    {
        const ThemePoint dot = Points()[point - 1];
        return NextDotCue::Area(QPoint(dot.X + m_form->XDessin, dot.Y + m_form->YDessin));
    }
    // How the frames change as time passes with the mouse still: the union of
    // the changes over a pulse.
    QRect ChangesOverAPulse()
    {
        QRect changed;
        std::vector<std::uint32_t> before = Frame();
        for (int step = 0; step < 8; ++step) {
            m_now += NextDotCue::kPulsePeriod / 8;
            std::vector<std::uint32_t> after = Frame();
            changed |= Changed(before, after);
            before = std::move(after);
        }
        return changed;
    }
    void Miss()
    {
        const ThemePoint next = Points()[static_cast<std::size_t>(Form().NumeroPoint - 1)];
        ClickPicture(next.X + 40, next.Y + 40);
    }
};

TEST_F(NextDotCueTest, AfterTwoMissesTheNextDotPulsesUntilItIsHit)
{
    GameSettings.AidePoint = NextDotHelp::AfterTwoMisses;
    Start();
    MoveMouse(1000, 10);
    // The first dot shows itself at the start of the picture, in its own rectangle alone.
    const QRect first = ChangesOverAPulse();
    EXPECT_FALSE(first.isEmpty());
    EXPECT_TRUE(DotArea(1).contains(first)) << "the glow changes nothing but the dot's rectangle";

    const ThemePoint dot1 = Points()[0];
    ClickPicture(dot1.X, dot1.Y);
    MoveMouse(1000, 10);
    Frame();
    EXPECT_TRUE(ChangesOverAPulse().isEmpty()) << "after the hit the screen stays still";

    Miss();
    MoveMouse(1000, 10);
    Frame();
    EXPECT_TRUE(ChangesOverAPulse().isEmpty()) << "one miss is not enough";
    Miss();
    MoveMouse(1000, 10);
    Frame();
    const QRect second = ChangesOverAPulse();
    EXPECT_FALSE(second.isEmpty());
    EXPECT_TRUE(DotArea(2).contains(second));

    // The hit: the glow goes with its first frame, and nothing pulses any more.
    const std::vector<std::uint32_t> glowing = Frame();
    const ThemePoint dot2 = Points()[1];
    ClickPicture(dot2.X, dot2.Y);
    MoveMouse(1000, 10);
    EXPECT_TRUE(DotArea(2).intersects(Changed(glowing, Frame())));
    EXPECT_TRUE(ChangesOverAPulse().isEmpty());
}

TEST_F(NextDotCueTest, NeverShowsNothingWhateverTheChildDoes)
{
    GameSettings.AidePoint = NextDotHelp::Never;
    Start();
    MoveMouse(1000, 10);
    Frame();
    EXPECT_TRUE(ChangesOverAPulse().isEmpty());
    for (int i = 0; i < 3; ++i)
        Miss();
    MoveMouse(1000, 10);
    Frame();
    m_now += 60 * 1000;
    EXPECT_TRUE(ChangesOverAPulse().isEmpty());
    EXPECT_FALSE(Form().Cue().Shown());
}

TEST_F(NextDotCueTest, AfterTenSecondsWithoutAHit)
{
    GameSettings.AidePoint = NextDotHelp::AfterTenSeconds;
    Start();
    MoveMouse(1000, 10);
    EXPECT_FALSE(ChangesOverAPulse().isEmpty()) << "the first dot shows itself";
    const ThemePoint dot1 = Points()[0];
    ClickPicture(dot1.X, dot1.Y);
    MoveMouse(1000, 10);
    Frame();
    Miss();
    Miss();
    m_now += NextDotCue::kSecondsBeforeHelp * 1000 - NextDotCue::kPulsePeriod - 400;
    MoveMouse(1000, 10);
    Frame();
    EXPECT_TRUE(ChangesOverAPulse().isEmpty()) << "misses do not count, time does";  // up to 9.6 s after the hit
    EXPECT_FALSE(Form().Cue().Shown());
    m_now += 400;
    const QRect shown = ChangesOverAPulse();
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_TRUE(DotArea(2).contains(shown));
}

}  // namespace
}  // namespace vorlane::test
