#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <QWindowStateChangeEvent>
#include <cstdlib>
#include <stdexcept>

#include "DisplayTestSupport.h"
#include "display/DXDrawView.h"
#include "display/DisplayErrors.h"
#include "display/TDXDraw.h"

namespace vorlane {
namespace {

// The display of the game: full screen at a fixed mode, events recorded.
class DXDrawTest : public ::testing::Test {
protected:
    DXDrawTest()
    {
        unsetenv("VORLANE_DEPTHS");
        display.Options = {TDXDrawOption::doFullScreen, TDXDrawOption::doWaitVBlank, TDXDrawOption::doCenter};
        display.OnInitialize = [this] { events += "I"; };
        display.OnRestoreSurface = [this] { events += "R"; };
        display.OnFinalize = [this] { events += "F"; };
    }
    ~DXDrawTest() override { unsetenv("VORLANE_DEPTHS"); }

    TDXDraw display;
    std::string events;
};

TEST_F(DXDrawTest, DisplayModesListTheSoftwareModesNarrowedByTheEnvironment)
{
    using Modes = std::vector<TDisplayMode>;
    EXPECT_EQ(TDXDraw().DisplayModes(), (Modes{{1024, 768, 8, PixelFormat::Indexed8},
                                              {1024, 768, 16, PixelFormat::Rgb565},
                                              {1024, 768, 24, PixelFormat::Rgb24},
                                              {1024, 768, 32, PixelFormat::Rgb32}}));
    setenv("VORLANE_DEPTHS", "16,8", 1);
    EXPECT_EQ(TDXDraw().DisplayModes(),
              (Modes{{1024, 768, 8, PixelFormat::Indexed8}, {1024, 768, 16, PixelFormat::Rgb565}}));
    setenv("VORLANE_DEPTHS", "32, 15", 1);
    EXPECT_EQ(TDXDraw().DisplayModes(),
              (Modes{{1024, 768, 16, PixelFormat::Rgb555}, {1024, 768, 32, PixelFormat::Rgb32}}));
    setenv("VORLANE_DEPTHS", "12", 1);
    EXPECT_TRUE(TDXDraw().DisplayModes().empty());
}

TEST_F(DXDrawTest, OpenDisplayMakesABlackBackBufferInTheModeThenRaisesItsEvents)
{
    const std::vector<TDisplayMode> modes = TDXDraw().DisplayModes();
    for (const TDisplayMode& mode : modes) {
        SCOPED_TRACE(mode.BitCount);
        display.Display.BitCount = mode.BitCount;
        display.OpenDisplay();
        EXPECT_TRUE(display.Initialized());
        EXPECT_EQ(display.BackBuffer().Width(), 1024);
        EXPECT_EQ(display.BackBuffer().Height(), 768);
        EXPECT_EQ(display.BackBuffer().BitsPerPixel(), mode.BitCount);
        EXPECT_EQ(display.SurfaceFormat(), mode.Format);
        EXPECT_EQ(TDirectDrawSurface(display).Format(), mode.Format);
        EXPECT_EQ(display.BackBuffer().ColourAt(1023, 767), 0u);
        EXPECT_TRUE(display.ReadyToDraw());
    }
    // Each opening after the first closed the display first.
    EXPECT_EQ(events, "IRFIRFIRFIR");
    display.CloseDisplay();
    EXPECT_EQ(events, "IRFIRFIRFIRF");
    EXPECT_FALSE(display.Initialized());
    EXPECT_FALSE(display.ReadyToDraw());
    EXPECT_TRUE(display.BackBuffer().Empty());
    display.PresentFrame();
    display.CloseDisplay();
    EXPECT_EQ(events, "IRFIRFIRFIRF") << "closing a closed display raises nothing";
}

TEST_F(DXDrawTest, AModeThatIsNotListedIsRefused)
{
    setenv("VORLANE_DEPTHS", "32", 1);
    TDXDraw narrowed;
    narrowed.Options = display.Options;
    narrowed.Display.BitCount = 16;
    EXPECT_EQ(test::ErrorMessage<EDXDrawError>([&] { narrowed.OpenDisplay(); }),
              "Display mode cannot be changed (1024x768 16bit)");
    EXPECT_FALSE(narrowed.Initialized());
    EXPECT_TRUE(narrowed.BackBuffer().Empty());
}

TEST_F(DXDrawTest, AWindowedDisplayUsesItsSurfaceSizeAtThirtyTwoBits)
{
    display.Options = {TDXDrawOption::doWaitVBlank, TDXDrawOption::doCenter};
    display.SurfaceWidth = 61;
    display.SurfaceHeight = 61;
    display.Display.BitCount = 12;  // not looked at without a full screen
    display.OpenDisplay();
    EXPECT_EQ(display.BackBuffer().Width(), 61);
    EXPECT_EQ(display.BackBuffer().BitsPerPixel(), 32);

    display.SurfaceWidth = TDirectDrawSurface::kMaxSide + 1;
    EXPECT_EQ(test::ErrorMessage<EDXDrawError>([&] { display.OpenDisplay(); }),
              "Primary Surface cannot be made");
    EXPECT_FALSE(display.Initialized());
}

TEST_F(DXDrawTest, LostSurfacesAreRestoredBlackBeforeTheNextFrame)
{
    display.OpenDisplay();
    TDirectDrawSurface& back = display.BackBuffer();
    back.FillColour(back.MatchColour(0xFFFFFF));
    display.PresentFrame();
    EXPECT_EQ(display.PrimarySurface().ColourAt(512, 384), back.MatchColour(0xFFFFFF));

    display.DeclareSurfacesLost();
    EXPECT_TRUE(display.ReadyToDraw());
    EXPECT_EQ(events, "IRR");
    EXPECT_EQ(back.ColourAt(512, 384), 0u);
    EXPECT_EQ(display.PrimarySurface().ColourAt(512, 384), 0u);

    back.FillColour(back.MatchColour(0xFFFFFF));
    display.DeclareSurfacesLost();
    display.PresentFrame();  // restores first, then presents the black buffer
    EXPECT_EQ(events, "IRRR");
    EXPECT_EQ(display.PrimarySurface().ColourAt(0, 0), 0u);
    EXPECT_FALSE(display.SurfacesLost());
}

// What a display hands its screen: the whole frame first, after a restore and
// when more than half of it changed; otherwise only what changed.
TEST_F(DXDrawTest, PresentFrameHandsTheScreenTheWholeFrameOrWhatChanged)
{
    struct Screen : TDXDrawScreen {
        std::vector<QRegion> shown;
        bool OnForm() const override { return true; }
        void TakeScreen(bool /*fullScreen*/) override {}
        void ReleaseScreen() override {}
        void ShowFrame(const TDirectDrawSurface& /*frame*/, const QRegion& changed) override
        {
            shown.push_back(changed);
        }
        void DisplayDestroyed() override {}
    } screen;
    display.SetScreen(&screen);
    display.OpenDisplay();
    TDirectDrawSurface& back = display.BackBuffer();
    const QRegion whole(back.Rect());
    std::uint32_t pixel = 0;
    const auto change = [&](const QRegion& region) {
        ++pixel;
        for (const QRect& rect : region)
            back.FillColour(pixel, rect);
        display.PresentFrame(region);
    };
    change(QRect(10, 20, 30, 40));
    change(QRect(10, 20, 30, 40));
    change(QRegion(QRect(0, 0, 1024, 100)) + QRect(0, 400, 1024, 284));  // half: 384 rows
    change(QRect(0, 0, 1024, 385));
    display.PresentFrame(QRegion());
    display.DeclareSurfacesLost();
    change(QRect(5, 6, 7, 8));
    back.FillColour(++pixel, QRect(100, 200, 8, 8));
    display.PresentFrame();
    display.SetScreen(nullptr);

    const std::vector<QRegion> expected = {whole, QRect(10, 20, 30, 40),
                                           QRegion(QRect(0, 0, 1024, 100)) + QRect(0, 400, 1024, 284), whole,
                                           whole};
    ASSERT_EQ(screen.shown.size(), expected.size() + 1) << "nothing is shown when nothing changed";
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(screen.shown[i], expected[i]) << "frame " << i;
    // Without a region the display finds the change itself: a few rows around it.
    EXPECT_TRUE((QRegion(QRect(100, 200, 8, 8)) - screen.shown.back()).isEmpty());
    EXPECT_LE(screen.shown.back().boundingRect().height(), 32);
    EXPECT_EQ(display.PrimarySurface().ColourAt(107, 207), pixel);
}

TEST_F(DXDrawTest, TheDisplayIsBusyWhileItsHandlersRun)
{
    bool readyInside = true;
    display.OnRestoreSurface = [&] { readyInside = display.ReadyToDraw(); };
    display.OpenDisplay();
    EXPECT_FALSE(readyInside);
    display.DeclareSurfacesLost();
    readyInside = true;
    EXPECT_TRUE(display.ReadyToDraw());
    EXPECT_FALSE(readyInside);
}

TEST_F(DXDrawTest, ErrorsOfTheHandlersReachTheCaller)
{
    display.OnInitialize = [this] {
        events += "I";
        throw std::runtime_error("initialise");
    };
    EXPECT_THROW(display.OpenDisplay(), std::runtime_error);
    EXPECT_EQ(events, "I") << "the restore step does not run";
    EXPECT_TRUE(display.Initialized());

    display.OnFinalize = [] { throw std::runtime_error("finalise"); };
    EXPECT_THROW(display.CloseDisplay(), std::runtime_error);
    EXPECT_FALSE(display.Initialized());
    EXPECT_TRUE(display.BackBuffer().Empty());
}

TEST_F(DXDrawTest, ADisplayWhoseWindowSitsOnNoFormDoesNotOpen)
{
    DXDrawView orphan(display, nullptr);
    EXPECT_EQ(test::ErrorMessage<EDXDrawError>([&] { display.OpenDisplay(); }), "Form not found");
    EXPECT_FALSE(display.Initialized());
    EXPECT_EQ(events, "");
}

// The window: a 16:9 form showing a 4:3 back buffer. The display works in the
// window, so that the form keeps its size; full screen it takes the screen's.
class DXDrawViewTest : public DXDrawTest {
protected:
    DXDrawViewTest()
    {
        display.Options = {TDXDrawOption::doCenter};
        display.SurfaceWidth = 1024;
        display.SurfaceHeight = 768;
        form.resize(1920, 1080);
        view = new DXDrawView(display, &form);
        view->OnMouseMove = [this](int x, int y) { moves.push_back({x, y}); };
        view->OnClick = [this] { ++clicks; };
    }

    void Mouse(QEvent::Type type, QPointF position, Qt::MouseButton button = Qt::LeftButton)
    {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, position, view->mapToGlobal(position), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &event);
    }

    QWidget form;
    DXDrawView* view = nullptr;
    std::vector<std::pair<int, int>> moves;
    int clicks = 0;
};

TEST_F(DXDrawViewTest, TheFrameIsScaledWithItsProportionsBetweenBlackBars)
{
    display.OpenDisplay();
    EXPECT_EQ(view->FrameRect(), QRect(240, 0, 1440, 1080));
    TDirectDrawSurface& back = display.BackBuffer();
    back.FillColour(back.MatchColour(0x0000FF));
    display.PresentFrame();

    const QImage shown = view->grab().toImage();
    ASSERT_EQ(shown.size(), QSize(1920, 1080));
    EXPECT_EQ(shown.pixel(100, 540), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(1800, 540), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(240, 0), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(1679, 1079), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(1680, 1079), qRgb(0, 0, 0));
    EXPECT_EQ(view->cursor().shape(), Qt::BlankCursor);
}

TEST_F(DXDrawViewTest, FramesOfEveryModeShowTheirColours)
{
    display.Options = {TDXDrawOption::doFullScreen};
    const std::vector<TDisplayMode> modes = display.DisplayModes();
    for (const TDisplayMode& mode : modes) {
        SCOPED_TRACE(mode.BitCount);
        display.Display.BitCount = mode.BitCount;
        display.OpenDisplay();
        TDirectDrawSurface& back = display.BackBuffer();
        back.FillColour(back.MatchColour(0x00FFFF));
        display.PresentFrame();
        const QImage shown = view->grab().toImage();
        const QRect frame = view->FrameRect();
        EXPECT_EQ(shown.pixel(frame.center()), qRgb(255, 255, 0));
        EXPECT_EQ(shown.pixel(frame.topLeft()), qRgb(255, 255, 0));
        EXPECT_EQ(shown.pixel(frame.bottomRight()), qRgb(255, 255, 0));
    }
}

TEST_F(DXDrawViewTest, MousePositionsAreBackBufferPixelsAndFallOutsideOverTheBars)
{
    display.OpenDisplay();
    EXPECT_EQ(view->MapToBackBuffer({240, 0}), QPoint(0, 0));
    EXPECT_EQ(view->MapToBackBuffer({239.5, 0}), QPoint(-1, 0));
    EXPECT_EQ(view->MapToBackBuffer({1679.9, 1079.9}), QPoint(1023, 767));
    EXPECT_EQ(view->MapToBackBuffer({1680, 540}), QPoint(1024, 384));
    EXPECT_EQ(view->MapToBackBuffer({960, 540}), QPoint(512, 384));

    Mouse(QEvent::MouseMove, {960, 540}, Qt::NoButton);
    Mouse(QEvent::MouseMove, {10, 10}, Qt::NoButton);
    EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{512, 384}, {-164, 7}}));
}

TEST_F(DXDrawViewTest, AClickIsTheLeftButtonPressedAndReleasedOverTheView)
{
    display.OpenDisplay();
    Mouse(QEvent::MouseButtonPress, {500, 500});
    Mouse(QEvent::MouseButtonRelease, {510, 500});
    EXPECT_EQ(clicks, 1);
    Mouse(QEvent::MouseButtonPress, {500, 500});
    Mouse(QEvent::MouseButtonRelease, {2500, 500});  // released off the window
    Mouse(QEvent::MouseButtonRelease, {500, 500});   // a release without a press
    Mouse(QEvent::MouseButtonPress, {500, 500}, Qt::RightButton);
    Mouse(QEvent::MouseButtonRelease, {500, 500}, Qt::RightButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(DXDrawViewTest, AFullScreenDisplayTakesTheScreenUntilItCloses)
{
    display.Options = {TDXDrawOption::doFullScreen};
    display.OpenDisplay();
    EXPECT_TRUE(form.windowState() & Qt::WindowFullScreen);
    EXPECT_EQ(form.geometry(), form.screen()->geometry());
    display.CloseDisplay();
    EXPECT_FALSE(form.windowState() & Qt::WindowFullScreen);
}

TEST_F(DXDrawViewTest, TheViewCoversItsForm)
{
    EXPECT_EQ(view->geometry(), QRect(0, 0, 1920, 1080));
    form.show();
    form.resize(1000, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->geometry(), QRect(0, 0, 1000, 500));
    EXPECT_EQ(view->FrameRect(), QRect(0, 0, 1000, 500)) << "nothing to show yet";
}

TEST_F(DXDrawViewTest, ComingBackFromMinimisedLosesTheSurfaces)
{
    display.OpenDisplay();
    form.setWindowState(Qt::WindowMinimized);
    EXPECT_FALSE(display.SurfacesLost());
    form.setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(display.SurfacesLost());
    EXPECT_TRUE(display.ReadyToDraw());
    EXPECT_EQ(events, "IRR");
}

TEST_F(DXDrawViewTest, ViewAndDisplayMayGoInEitherOrder)
{
    {
        TDXDraw shortLived;
        DXDrawView other(shortLived, &form);
        shortLived.OpenDisplay();
    }
    auto lasting = std::make_unique<TDXDraw>();
    auto* orphaned = new DXDrawView(*lasting, &form);
    lasting.reset();
    orphaned->grab();
    EXPECT_EQ(orphaned->MapToBackBuffer({3, 4}), QPoint(3, 4));
}

}  // namespace
}  // namespace vorlane
