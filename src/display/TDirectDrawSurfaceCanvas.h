#pragma once

#include <cstdint>
#include <string>

namespace vorlane {

class TDirectDrawSurface;

enum class TBrushStyle { Solid, Clear };

// Drawing on one surface with a pen, a brush and a font, GDI-like: aliased
// lines, the end point of a one-pixel line left out, round ends on wider pens.
// Colours are 0x00BBGGRR and are converted to the surface's pixel values.
//
// Drawing goes straight into the surface's memory, so there is no device
// context to hold; ReleaseCanvas is where a caller says it has finished.
// Drawing on a surface without pixels raises "IDirectDrawSurface not made".
class TDirectDrawSurfaceCanvas {
public:
    explicit TDirectDrawSurfaceCanvas(TDirectDrawSurface& surface) : m_surface(surface) {}

    // GetPixel's answer outside the surface.
    static constexpr std::uint32_t kInvalidColour = 0xFFFFFFFF;

    std::uint32_t PenColour() const { return m_penColour; }
    void SetPenColour(std::uint32_t colour) { m_penColour = colour; }
    int PenWidth() const { return m_penWidth; }
    // Widths below 1 draw one pixel wide.
    void SetPenWidth(int width) { m_penWidth = width; }

    std::uint32_t BrushColour() const { return m_brushColour; }
    void SetBrushColour(std::uint32_t colour) { m_brushColour = colour; }
    TBrushStyle BrushStyle() const { return m_brushStyle; }
    // Clear also makes the brush colour white.
    void SetBrushStyle(TBrushStyle style);

    const std::string& FontName() const { return m_fontName; }
    void SetFontName(const std::string& name) { m_fontName = name; }
    std::uint32_t FontColour() const { return m_fontColour; }
    void SetFontColour(std::uint32_t colour) { m_fontColour = colour; }
    // Points, at 96 pixels per inch.
    int FontSize() const { return m_fontSize; }
    void SetFontSize(int points) { m_fontSize = points; }

    int PenX() const { return m_penX; }
    int PenY() const { return m_penY; }
    void MovePen(int x, int y);
    // A line from the pen position to (x, y), which becomes the pen position.
    void LineTo(int x, int y);
    // Fills with the brush every pixel four-connected to (x, y) up to pixels of
    // the border colour. Nothing when started on the border colour or outside,
    // or with a clear brush.
    void FillToBorder(int x, int y, std::uint32_t border);
    // The colour of a pixel; kInvalidColour outside the surface.
    std::uint32_t PixelColour(int x, int y);
    // UTF-8 text, its top-left corner at (x, y), on the brush colour unless
    // the brush is clear.
    void WriteText(int x, int y, const std::string& text);
    void ReleaseCanvas() {}

private:
    void RequirePixels() const;
    void DrawThinLine(int x0, int y0, int x1, int y1, std::uint32_t pixel);
    void DrawWideLine(int x0, int y0, int x1, int y1, std::uint32_t pixel);

    TDirectDrawSurface& m_surface;
    std::uint32_t m_penColour = 0x000000;
    int m_penWidth = 1;
    std::uint32_t m_brushColour = 0xFFFFFF;
    TBrushStyle m_brushStyle = TBrushStyle::Solid;
    std::string m_fontName = "MS Sans Serif";
    std::uint32_t m_fontColour = 0x000000;
    int m_fontSize = 8;
    int m_penX = 0;
    int m_penY = 0;
};

}  // namespace vorlane
