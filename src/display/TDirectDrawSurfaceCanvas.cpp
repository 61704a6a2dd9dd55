#include "display/TDirectDrawSurfaceCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "display/DisplayErrors.h"
#include "display/Raster.h"
#include "display/TDirectDrawSurface.h"

namespace vorlane {

namespace {

// Narrows (from, to) to the x for which a·x + b lies in [low, high]; false
// when nothing is left.
bool Solve(double a, double b, double low, double high, double& from, double& to)
{
    if (a == 0)
        return b >= low && b <= high;
    double first = (low - b) / a;
    double second = (high - b) / a;
    if (first > second)
        std::swap(first, second);
    from = std::max(from, first);
    to = std::min(to, second);
    return from < to;
}

}  // namespace

void TDirectDrawSurfaceCanvas::SetBrushStyle(TBrushStyle style)
{
    m_brushStyle = style;
    if (style == TBrushStyle::Clear)
        m_brushColour = 0xFFFFFF;
}

void TDirectDrawSurfaceCanvas::RequirePixels() const
{
    if (m_surface.Empty())
        throw EDirectDrawSurfaceError::NotMade("IDirectDrawSurface");
}

void TDirectDrawSurfaceCanvas::MovePen(int x, int y)
{
    m_penX = x;
    m_penY = y;
}

void TDirectDrawSurfaceCanvas::LineTo(int x, int y)
{
    RequirePixels();
    const std::uint32_t pixel = m_surface.MatchColour(m_penColour);
    if (m_penWidth <= 1)
        DrawThinLine(m_penX, m_penY, x, y, pixel);
    else
        DrawWideLine(m_penX, m_penY, x, y, pixel);
    MovePen(x, y);
}

void TDirectDrawSurfaceCanvas::DrawThinLine(int x0, int y0, int x1, int y1, std::uint32_t pixel)
{
    // Step i along the major axis puts the minor coordinate at the rounded
    // point of the exact line; steps outside the surface are never visited,
    // so a far-away end point costs nothing.
    const raster::Pixels pixels = m_surface.WritablePixels();
    const bool xMajor = std::abs(static_cast<long long>(x1) - x0) >= std::abs(static_cast<long long>(y1) - y0);
    const long long major0 = xMajor ? x0 : y0;
    const long long minor0 = xMajor ? y0 : x0;
    const long long majorDelta = (xMajor ? x1 : y1) - major0;
    const long long minorDelta = (xMajor ? y1 : x1) - minor0;
    const long long steps = std::abs(majorDelta);  // the end point itself is left out
    if (steps == 0)
        return;
    const long long majorStep = majorDelta > 0 ? 1 : -1;
    const long long minorStep = minorDelta > 0 ? 1 : -1;
    const long long minorAbs = std::abs(minorDelta);
    const long long majorSize = xMajor ? pixels.width : pixels.height;
    const long long minorSize = xMajor ? pixels.height : pixels.width;
    // Steps whose major coordinate lies inside the surface.
    long long first = majorStep > 0 ? -major0 : major0 - (majorSize - 1);
    long long last = majorStep > 0 ? majorSize - 1 - major0 : major0;
    first = std::max(first, 0LL);
    last = std::min(last, steps - 1);
    for (long long i = first; i <= last; ++i) {
        const long long major = major0 + majorStep * i;
        // 128 bits: coordinates near ±2^31 make the product pass 2^63.
        const auto offset = static_cast<long long>((static_cast<__int128>(2 * i) * minorAbs + steps) / (2 * steps));
        const long long minor = minor0 + minorStep * offset;
        if (minor < 0 || minor >= minorSize)
            continue;
        const int x = static_cast<int>(xMajor ? major : minor);
        const int y = static_cast<int>(xMajor ? minor : major);
        raster::WritePixel(pixels, x, y, pixel);
    }
}

void TDirectDrawSurfaceCanvas::DrawWideLine(int x0, int y0, int x1, int y1, std::uint32_t pixel)
{
    // The pixels whose centres lie within half the width of the segment: a
    // band with a round cap at each end. An even width has no middle pixel,
    // so its segment runs between pixel centres.
    const raster::Pixels pixels = m_surface.WritablePixels();
    const double radius = m_penWidth / 2.0;
    const double shift = m_penWidth % 2 == 0 ? -0.5 : 0.0;
    const double ax = x0 + shift;
    const double ay = y0 + shift;
    const double bx = x1 + shift;
    const double by = y1 + shift;
    const double dx = bx - ax;
    const double dy = by - ay;
    const double lengthSquared = dx * dx + dy * dy;
    const double length = std::sqrt(lengthSquared);
    const int top = std::max(0, static_cast<int>(std::floor(std::min(ay, by) - radius)));
    const int bottom = std::min(pixels.height - 1, static_cast<int>(std::ceil(std::max(ay, by) + radius)));
    for (int y = top; y <= bottom; ++y) {
        double low = INFINITY;
        double high = -INFINITY;
        for (const auto& [cx, cy] : {std::pair{ax, ay}, std::pair{bx, by}}) {
            const double rest = radius * radius - (y - cy) * (y - cy);
            if (rest > 0) {
                const double half = std::sqrt(rest);
                low = std::min(low, cx - half);
                high = std::max(high, cx + half);
            }
        }
        if (lengthSquared > 0) {
            // Along the segment: 0 ≤ (p − a)·d ≤ |d|²; across it: |(p − a)×d| < r|d|.
            double from = -INFINITY;
            double to = INFINITY;
            if (Solve(dx, (y - ay) * dy - ax * dx, 0, lengthSquared, from, to) &&
                Solve(dy, -(y - ay) * dx - ax * dy, -radius * length, radius * length, from, to)) {
                low = std::min(low, from);
                high = std::max(high, to);
            }
        }
        if (!(low < high))
            continue;
        const double first = std::max(std::floor(low) + 1, 0.0);
        const double last = std::min(std::ceil(high) - 1, pixels.width - 1.0);
        if (first <= last)
            raster::FillSpan(pixels, y, static_cast<int>(first), static_cast<int>(last) + 1, pixel);
    }
}

void TDirectDrawSurfaceCanvas::FillToBorder(int x, int y, std::uint32_t border)
{
    RequirePixels();
    if (m_brushStyle == TBrushStyle::Clear)
        return;
    raster::FillToBorder(m_surface.WritablePixels(), x, y, m_surface.MatchColour(border), m_surface.MatchColour(m_brushColour));
}

std::uint32_t TDirectDrawSurfaceCanvas::PixelColour(int x, int y)
{
    RequirePixels();
    if (x < 0 || y < 0 || x >= m_surface.Width() || y >= m_surface.Height())
        return kInvalidColour;
    return ColourFromPixel(m_surface.Format(), m_surface.ColourAt(x, y));
}

void TDirectDrawSurfaceCanvas::WriteText(int x, int y, const std::string& text)
{
    RequirePixels();
    QFont font(QString::fromStdString(m_fontName));
    font.setPixelSize(std::max(1, (m_fontSize * 96 + 36) / 72));
    // GDI-like: the surfaces hold exact pixel values, no blended edges.
    font.setStyleStrategy(QFont::NoAntialias);
    const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(font);
    const int width = std::max(metrics.horizontalAdvance(string), metrics.boundingRect(string).right() + 1);
    const int height = metrics.height();
    if (width <= 0 || height <= 0)
        return;

    // Qt paints the glyphs on a scratch image; only their coverage is copied,
    // so the surface's pixel values stay exact whatever its format.
    QImage glyphs(width, height, QImage::Format_ARGB32_Premultiplied);
    glyphs.fill(Qt::transparent);
    {
        QPainter painter(&glyphs);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(0, metrics.ascent(), string);
    }

    const raster::Pixels pixels = m_surface.WritablePixels();
    const int left = std::max(x, 0);
    const int right = static_cast<int>(std::min<long long>(static_cast<long long>(x) + width, pixels.width));
    const int top = std::max(y, 0);
    const int bottom = static_cast<int>(std::min<long long>(static_cast<long long>(y) + height, pixels.height));
    if (left >= right || top >= bottom)
        return;
    const std::uint32_t ink = m_surface.MatchColour(m_fontColour);
    const std::uint32_t paper = m_surface.MatchColour(m_brushColour);
    for (int row = top; row < bottom; ++row) {
        if (m_brushStyle == TBrushStyle::Solid)
            raster::FillSpan(pixels, row, left, right, paper);
        const auto* line = reinterpret_cast<const QRgb*>(glyphs.constScanLine(row - y));
        for (int column = left; column < right; ++column)
            if (qAlpha(line[column - x]) >= 128)
                raster::WritePixel(pixels, column, row, ink);
    }
}

}  // namespace vorlane
