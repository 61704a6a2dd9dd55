#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <vector>

#include "display/Raster.h"

namespace vorlane {

// How a frame fills a screen of device pixels: scaled with its proportions
// kept, centred between black bars, each device pixel showing the frame pixel
// nearest to its centre. One table per axis gives the frame column (row) of
// every device column (row), so that any rectangle of the screen is scaled
// exactly as the whole screen is: a partial repaint cannot differ from a whole
// one. On a screen at least as large as the frame every frame column and row
// is shown.
class FrameScaling {
public:
    FrameScaling() = default;
    FrameScaling(QSize frame, QSize screen);

    QSize Frame() const { return m_frame; }
    QSize Screen() const { return m_screen; }
    // Where the frame is shown, in device pixels.
    QRect Target() const { return m_target; }

    // The frame pixel that a device pixel shows; over the bars, a pixel
    // outside the frame (negative on the left and top).
    QPoint Source(QPoint device) const;
    // The device pixels that show any of a frame rectangle's pixels.
    QRect Cover(const QRect& frameRect) const;

    // Device pixels `rect` (inside Target()) of the frame `pixels`, in Qt's
    // RGB32, into rows `stride` pixels apart from `out`. An empty rectangle,
    // or a scaling of no frame, writes nothing.
    void Scale(const raster::Pixels& pixels, const QRect& rect, std::uint32_t* out, int stride) const;

private:
    QSize m_frame;
    QSize m_screen;
    QRect m_target;
    std::vector<int> m_columns;  // frame column of each target column
    std::vector<int> m_rows;     // frame row of each target row
    mutable std::vector<std::uint32_t> m_row;  // one frame row in Qt's RGB32, for Scale
};

}  // namespace vorlane
