#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include <QRect>

#include "display/PixelFormat.h"
#include "display/Raster.h"

namespace vorlane {

class TDIB;
class TDXDraw;
class TDirectDrawSurfaceCanvas;

enum class Transparency { Opaque, Keyed };

// An off-screen surface: pixel values in one format, a transparent colour
// (a pixel value) and one canvas. A new surface holds no pixels (0 × 0); then
// FillColour and DrawSurface do nothing, MatchColour and ColourAt give 0, and
// only drawing through the canvas fails.
//
// The canvas points back at its surface, so a surface never moves: owners hold
// it by unique_ptr.
class TDirectDrawSurface {
public:
    // A surface in the pixel format of the display's current mode.
    explicit TDirectDrawSurface(const TDXDraw& display);
    explicit TDirectDrawSurface(PixelFormat format);
    ~TDirectDrawSurface();
    TDirectDrawSurface(const TDirectDrawSurface&) = delete;
    TDirectDrawSurface& operator=(const TDirectDrawSurface&) = delete;

    // Sides over this are refused like a failed allocation.
    static constexpr int kMaxSide = 16384;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Empty() const { return m_width == 0; }
    PixelFormat Format() const { return m_format; }
    int BitsPerPixel() const { return vorlane::BitsPerPixel(m_format); }

    // Makes the surface anew at the bitmap's size with its pixels converted to
    // this format; the transparent colour becomes 0. An empty bitmap leaves
    // the surface without pixels and raises "IDirectDrawSurface not made"; a
    // size that cannot be allocated raises "Surface cannot be made".
    void LoadFromBitmap(const TDIB& bitmap);
    // Makes the surface anew at width × height, every pixel 0 (as a loaded one:
    // same errors, transparent colour 0). 0 × 0 leaves it without pixels.
    void SetSize(int width, int height);

    // The pixel value a bitmap pixel of this colour (0x00BBGGRR) gets here.
    std::uint32_t MatchColour(std::uint32_t colour) const;
    void SetTransparentColour(std::uint32_t pixel) { m_transparentColour = pixel; }
    std::uint32_t TransparentColour() const { return m_transparentColour; }
    void FillColour(std::uint32_t pixel);
    // The pixels inside `clip` only.
    void FillColour(std::uint32_t pixel, const QRect& clip);
    // A disc shaded from its centre out: every pixel inside `clip` less than
    // `radius` from (cx, cy) takes ramp[d² × ramp.size() / radius²], d its
    // distance from the centre; the pixels around it are left as they were.
    void FillRadial(int cx, int cy, int radius, std::span<const std::uint32_t> ramp, const QRect& clip);
    // Copies `source` whole with its top-left corner at (x, y), clipped on all
    // four sides. Keyed: source pixels equal to the source's transparent
    // colour leave this surface's pixels as they were. Nothing without a source.
    void DrawSurface(int x, int y, const TDirectDrawSurface* source, Transparency transparency);
    // The same copy, of the pixels that fall inside `clip` only: a frame
    // composed rectangle by rectangle is the frame composed whole.
    void DrawSurface(int x, int y, const TDirectDrawSurface* source, Transparency transparency, const QRect& clip);
    // Raw pixel value, no conversion; 0 outside the surface.
    std::uint32_t ColourAt(int x, int y) const;
    // The bitmap becomes 24 bits per pixel at this surface's size, holding the
    // colour of every pixel. Raises "IDirectDrawSurface not made" when the
    // surface holds no pixels (the bitmap is left as it was).
    void CopyToBitmap(TDIB& bitmap) const;

    // The surface's one canvas; its pen, brush and font last as long as the surface.
    TDirectDrawSurfaceCanvas& SurfaceCanvas();

    // The pixel memory, for reading (presentation, benchmarks).
    raster::Pixels Pixels() const;
    // The whole surface, for clipping.
    QRect Rect() const { return {0, 0, m_width, m_height}; }
    // The part of this surface that `source` covers with its top-left corner
    // at (x, y): where DrawSurface writes.
    QRect Covered(int x, int y, const TDirectDrawSurface& source) const;
    // Changes at every write to the pixels and every new size, and no two
    // surfaces ever share one: a frame can tell whether a layer is still the
    // surface it showed, in the state it showed it.
    std::uint64_t Version() const { return m_version; }

private:
    friend class TDXDraw;  // its back buffer follows the screen mode
    friend class TDirectDrawSurfaceCanvas;
    void Allocate(int width, int height);
    void Reformat(PixelFormat format, int width, int height);
    // The pixel memory for writing: forgets what was known of the pixels.
    raster::Pixels WritablePixels();
    const raster::OpaqueRuns& OpaqueRuns() const;

    PixelFormat m_format;
    int m_width = 0;
    int m_height = 0;
    int m_stride = 0;
    std::vector<std::uint8_t> m_bits;
    std::uint32_t m_transparentColour = 0;
    std::uint64_t m_version = 0;
    std::unique_ptr<TDirectDrawSurfaceCanvas> m_canvas;
    // Built at the first keyed copy from this surface after it changed: the
    // layers of a frame are copied sixty times a second and change on clicks.
    mutable std::optional<raster::OpaqueRuns> m_opaqueRuns;
};

}  // namespace vorlane
