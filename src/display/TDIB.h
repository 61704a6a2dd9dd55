#pragma once

#include "base/Errors.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vorlane {

// "DIB is invalid": bytes that are not a Windows BMP file this program can read.
class EInvalidGraphic : public EVorlaneError {
public:
    EInvalidGraphic();
};

// A device-independent bitmap: width, height, bits per pixel, palette (at most
// 256 entries) and pixel rows.
//
// Whatever the file held, the rows are kept in one of two layouts so that every
// consumer has two cases to handle, not twelve:
//  - indexed: one palette index byte per pixel (files of 1, 4 and 8 bits);
//  - BGR: three bytes per pixel, blue, green, red (files of 16, 24 and 32 bits,
//    expanded as GDI expands them).
// Rows are stored top-down, each padded to a multiple of 4 bytes as in a BMP file.
// BitCount() reports the file's own depth (1, 4, 8, 16, 24 or 32).
class TDIB {
public:
    TDIB() = default;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int BitCount() const { return m_bitCount; }
    bool Empty() const { return m_width <= 0 || m_height <= 0; }
    bool IsIndexed() const { return m_indexed; }
    // Bytes from one row to the next.
    int Stride() const { return m_stride; }

    // Colours 0x00BBGGRR.
    const std::vector<std::uint32_t>& Palette() const { return m_palette; }

    // Row y counted from the top.
    const std::uint8_t* ScanLine(int y) const { return m_pixels.data() + static_cast<std::size_t>(y) * m_stride; }
    std::uint8_t* ScanLine(int y) { return m_pixels.data() + static_cast<std::size_t>(y) * m_stride; }

    // Colour 0x00BBGGRR of a pixel; 0 outside the bitmap, and black for an
    // index beyond the palette.
    std::uint32_t PixelColour(int x, int y) const;

    // Makes the bitmap 24 bits per pixel at width × height, every pixel black.
    void SetSize24(int width, int height);
    // Makes the bitmap indexed (BitCount 8) at width × height, every pixel index 0.
    void SetSizeIndexed(int width, int height, std::vector<std::uint32_t> palette);
    // Back to the empty bitmap.
    void Clear();

    // Reads a Windows BMP file. A file that cannot be opened raises EFOpenError;
    // a 0-byte file leaves the bitmap as it was; anything else that is not a
    // valid BMP raises EInvalidGraphic ("DIB is invalid") and leaves the bitmap as it was.
    void LoadBitmapFile(const std::string& path);
    // The same reader over bytes in memory (the member of a coloured-picture archive).
    void LoadBitmapBytes(std::span<const std::uint8_t> bytes);

    // Appends the bitmap as a Windows BMP file to `stream`; nothing when empty.
    // A BGR bitmap is written as the 24-bit layout (no colour table, bottom-up
    // rows); an indexed one as 8 bits per pixel with its palette. A bitmap too
    // big for the format's 32-bit sizes raises EInvalidGraphic.
    void SaveBitmapStream(std::vector<std::uint8_t>& stream) const;

private:
    int m_width = 0;
    int m_height = 0;
    int m_bitCount = 0;
    int m_stride = 0;
    bool m_indexed = false;
    std::vector<std::uint32_t> m_palette;
    std::vector<std::uint8_t> m_pixels;
};

}  // namespace vorlane
