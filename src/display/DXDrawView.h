#pragma once

#include <QPointF>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "display/FrameScaling.h"
#include "display/TDXDraw.h"

namespace vorlane {

// The window of a display: a child widget that covers its form's whole client
// area and shows the last presented frame scaled to fit, proportions kept,
// black bars at the sides. The view draws in its device pixels (its size
// times the screen's scale factor) and scales the frame itself, with the
// same tables for every repaint, so that repainting what a frame changed
// shows exactly what repainting everything would. The system pointer is hidden
// over it; the game draws its own.
//
// Mouse positions are reported in back-buffer pixels; over the bars they fall
// outside the back buffer. A click is the left button pressed and released over
// the view. When the form comes back from being minimised the display is told
// its surfaces were lost, so the game rebuilds them.
//
// A game form hooks it like this:
//   view->OnMouseMove = [this](int x, int y) { DXPrincipaleMouseMove(x, y); };
//   view->OnClick = [this] { DXPrincipaleClick(); };
class DXDrawView : public QWidget, private TDXDrawScreen {
public:
    DXDrawView(TDXDraw& display, QWidget* form);
    ~DXDrawView() override;

    std::function<void(int x, int y)> OnMouseMove;
    std::function<void()> OnClick;

    // Where the frame is drawn inside the view, in device pixels.
    QRect FrameRect() const;
    // A position in the view: the back-buffer pixel shown under it.
    QPoint MapToBackBuffer(QPointF position) const;
    // The part of the view that shows a region of the frame, with a margin
    // for Qt's rounding between the view's pixels and the device's.
    QRegion MapFromFrame(const QRegion& frameRegion) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool OnForm() const override;
    void TakeScreen(bool fullScreen) override;
    void ReleaseScreen() override;
    void ShowFrame(const TDirectDrawSurface& frame, const QRegion& changed) override;
    void DisplayDestroyed() override;
    // Size of the frame shown: the last presented, else the back buffer's.
    QSize FrameSize() const;
    // The scaling for the view's present size, scale factor and frame.
    const FrameScaling& Scaling() const;
    // Reports a position in the view as a mouse move.
    void MoveTo(QPointF position);

    TDXDraw* m_display;
    // The last frame presented; the display keeps it until the next one.
    const TDirectDrawSurface* m_frame = nullptr;
    mutable FrameScaling m_scaling;
    // The pixels of the frame being painted, a band of rows at a time.
    std::vector<std::uint32_t> m_band;
    bool m_leftPressed = false;
};

}  // namespace vorlane
