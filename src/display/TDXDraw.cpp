#include "display/TDXDraw.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "display/DisplayErrors.h"

namespace vorlane {

namespace {

constexpr int kModeWidth = 1024;
constexpr int kModeHeight = 768;

// Sets a flag for the length of a scope, on every path out of it.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag), m_previous(flag) { m_flag = true; }
    ~FlagScope() { m_flag = m_previous; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
    bool m_previous;
};

std::vector<TDisplayMode> SoftwareModes(const char* depths)
{
    bool wanted[33] = {};
    PixelFormat sixteen = PixelFormat::Rgb565;
    if (depths == nullptr || *depths == '\0') {
        wanted[8] = wanted[16] = wanted[24] = wanted[32] = true;
    } else {
        std::istringstream list(depths);
        std::string item;
        while (std::getline(list, item, ',')) {
            const int depth = std::atoi(item.c_str());
            if (depth == 15) {
                sixteen = PixelFormat::Rgb555;
                wanted[16] = true;
            } else if (depth == 8 || depth == 16 || depth == 24 || depth == 32) {
                wanted[depth] = true;
            }
        }
    }
    std::vector<TDisplayMode> modes;
    for (const PixelFormat format : {PixelFormat::Indexed8, sixteen, PixelFormat::Rgb24, PixelFormat::Rgb32})
        if (wanted[BitsPerPixel(format)])
            modes.push_back({kModeWidth, kModeHeight, BitsPerPixel(format), format});
    return modes;
}

// Where two surfaces of one size and format differ: for each band of rows, the
// columns from the first pixel that differs in it to the last. Rows that are
// alike cost one memcmp; a pointer's move makes a few bands.
QRegion Differences(const raster::Pixels& a, const raster::Pixels& b)
{
    constexpr int kBand = 16;
    constexpr std::size_t kChunk = 64;
    const int bytes = BytesPerPixel(a.format);
    const auto rowBytes = static_cast<std::size_t>(a.width) * bytes;
    QRegion region;
    for (int top = 0; top < a.height; top += kBand) {
        const int bottom = std::min(top + kBand, a.height);
        std::size_t first = rowBytes;
        std::size_t last = 0;
        for (int y = top; y < bottom; ++y) {
            const std::uint8_t* p = a.Row(y);
            const std::uint8_t* q = b.Row(y);
            if (std::memcmp(p, q, rowBytes) == 0)
                continue;
            std::size_t begin = 0;
            while (begin + kChunk <= rowBytes && std::memcmp(p + begin, q + begin, kChunk) == 0)
                begin += kChunk;
            while (p[begin] == q[begin])
                ++begin;
            std::size_t end = rowBytes;
            while (end >= kChunk && std::memcmp(p + end - kChunk, q + end - kChunk, kChunk) == 0)
                end -= kChunk;
            while (p[end - 1] == q[end - 1])
                --end;
            first = std::min(first, begin);
            last = std::max(last, end);
        }
        if (first < last) {
            const auto left = static_cast<int>(first) / bytes;
            const auto right = static_cast<int>(last - 1) / bytes;
            region += QRect(left, top, right - left + 1, bottom - top);
        }
    }
    return region;
}

#ifndef NDEBUG
// Whether two surfaces of one size and format hold the same pixels outside
// `region`.
bool SameOutside(const raster::Pixels& a, const raster::Pixels& b, const QRegion& region)
{
    const auto bytes = static_cast<std::size_t>(BytesPerPixel(a.format));
    std::vector<std::pair<int, int>> inside;
    for (int y = 0; y < a.height; ++y) {
        const auto same = [&](int from, int to) {
            return from >= to || std::memcmp(a.Row(y) + from * bytes, b.Row(y) + from * bytes,
                                             static_cast<std::size_t>(to - from) * bytes) == 0;
        };
        inside.clear();
        for (const QRect& rect : region)
            if (rect.top() <= y && y <= rect.bottom())
                inside.emplace_back(rect.left(), rect.right() + 1);
        std::sort(inside.begin(), inside.end());
        int x = 0;
        for (const auto& [left, right] : inside) {
            if (!same(x, left))
                return false;
            x = std::max(x, right);
        }
        if (!same(x, a.width))
            return false;
    }
    return true;
}
#endif

std::int64_t Area(const QRegion& region)
{
    std::int64_t area = 0;
    for (const QRect& rect : region)
        area += std::int64_t{rect.width()} * rect.height();
    return area;
}

}  // namespace

TDXDraw::TDXDraw() = default;

TDXDraw::~TDXDraw()
{
    Release();
    if (m_screen != nullptr)
        m_screen->DisplayDestroyed();
}

const std::vector<TDisplayMode>& TDXDraw::DisplayModes()
{
    if (!m_modesBuilt) {
        m_modes = SoftwareModes(std::getenv("VORLANE_DEPTHS"));
        m_modesBuilt = true;
    }
    return m_modes;
}

void TDXDraw::OpenDisplay()
{
    if (m_open)
        CloseDisplay();
    {
        FlagScope busy(m_busy);
        try {
            if (m_screen != nullptr && !m_screen->OnForm())
                throw EDXDrawError("Form not found");
            const bool fullScreen = Options.contains(TDXDrawOption::doFullScreen);
            TDisplayMode mode{std::max(SurfaceWidth, 1), std::max(SurfaceHeight, 1), 32, PixelFormat::Rgb32};
            if (fullScreen) {
                const auto& modes = DisplayModes();
                const auto found = std::find_if(modes.begin(), modes.end(), [this](const TDisplayMode& m) {
                    return m.Width == Display.Width && m.Height == Display.Height && m.BitCount == Display.BitCount;
                });
                if (found == modes.end())
                    throw EDXDrawError("Display mode cannot be changed (" + std::to_string(Display.Width) + "x" +
                                       std::to_string(Display.Height) + " " + std::to_string(Display.BitCount) +
                                       "bit)");
                mode = *found;
            }
            if (m_screen != nullptr) {
                m_screen->TakeScreen(fullScreen);
                m_screenTaken = true;
            }
            m_format = mode.Format;
            try {
                m_primary.Reformat(mode.Format, mode.Width, mode.Height);
            } catch (const EDirectDrawSurfaceError&) {
                throw EDXDrawError(FormatMessage("%s cannot be made", "Primary Surface"));
            }
            m_backBuffer.Reformat(mode.Format, mode.Width, mode.Height);
        } catch (...) {
            Release();
            throw;
        }
        m_open = true;
        m_lost = false;
        if (OnInitialize)
            OnInitialize();
        Restore();
    }
}

void TDXDraw::CloseDisplay()
{
    if (!m_open)
        return;
    FlagScope busy(m_busy);
    // The surfaces go even when a handler fails; its error still reaches the caller.
    struct ReleaseOnExit {
        TDXDraw& display;
        ~ReleaseOnExit() { display.Release(); }
    } release{*this};
    if (OnFinalize)
        OnFinalize();
}

void TDXDraw::Release()
{
    m_open = false;
    m_lost = false;
    m_primary.Reformat(m_format, 0, 0);
    m_backBuffer.Reformat(m_format, 0, 0);
    if (m_screenTaken && m_screen != nullptr)
        m_screen->ReleaseScreen();
    m_screenTaken = false;
}

void TDXDraw::Restore()
{
    FlagScope busy(m_busy);
    m_primary.FillColour(0);
    m_backBuffer.FillColour(0);
    m_lost = false;
    m_presentWhole = true;
    if (OnRestoreSurface)
        OnRestoreSurface();
}

bool TDXDraw::ReadyToDraw()
{
    if (!m_open || m_busy || m_backBuffer.Empty())
        return false;
    if (m_lost)
        Restore();
    return !m_lost;
}

void TDXDraw::PresentFrame()
{
    if (!ReadyToDraw())
        return;
    PresentFrame(Differences(m_backBuffer.Pixels(), m_primary.Pixels()));
}

void TDXDraw::PresentFrame(const QRegion& changed)
{
    if (!ReadyToDraw())
        return;
    const QRect whole = m_backBuffer.Rect();
    QRegion shown = changed & whole;
    assert(SameOutside(m_backBuffer.Pixels(), m_primary.Pixels(), shown) &&
           "the back buffer changed outside the region presented");
    // Past half the frame, one whole copy costs less than many pieces.
    if (m_presentWhole || 2 * Area(shown) > std::int64_t{whole.width()} * whole.height())
        shown = whole;
    m_presentWhole = false;
    if (shown.isEmpty())
        return;
    for (const QRect& rect : shown)
        m_primary.DrawSurface(0, 0, &m_backBuffer, Transparency::Opaque, rect);
    if (m_screen != nullptr)
        m_screen->ShowFrame(m_primary, shown);
}

}  // namespace vorlane
