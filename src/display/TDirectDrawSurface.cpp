#include "display/TDirectDrawSurface.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <new>

#include "display/DisplayErrors.h"
#include "display/TDIB.h"
#include "display/TDXDraw.h"
#include "display/TDirectDrawSurfaceCanvas.h"

namespace vorlane {

namespace {

// One sequence for every surface of the program: a surface made where another
// was freed never shows one of that one's versions.
std::uint64_t NextVersion()
{
    static std::atomic<std::uint64_t> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

}  // namespace

TDirectDrawSurface::TDirectDrawSurface(const TDXDraw& display) : TDirectDrawSurface(display.SurfaceFormat()) {}

TDirectDrawSurface::TDirectDrawSurface(PixelFormat format) : m_format(format), m_version(NextVersion()) {}

TDirectDrawSurface::~TDirectDrawSurface() = default;

void TDirectDrawSurface::Allocate(int width, int height)
{
    m_width = 0;
    m_height = 0;
    m_stride = 0;
    m_bits.clear();
    m_bits.shrink_to_fit();
    m_opaqueRuns.reset();
    m_transparentColour = 0;
    m_version = NextVersion();
    if (width <= 0 || height <= 0)
        return;
    if (width > kMaxSide || height > kMaxSide)
        throw EDirectDrawSurfaceError::CannotBeMade("Surface");
    const int stride = (width * BytesPerPixel(m_format) + 3) / 4 * 4;
    try {
        m_bits.assign(static_cast<std::size_t>(stride) * height, 0);
    } catch (const std::bad_alloc&) {
        throw EDirectDrawSurfaceError::CannotBeMade("Surface");
    }
    m_width = width;
    m_height = height;
    m_stride = stride;
}

void TDirectDrawSurface::SetSize(int width, int height) { Allocate(width, height); }

void TDirectDrawSurface::Reformat(PixelFormat format, int width, int height)
{
    Allocate(0, 0);
    m_format = format;
    Allocate(width, height);
}

void TDirectDrawSurface::LoadFromBitmap(const TDIB& bitmap)
{
    Allocate(bitmap.Width(), bitmap.Height());
    if (Empty())
        throw EDirectDrawSurfaceError::NotMade("IDirectDrawSurface");
    const raster::Pixels pixels = WritablePixels();
    if (bitmap.IsIndexed()) {
        // Indices past the palette show black, as in the bitmap itself.
        std::array<std::uint32_t, 256> values{};
        values.fill(PixelFromColour(m_format, 0));
        const auto& palette = bitmap.Palette();
        for (std::size_t i = 0; i < palette.size() && i < values.size(); ++i)
            values[i] = PixelFromColour(m_format, palette[i]);
        for (int y = 0; y < m_height; ++y) {
            const std::uint8_t* row = bitmap.ScanLine(y);
            for (int x = 0; x < m_width; ++x)
                raster::WritePixel(pixels, x, y, values[row[x]]);
        }
        return;
    }
    for (int y = 0; y < m_height; ++y) {
        const std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < m_width; ++x, p += 3) {
            const std::uint32_t colour = p[2] | static_cast<std::uint32_t>(p[1]) << 8 |
                                         static_cast<std::uint32_t>(p[0]) << 16;
            raster::WritePixel(pixels, x, y, PixelFromColour(m_format, colour));
        }
    }
}

std::uint32_t TDirectDrawSurface::MatchColour(std::uint32_t colour) const
{
    return Empty() ? 0 : PixelFromColour(m_format, colour);
}

void TDirectDrawSurface::FillColour(std::uint32_t pixel) { raster::FillAll(WritablePixels(), pixel); }

void TDirectDrawSurface::FillColour(std::uint32_t pixel, const QRect& clip)
{
    const QRect area = clip & Rect();
    if (area.isEmpty())
        return;
    const raster::Pixels pixels = WritablePixels();
    for (int y = area.top(); y <= area.bottom(); ++y)
        raster::FillSpan(pixels, y, area.left(), area.right() + 1, pixel);
}

void TDirectDrawSurface::FillRadial(int cx, int cy, int radius, std::span<const std::uint32_t> ramp, const QRect& clip)
{
    const QRect area = clip & Rect() & QRect(cx - radius, cy - radius, 2 * radius + 1, 2 * radius + 1);
    if (area.isEmpty() || radius <= 0 || ramp.empty())
        return;
    const raster::Pixels pixels = WritablePixels();
    const std::int64_t limit = std::int64_t{radius} * radius;
    const auto steps = static_cast<std::int64_t>(ramp.size());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const std::int64_t dy = y - cy;
        for (int x = area.left(); x <= area.right(); ++x) {
            const std::int64_t dx = x - cx;
            const std::int64_t d2 = dx * dx + dy * dy;
            if (d2 < limit)
                raster::WritePixel(pixels, x, y, ramp[static_cast<std::size_t>(d2 * steps / limit)]);
        }
    }
}

void TDirectDrawSurface::DrawSurface(int x, int y, const TDirectDrawSurface* source, Transparency transparency)
{
    DrawSurface(x, y, source, transparency, Rect());
}

void TDirectDrawSurface::DrawSurface(int x, int y, const TDirectDrawSurface* source, Transparency transparency,
                                     const QRect& clip)
{
    if (source == nullptr || source->Empty() || Empty())
        return;
    if (source == this) {
        // The copy reads what it writes: go through a snapshot.
        TDirectDrawSurface snapshot(m_format);
        snapshot.Allocate(m_width, m_height);
        snapshot.m_bits = m_bits;
        snapshot.m_transparentColour = m_transparentColour;
        DrawSurface(x, y, &snapshot, transparency, clip);
        return;
    }
    // Clip the destination rectangle and cut the source by the same amount.
    const QRect target = Covered(x, y, *source) & clip;
    if (target.isEmpty())
        return;
    const int dx = target.x();
    const int dy = target.y();
    const auto sx = static_cast<int>(dx - std::int64_t{x});
    const auto sy = static_cast<int>(dy - std::int64_t{y});
    const int w = target.width();
    const int h = target.height();
    if (transparency == Transparency::Opaque)
        raster::CopyBlock(WritablePixels(), dx, dy, source->Pixels(), sx, sy, w, h, raster::KeyMode::Opaque, 0);
    else
        raster::CopyBlock(WritablePixels(), dx, dy, source->Pixels(), sx, sy, w, h, raster::KeyMode::SkipKey,
                          source->m_transparentColour, &source->OpaqueRuns());
}

QRect TDirectDrawSurface::Covered(int x, int y, const TDirectDrawSurface& source) const
{
    // In 64 bits: a layer may lie anywhere in int's range.
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + source.m_width, m_width);
    const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y} + source.m_height, m_height);
    if (left >= right || top >= bottom)
        return {};
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

std::uint32_t TDirectDrawSurface::ColourAt(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return raster::ReadPixel(Pixels(), x, y);
}

void TDirectDrawSurface::CopyToBitmap(TDIB& bitmap) const
{
    if (Empty())
        throw EDirectDrawSurfaceError::NotMade("IDirectDrawSurface");
    bitmap.SetSize24(m_width, m_height);
    const raster::Pixels pixels = Pixels();
    for (int y = 0; y < m_height; ++y) {
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < m_width; ++x, p += 3) {
            const std::uint32_t colour = ColourFromPixel(m_format, raster::ReadPixel(pixels, x, y));
            p[0] = static_cast<std::uint8_t>(colour >> 16);
            p[1] = static_cast<std::uint8_t>(colour >> 8);
            p[2] = static_cast<std::uint8_t>(colour);
        }
    }
}

TDirectDrawSurfaceCanvas& TDirectDrawSurface::SurfaceCanvas()
{
    if (!m_canvas)
        m_canvas = std::make_unique<TDirectDrawSurfaceCanvas>(*this);
    return *m_canvas;
}

raster::Pixels TDirectDrawSurface::WritablePixels()
{
    m_opaqueRuns.reset();
    m_version = NextVersion();
    return Pixels();
}

const raster::OpaqueRuns& TDirectDrawSurface::OpaqueRuns() const
{
    if (!m_opaqueRuns || m_opaqueRuns->key != m_transparentColour)
        m_opaqueRuns = raster::FindOpaqueRuns(Pixels(), m_transparentColour);
    return *m_opaqueRuns;
}

raster::Pixels TDirectDrawSurface::Pixels() const
{
    // The raster view is shared by readers and writers; constness is kept by
    // this class's own interface.
    return {const_cast<std::uint8_t*>(m_bits.data()), m_width, m_height, m_stride, m_format};
}

}  // namespace vorlane
