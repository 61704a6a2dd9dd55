#pragma once

#include <functional>
#include <memory>
#include <set>
#include <vector>

#include <QRegion>

#include "display/PixelFormat.h"
#include "display/TDirectDrawSurface.h"

namespace vorlane {

enum class TDXDrawOption {
    doFullScreen,    // take the screen in the mode `Display`; else work inside the window
    doAllowReboot,   // no effect here
    doWaitVBlank,    // frames at most at the screen's rate (TDXTimer paces the ticks)
    doCenter,        // the frame is centred in the window (DXDrawView always does)
    doHardware,      // driver choices: no effect on a software display
    doDirectX7Mode,
    doSelectDriver,
};
using TDXDrawOptions = std::set<TDXDrawOption>;

// A screen mode: size, bits per pixel as reported, and the layout behind them.
struct TDisplayMode {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;
    PixelFormat Format = PixelFormat::Rgb32;
    bool operator==(const TDisplayMode&) const = default;
};

// The mode a full-screen display asks for; only that exact mode is accepted.
struct TDXDrawDisplay {
    int Width = 1024;
    int Height = 768;
    int BitCount = 16;
};

// Where a display's frames appear. DXDrawView is the window that shows them;
// a display without a screen works over memory alone.
class TDXDrawScreen {
public:
    // Whether the window sits on a form.
    virtual bool OnForm() const = 0;
    // The display opened (full screen or in the window) or closed.
    virtual void TakeScreen(bool fullScreen) = 0;
    virtual void ReleaseScreen() = 0;
    // A frame was presented; `frame` holds it until the next one. Only the
    // pixels in `changed` differ from the frame presented before (all of them
    // the first time, and after a restore).
    virtual void ShowFrame(const TDirectDrawSurface& frame, const QRegion& changed) = 0;
    // The display is being destroyed: forget it.
    virtual void DisplayDestroyed() = 0;

protected:
    ~TDXDrawScreen() = default;
};

// The display: a software screen of memory surfaces. Full screen, the back
// buffer is Display.Width × Display.Height in the mode's pixel format whatever
// the window's size; in a window it is SurfaceWidth × SurfaceHeight at the
// desktop's 32 bits. Frames are composed on BackBuffer() and copied to the
// primary surface by PresentFrame(), which the screen (if any) then shows.
//
// Surfaces are never lost by themselves; DeclareSurfacesLost() makes them so
// (the window does when it comes back from being minimised), and the next
// ReadyToDraw() or PresentFrame() runs the restore path: both surfaces black,
// then OnRestoreSurface.
class TDXDraw {
public:
    TDXDraw();
    // Releases everything without raising OnFinalize: the handlers' owner may
    // be half destroyed by then. Owners call CloseDisplay() first.
    ~TDXDraw();
    TDXDraw(const TDXDraw&) = delete;
    TDXDraw& operator=(const TDXDraw&) = delete;

    TDXDrawDisplay Display;
    TDXDrawOptions Options;
    // Back buffer size without doFullScreen; at least 1 × 1.
    int SurfaceWidth = 1;
    int SurfaceHeight = 1;

    std::function<void()> OnInitialize;
    std::function<void()> OnRestoreSurface;
    std::function<void()> OnFinalize;

    // Opens the display (closing it first if open): EDXDrawError "Form not
    // found" when the screen's window sits on no form, "Display mode cannot be
    // changed (WxH Bbit)" for a mode not in DisplayModes(), "Primary Surface
    // cannot be made"; EDirectDrawSurfaceError "Surface cannot be made". Then
    // OnInitialize, then the restore step (OnRestoreSurface). An error of
    // OnInitialize leaves the display open and skips the restore step.
    void OpenDisplay();
    // OnFinalize, then the surfaces are released and the screen given back.
    void CloseDisplay();
    bool Initialized() const { return m_open; }

    // False while closed, busy (opening, closing, restoring) or without back
    // buffer; restores lost surfaces first.
    bool ReadyToDraw();
    // Copies the back buffer to the primary surface and shows it. Only the
    // parts that differ from the frame last presented are copied and shown;
    // they are found by comparing the two surfaces.
    void PresentFrame();
    // The same when the caller knows what changed: the back buffer outside
    // `changed` is as it was when last presented (debug builds check it). The
    // whole frame goes when more than half of it changed, and at the first
    // frame after a restore.
    void PresentFrame(const QRegion& changed);

    // Empty while the display is closed; the same object across openings.
    TDirectDrawSurface& BackBuffer() { return m_backBuffer; }
    const TDirectDrawSurface& BackBuffer() const { return m_backBuffer; }
    // The last frame presented.
    const TDirectDrawSurface& PrimarySurface() const { return m_primary; }

    // The modes of the software display: 1024 × 768 at 8, 16, 24 and 32 bits,
    // sorted. VORLANE_DEPTHS (for example "16,8") keeps only the listed depths;
    // "15" gives the 16-bit mode the 5-5-5 layout.
    const std::vector<TDisplayMode>& DisplayModes();

    // Pixel format of the current mode (of the last one while closed); new
    // surfaces take it.
    PixelFormat SurfaceFormat() const { return m_format; }

    void DeclareSurfacesLost() { m_lost = true; }
    bool SurfacesLost() const { return m_lost; }

    void SetScreen(TDXDrawScreen* screen) { m_screen = screen; }

private:
    void Restore();
    void Release();

    bool m_open = false;
    bool m_busy = false;
    bool m_lost = false;
    bool m_presentWhole = true;
    bool m_screenTaken = false;
    PixelFormat m_format = PixelFormat::Rgb32;
    TDirectDrawSurface m_primary{PixelFormat::Rgb32};
    TDirectDrawSurface m_backBuffer{PixelFormat::Rgb32};
    std::vector<TDisplayMode> m_modes;
    bool m_modesBuilt = false;
    TDXDrawScreen* m_screen = nullptr;
};

}  // namespace vorlane
