#include "display/FrameScaling.h"

#include <cstring>

namespace vorlane {

namespace {

std::int64_t FloorDivide(std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t quotient = numerator / denominator;
    return quotient * denominator > numerator ? quotient - 1 : quotient;
}

// The frame index under the centre of device index `device`, counted from the
// target's start: floor((device + 1/2) × frame / target).
int SourceIndex(std::int64_t device, int frame, int target)
{
    return static_cast<int>(FloorDivide((2 * device + 1) * frame, 2 * std::int64_t{target}));
}

// The first device index whose centre falls on frame index `source` or
// after it: the smallest d with SourceIndex(d) >= source.
int FirstDevice(std::int64_t source, int frame, int target)
{
    return static_cast<int>(-FloorDivide(frame - 2 * source * target, 2 * std::int64_t{frame}));
}

std::vector<int> SourceTable(int frame, int target)
{
    std::vector<int> table(static_cast<std::size_t>(target));
    for (int device = 0; device < target; ++device)
        table[static_cast<std::size_t>(device)] = SourceIndex(device, frame, target);
    return table;
}

}  // namespace

FrameScaling::FrameScaling(QSize frame, QSize screen) : m_frame(frame), m_screen(screen)
{
    if (frame.isEmpty() || screen.isEmpty()) {
        m_target = QRect(QPoint(0, 0), screen);
        return;
    }
    // The side that fills the screen, the other rounded to the nearest pixel.
    const std::int64_t frameWidth = frame.width();
    const std::int64_t frameHeight = frame.height();
    const std::int64_t screenWidth = screen.width();
    const std::int64_t screenHeight = screen.height();
    QSize fitted;
    if (screenWidth * frameHeight >= screenHeight * frameWidth)
        fitted = QSize(static_cast<int>((2 * screenHeight * frameWidth + frameHeight) / (2 * frameHeight)),
                       screen.height());
    else
        fitted = QSize(screen.width(),
                       static_cast<int>((2 * screenWidth * frameHeight + frameWidth) / (2 * frameWidth)));
    fitted = fitted.expandedTo(QSize(1, 1));
    m_target = QRect(QPoint((screen.width() - fitted.width()) / 2, (screen.height() - fitted.height()) / 2), fitted);
    m_columns = SourceTable(frame.width(), fitted.width());
    m_rows = SourceTable(frame.height(), fitted.height());
    m_row.resize(static_cast<std::size_t>(frame.width()));
}

QPoint FrameScaling::Source(QPoint device) const
{
    if (m_frame.isEmpty())
        return device;
    return {SourceIndex(std::int64_t{device.x()} - m_target.left(), m_frame.width(), m_target.width()),
            SourceIndex(std::int64_t{device.y()} - m_target.top(), m_frame.height(), m_target.height())};
}

QRect FrameScaling::Cover(const QRect& frameRect) const
{
    const QRect inside = frameRect & QRect(QPoint(0, 0), m_frame);
    if (inside.isEmpty())
        return {};
    const int left = FirstDevice(inside.left(), m_frame.width(), m_target.width());
    const int right = FirstDevice(std::int64_t{inside.right()} + 1, m_frame.width(), m_target.width());
    const int top = FirstDevice(inside.top(), m_frame.height(), m_target.height());
    const int bottom = FirstDevice(std::int64_t{inside.bottom()} + 1, m_frame.height(), m_target.height());
    return QRect(m_target.left() + left, m_target.top() + top, right - left, bottom - top) & m_target;
}

void FrameScaling::Scale(const raster::Pixels& pixels, const QRect& rect, std::uint32_t* out, int stride) const
{
    // Nothing to show: no device pixel, or no frame (its tables are empty).
    if (rect.isEmpty() || m_columns.empty())
        return;
    const int width = rect.width();
    const int* columns = m_columns.data() + (rect.left() - m_target.left());
    const int first = columns[0];
    const int last = columns[width - 1];
    std::uint32_t* const row = m_row.data();
    for (int y = rect.top(); y <= rect.bottom(); ++y, out += stride) {
        const int source = m_rows[static_cast<std::size_t>(y - m_target.top())];
        // A frame row shown on several device rows is scaled once.
        if (y > rect.top() && source == m_rows[static_cast<std::size_t>(y - 1 - m_target.top())]) {
            std::memcpy(out, out - stride, static_cast<std::size_t>(width) * sizeof *out);
            continue;
        }
        raster::ToScreenRow(pixels, source, first, last + 1, row);
        for (int x = 0; x < width; ++x)
            out[x] = row[columns[x] - first];
    }
}

}  // namespace vorlane
