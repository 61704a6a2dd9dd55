// The Windows BMP format: reading every variant real tools write, and writing
// the two layouts this program needs.

#include "display/TDIB.h"

#include "base/AtomicFile.h"
#include "display/ByteReader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

namespace vorlane {

EInvalidGraphic::EInvalidGraphic() : EVorlaneError("DIB is invalid") {}

namespace {

using Reader = ByteReader<EInvalidGraphic>;

constexpr std::int64_t kMaxSide = 16384;
// Pixels an RLE picture may have whatever its stream's length: twice a game screen each way.
constexpr std::uint64_t kSparseRlePixels = 2048 * 2048;
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;

enum class Compression : std::uint32_t { None = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

int StrideOf(int bitsPerPixel, int width)
{
    return ((bitsPerPixel * width + 31) / 32) * 4;
}

// What the headers say, checked.
struct Header {
    std::uint32_t pixelOffset = 0;
    int width = 0;
    int height = 0;
    bool bottomUp = true;
    int bitCount = 0;
    Compression compression = Compression::None;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue
    std::vector<std::uint32_t> palette;
};

bool IsInfoHeaderSize(std::uint32_t size)
{
    // 40 (BITMAPINFOHEADER), 52 and 56 (its extensions with masks), 108 (V4), 124 (V5).
    return size == kInfoHeaderSize || size == 52 || size == 56 || size == 108 || size == 124;
}

Header ReadHeader(Reader& in)
{
    Header h;
    Reader::Require(in.U8() == 'B' && in.U8() == 'M');
    in.Skip(8);  // file size (often wrong in the wild) and two reserved words
    h.pixelOffset = in.U32();

    const std::uint32_t headerSize = in.U32();
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t colorsUsed = 0;
    std::size_t entrySize = 4;
    if (headerSize == kCoreHeaderSize) {
        width = in.U16();
        height = in.U16();
        in.U16();  // planes
        h.bitCount = in.U16();
        entrySize = 3;
    } else {
        Reader::Require(IsInfoHeaderSize(headerSize));
        width = in.I32();
        height = in.I32();
        in.U16();  // planes
        h.bitCount = in.U16();
        h.compression = static_cast<Compression>(in.U32());
        in.Skip(12);  // image size (often 0 or wrong), resolutions
        colorsUsed = in.U32();
        in.U32();  // important colours
        if (headerSize > kInfoHeaderSize || h.compression == Compression::BitFields)
            h.masks = {in.U32(), in.U32(), in.U32()};
        // The masks of a 40-byte header follow it; longer headers hold them inside.
        if (headerSize > kInfoHeaderSize)
            in.Seek(kFileHeaderSize + headerSize);
    }

    if (height < 0) {
        h.bottomUp = false;
        height = -height;
    }
    Reader::Require(width >= 1 && width <= kMaxSide && height >= 1 && height <= kMaxSide);
    h.width = static_cast<int>(width);
    h.height = static_cast<int>(height);

    switch (h.compression) {
    case Compression::None:
        Reader::Require(h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8 || h.bitCount == 16 ||
                        h.bitCount == 24 || h.bitCount == 32);
        if (h.bitCount == 16)
            h.masks = {0x7C00, 0x03E0, 0x001F};
        else if (h.bitCount == 32)
            h.masks = {0xFF0000, 0x00FF00, 0x0000FF};
        break;
    case Compression::Rle8:
        Reader::Require(h.bitCount == 8);
        break;
    case Compression::Rle4:
        Reader::Require(h.bitCount == 4);
        break;
    case Compression::BitFields:
        Reader::Require(h.bitCount == 16 || h.bitCount == 32);
        break;
    default:
        Reader::Require(false);
    }

    const std::size_t paletteStart = in.Position();
    Reader::Require(h.pixelOffset >= paletteStart && h.pixelOffset <= in.Size());
    if (h.bitCount <= 8) {
        // A palette has at most 256 entries; a header that claims more is not a BMP.
        Reader::Require(colorsUsed <= 256);
        std::size_t count = colorsUsed != 0 ? colorsUsed : std::size_t{1} << h.bitCount;
        // Some writers declare more colours than they leave room for before the pixels.
        count = std::min(count, (h.pixelOffset - paletteStart) / entrySize);
        h.palette.resize(count);
        for (auto& colour : h.palette) {
            const auto e = in.Take(entrySize);
            colour = static_cast<std::uint32_t>(e[2]) | (static_cast<std::uint32_t>(e[1]) << 8) |
                     (static_cast<std::uint32_t>(e[0]) << 16);
        }
    }
    return h;
}

// One colour channel of a 16- or 32-bit pixel: where it lies and how its bits
// widen to 8 (by repeating them, as GDI does: 5 bits v give v << 3 | v >> 2).
struct Channel {
    std::uint32_t shift = 0;
    std::uint32_t limit = 0;
    std::array<std::uint8_t, 256> expand{};
};

Channel MakeChannel(std::uint32_t mask, int bitCount)
{
    Channel c;
    if (mask == 0)
        return c;
    const int low = std::countr_zero(mask);
    const std::uint32_t bits = mask >> low;
    Reader::Require((bits & (bits + 1)) == 0);  // one run of set bits
    Reader::Require(bitCount == 32 || (mask >> bitCount) == 0);
    const int width = std::popcount(mask);
    const int kept = std::min(width, 8);
    c.shift = static_cast<std::uint32_t>(low + width - kept);
    c.limit = (1u << kept) - 1;
    for (std::uint32_t v = 0; v <= c.limit; ++v) {
        std::uint32_t wide = 0;
        for (int at = 8 - kept; at > -kept; at -= kept)
            wide |= at >= 0 ? v << at : v >> -at;
        c.expand[v] = static_cast<std::uint8_t>(wide);
    }
    return c;
}

// The decoded picture, in TDIB's layout.
struct Decoded {
    int width = 0;
    int height = 0;
    int stride = 0;
    bool bottomUp = true;
    std::vector<std::uint8_t> pixels;

    Decoded(int w, int h, int bitsPerPixel, bool fileBottomUp)
        : width(w), height(h), stride(StrideOf(bitsPerPixel, w)), bottomUp(fileBottomUp),
          pixels(static_cast<std::size_t>(stride) * h)
    {
    }
    // Row `fileRow` in the order the file stores rows.
    std::uint8_t* Row(int fileRow)
    {
        const int y = bottomUp ? height - 1 - fileRow : fileRow;
        return pixels.data() + static_cast<std::size_t>(y) * stride;
    }
};

// Row kernels: one file row in, one TDIB row out. Written without branches in
// the pixel loops so that they vectorise.
void Expand1(const std::uint8_t* in, std::uint8_t* out, int width)
{
    const int bytes = width / 8;
    for (int i = 0; i < bytes; ++i)
        for (int bit = 0; bit < 8; ++bit)
            out[8 * i + bit] = static_cast<std::uint8_t>((in[i] >> (7 - bit)) & 1);
    for (int x = 8 * bytes; x < width; ++x)
        out[x] = static_cast<std::uint8_t>((in[x >> 3] >> (7 - (x & 7))) & 1);
}

void Expand4(const std::uint8_t* in, std::uint8_t* out, int width)
{
    const int pairs = width / 2;
    for (int i = 0; i < pairs; ++i) {
        out[2 * i] = static_cast<std::uint8_t>(in[i] >> 4);
        out[2 * i + 1] = static_cast<std::uint8_t>(in[i] & 0x0F);
    }
    if (width & 1)
        out[width - 1] = static_cast<std::uint8_t>(in[pairs] >> 4);
}

void Copy8(const std::uint8_t* in, std::uint8_t* out, int width)
{
    std::memcpy(out, in, static_cast<std::size_t>(width));
}

void Copy24(const std::uint8_t* in, std::uint8_t* out, int width)
{
    std::memcpy(out, in, static_cast<std::size_t>(width) * 3);
}

void DropX32(const std::uint8_t* in, std::uint8_t* out, int width)
{
    for (int x = 0; x < width; ++x) {
        out[3 * x] = in[4 * x];
        out[3 * x + 1] = in[4 * x + 1];
        out[3 * x + 2] = in[4 * x + 2];
    }
}

template <int Bytes>
void ExpandFields(const std::uint8_t* in, std::uint8_t* out, int width, const std::array<Channel, 3>& rgb)
{
    for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = in + Bytes * x;
        std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8);
        if constexpr (Bytes == 4)
            v |= (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
        out[3 * x] = rgb[2].expand[(v >> rgb[2].shift) & rgb[2].limit];
        out[3 * x + 1] = rgb[1].expand[(v >> rgb[1].shift) & rgb[1].limit];
        out[3 * x + 2] = rgb[0].expand[(v >> rgb[0].shift) & rgb[0].limit];
    }
}

// Refuses, before anything is allocated, pixel data that cannot cover the picture.
void RequireDataCovers(const Header& h, std::span<const std::uint8_t> data)
{
    const std::uint64_t pixels = static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.height);
    if (h.compression == Compression::Rle8 || h.compression == Compression::Rle4) {
        // Deltas and an early end of bitmap let a valid stream leave most of a
        // picture untouched, so its length need not cover the picture. Decoding
        // costs one pass over the picture's own pixels: up to kSparseRlePixels
        // any stream may claim them; a larger picture needs at least one code a
        // row or a run of 255, so a tiny file cannot claim a huge bitmap.
        Reader::Require(pixels <= kSparseRlePixels ||
                        data.size() / 2 * static_cast<std::uint64_t>(std::max(255, h.width)) >= pixels);
        return;
    }
    const std::uint64_t fileStride = static_cast<std::uint64_t>(StrideOf(h.bitCount, h.width));
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(h.bitCount) * h.width + 7) / 8;
    // The last row's padding may be missing; its pixels may not.
    Reader::Require(fileStride * static_cast<std::uint64_t>(h.height - 1) + rowBytes <= data.size());
}

void DecodeUncompressed(const Header& h, std::span<const std::uint8_t> data, Decoded& out)
{
    const std::size_t fileStride = static_cast<std::size_t>(StrideOf(h.bitCount, h.width));
    const auto eachRow = [&](auto&& convert) {
        for (int r = 0; r < h.height; ++r)
            convert(data.data() + fileStride * r, out.Row(r), h.width);
    };
    switch (h.bitCount) {
    case 1: eachRow(Expand1); break;
    case 4: eachRow(Expand4); break;
    case 8: eachRow(Copy8); break;
    case 24: eachRow(Copy24); break;
    case 16:
    case 32: {
        const std::array<Channel, 3> rgb = {MakeChannel(h.masks[0], h.bitCount), MakeChannel(h.masks[1], h.bitCount),
                                            MakeChannel(h.masks[2], h.bitCount)};
        if (h.bitCount == 16)
            eachRow([&](const std::uint8_t* in, std::uint8_t* o, int w) { ExpandFields<2>(in, o, w, rgb); });
        else if (h.masks == std::array<std::uint32_t, 3>{0xFF0000, 0x00FF00, 0x0000FF})
            eachRow(DropX32);
        else
            eachRow([&](const std::uint8_t* in, std::uint8_t* o, int w) { ExpandFields<4>(in, o, w, rgb); });
        break;
    }
    default:
        Reader::Require(false);
    }
}

// RLE8 and RLE4. Runs that overrun their row are clipped at its end (ImageMagick
// writes each row's padding as one more pixel); a run below the last row or a
// delta that leaves the picture is refused. Skipped pixels keep index 0.
template <int Bits>
void DecodeRle(std::span<const std::uint8_t> data, Decoded& out)
{
    const std::uint8_t* p = data.data();
    const std::uint8_t* const end = p + data.size();
    const int width = out.width;
    const int height = out.height;
    int x = 0;
    int y = 0;  // in file order
    for (;;) {
        if (end - p < 2) {
            // A stream without its end marker is accepted once it reached the last row.
            Reader::Require(y >= height - 1);
            return;
        }
        const int count = p[0];
        const std::uint8_t value = p[1];
        p += 2;
        if (count > 0) {
            Reader::Require(y < height);
            const int n = std::min(count, width - x);
            std::uint8_t* dst = out.Row(y) + x;
            if constexpr (Bits == 8) {
                std::memset(dst, value, static_cast<std::size_t>(n));
            } else {
                const std::uint8_t pair[2] = {static_cast<std::uint8_t>(value >> 4),
                                              static_cast<std::uint8_t>(value & 0x0F)};
                for (int i = 0; i < n; ++i)
                    dst[i] = pair[i & 1];
            }
            x += n;
            continue;
        }
        switch (value) {
        case 0:  // end of line
            x = 0;
            y = std::min(y + 1, height);
            break;
        case 1:  // end of bitmap
            return;
        case 2:  // delta
            Reader::Require(end - p >= 2 && y < height);
            x += p[0];
            y += p[1];
            p += 2;
            Reader::Require(x <= width && y < height);
            break;
        default: {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const std::size_t bytes = Bits == 8 ? value : (value + 1u) / 2;
            Reader::Require(static_cast<std::size_t>(end - p) >= bytes && y < height);
            const int n = std::min<int>(value, width - x);
            std::uint8_t* dst = out.Row(y) + x;
            if constexpr (Bits == 8) {
                std::memcpy(dst, p, static_cast<std::size_t>(n));
            } else {
                for (int i = 0; i < n; ++i)
                    dst[i] = static_cast<std::uint8_t>((p[i >> 1] >> (4 * (~i & 1))) & 0x0F);
            }
            x += n;
            // The last pad byte of a file may be missing.
            p += std::min<std::size_t>((bytes + 1) & ~std::size_t{1}, static_cast<std::size_t>(end - p));
            break;
        }
        }
    }
}

void PutU16(std::vector<std::uint8_t>& s, std::uint32_t v)
{
    s.push_back(static_cast<std::uint8_t>(v));
    s.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32(std::vector<std::uint8_t>& s, std::uint32_t v)
{
    PutU16(s, v & 0xFFFF);
    PutU16(s, v >> 16);
}

}  // namespace

void TDIB::LoadBitmapFile(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes))
        throw EFOpenError(path);
    LoadBitmapBytes(bytes);
}

void TDIB::LoadBitmapBytes(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return;
    Reader in(bytes);
    Header h = ReadHeader(in);
    const auto data = bytes.subspan(h.pixelOffset);
    const bool indexed = h.bitCount <= 8;
    RequireDataCovers(h, data);

    Decoded out(h.width, h.height, indexed ? 8 : 24, h.bottomUp);
    switch (h.compression) {
    case Compression::Rle8: DecodeRle<8>(data, out); break;
    case Compression::Rle4: DecodeRle<4>(data, out); break;
    case Compression::None:
    case Compression::BitFields: DecodeUncompressed(h, data, out); break;
    }

    m_width = h.width;
    m_height = h.height;
    m_bitCount = h.bitCount;
    m_stride = out.stride;
    m_indexed = indexed;
    m_palette = std::move(h.palette);
    m_pixels = std::move(out.pixels);
}

void TDIB::SaveBitmapStream(std::vector<std::uint8_t>& stream) const
{
    if (Empty())
        return;
    // Indexed bitmaps keep at least one palette entry so that the colour count is never 0 ("all 256").
    const std::size_t paletteCount = m_indexed ? std::max<std::size_t>(m_palette.size(), 1) : 0;
    const std::uint64_t wholeImage = static_cast<std::uint64_t>(m_stride) * static_cast<std::uint64_t>(m_height);
    const std::uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + static_cast<std::uint32_t>(4 * paletteCount);
    // The format counts sizes in 32 bits.
    if (wholeImage > 0xFFFFFFFFu - pixelOffset)
        throw EInvalidGraphic();
    const auto imageSize = static_cast<std::uint32_t>(wholeImage);
    stream.reserve(stream.size() + pixelOffset + imageSize);

    stream.push_back('B');
    stream.push_back('M');
    PutU32(stream, pixelOffset + imageSize);
    PutU32(stream, 0);  // two reserved words
    PutU32(stream, pixelOffset);

    PutU32(stream, kInfoHeaderSize);
    PutU32(stream, static_cast<std::uint32_t>(m_width));
    PutU32(stream, static_cast<std::uint32_t>(m_height));  // positive: bottom-up rows
    PutU16(stream, 1);                                     // planes
    PutU16(stream, m_indexed ? 8 : 24);
    PutU32(stream, static_cast<std::uint32_t>(Compression::None));
    PutU32(stream, imageSize);
    PutU32(stream, 0);  // horizontal resolution
    PutU32(stream, 0);  // vertical resolution
    PutU32(stream, static_cast<std::uint32_t>(m_indexed ? paletteCount : 0));
    PutU32(stream, 0);  // important colours

    for (std::size_t i = 0; i < paletteCount; ++i) {
        const std::uint32_t c = i < m_palette.size() ? m_palette[i] : 0;
        stream.push_back(static_cast<std::uint8_t>(c >> 16));
        stream.push_back(static_cast<std::uint8_t>(c >> 8));
        stream.push_back(static_cast<std::uint8_t>(c));
        stream.push_back(0);
    }

    // Padding is written as zeros whatever the rows hold there.
    const std::size_t used = static_cast<std::size_t>(m_width) * (m_indexed ? 1 : 3);
    const std::size_t at = stream.size();
    stream.resize(at + imageSize, 0);
    for (int y = 0; y < m_height; ++y)
        std::memcpy(stream.data() + at + static_cast<std::size_t>(m_height - 1 - y) * m_stride, ScanLine(y), used);
}

}  // namespace vorlane
