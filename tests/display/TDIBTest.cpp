#include "display/TDIB.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <sstream>

// Records the largest single allocation, so that a test can tell that a hostile
// header did not make the reader reserve memory the file cannot justify.
namespace {
std::atomic<std::size_t> g_largestAllocation{0};
}

void* operator new(std::size_t size)
{
    std::size_t seen = g_largestAllocation.load(std::memory_order_relaxed);
    while (size > seen && !g_largestAllocation.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace vorlane {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kBmpDir = std::string(VORLANE_TEST_DATA) + "/bmp/";

template <std::size_t N>
Bytes ToBytes(const std::uint8_t (&bytes)[N])
{
    return Bytes(bytes, bytes + N);
}

Bytes ReadBytes(const std::string& path)
{
    const std::string text = test::ReadFile(path);
    return Bytes(text.begin(), text.end());
}

std::uint32_t U32At(const Bytes& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

void PutU32At(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A binary PPM (P6) as colours 0x00BBGGRR, row by row from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> colours;
};

Picture ReadPpm(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    Picture p;
    in >> magic >> p.width >> p.height >> maxValue;
    in.get();
    for (int i = 0; i < p.width * p.height; ++i) {
        unsigned char rgb[3];
        in.read(reinterpret_cast<char*>(rgb), 3);
        p.colours.push_back(rgb[0] | (rgb[1] << 8) | (rgb[2] << 16));
    }
    EXPECT_TRUE(in && magic == "P6") << path;
    return p;
}

// Compares every pixel and reports the first difference only.
void ExpectPixels(const TDIB& dib, const Picture& expected, const std::string& what)
{
    ASSERT_EQ(dib.Width(), expected.width) << what;
    ASSERT_EQ(dib.Height(), expected.height) << what;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            if (dib.PixelColour(x, y) != expected.colours[y * expected.width + x]) {
                ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is " << std::hex
                              << dib.PixelColour(x, y) << ", expected " << expected.colours[y * expected.width + x];
                return;
            }
}

Picture PictureOf(const TDIB& dib)
{
    Picture p{dib.Width(), dib.Height(), {}};
    for (int y = 0; y < dib.Height(); ++y)
        for (int x = 0; x < dib.Width(); ++x)
            p.colours.push_back(dib.PixelColour(x, y));
    return p;
}

TDIB Decode(const Bytes& bytes)
{
    TDIB dib;
    dib.LoadBitmapBytes(bytes);
    return dib;
}

void ExpectInvalid(const Bytes& bytes, const std::string& what)
{
    TDIB dib;
    dib.SetSize24(3, 2);
    try {
        dib.LoadBitmapBytes(bytes);
        ADD_FAILURE() << what << ": accepted";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "DIB is invalid") << what;
    }
    EXPECT_EQ(dib.Width(), 3) << what << ": the bitmap changed";
    EXPECT_EQ(dib.BitCount(), 24) << what << ": the bitmap changed";
}

// ---------------------------------------------------------------------------
// Files written by ImageMagick (tests/data/bmp/make.sh)

struct ToolFile {
    const char* file;
    const char* source;
    int bitCount;
    bool indexed;
};

class ToolFiles : public testing::TestWithParam<ToolFile> {};

TEST_P(ToolFiles, DecodeToTheirPicture)
{
    const ToolFile& f = GetParam();
    TDIB dib;
    dib.LoadBitmapFile(kBmpDir + f.file);
    EXPECT_EQ(dib.BitCount(), f.bitCount);
    EXPECT_EQ(dib.IsIndexed(), f.indexed);
    ExpectPixels(dib, ReadPpm(kBmpDir + f.source), f.file);
}

INSTANTIATE_TEST_SUITE_P(EveryDepthAndHeader, ToolFiles,
                         testing::Values(ToolFile{"rgb24.bmp", "source8.ppm", 24, false},
                                         ToolFile{"core24.bmp", "source8.ppm", 24, false},
                                         ToolFile{"core4.bmp", "source8.ppm", 4, true},
                                         ToolFile{"core8.bmp", "source64.ppm", 8, true},
                                         ToolFile{"pal4.bmp", "source8.ppm", 4, true},
                                         ToolFile{"pal8.bmp", "source64.ppm", 8, true},
                                         ToolFile{"mono1.bmp", "source2.ppm", 1, true},
                                         ToolFile{"rle8.bmp", "source64.ppm", 8, true},
                                         ToolFile{"v5_rgb24.bmp", "source8.ppm", 24, false},
                                         ToolFile{"v5_argb32.bmp", "source8.ppm", 32, false},
                                         ToolFile{"v5_rgb565.bmp", "source8.ppm", 16, false},
                                         ToolFile{"v5_rgb555.bmp", "source8.ppm", 16, false}),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

// The same file with negative height and its rows in top-down order.
Bytes TopDown(Bytes bmp)
{
    const std::uint32_t offset = U32At(bmp, 10);
    const int width = static_cast<int>(U32At(bmp, 18));
    const int height = static_cast<int>(U32At(bmp, 22));
    const int bits = bmp[28];
    const std::size_t stride = ((bits * width + 31) / 32) * 4;
    Bytes flipped = bmp;
    for (int r = 0; r < height; ++r)
        std::memcpy(&flipped[offset + r * stride], &bmp[offset + (height - 1 - r) * stride], stride);
    PutU32At(flipped, 22, static_cast<std::uint32_t>(-height));
    return flipped;
}

TEST(TDIBRead, TopDownFilesComeOutUpright)
{
    for (const char* name : {"rgb24.bmp", "mono1.bmp", "pal4.bmp"}) {
        const Bytes bottomUp = ReadBytes(kBmpDir + name);
        EXPECT_EQ(PictureOf(Decode(TopDown(bottomUp))).colours, PictureOf(Decode(bottomUp)).colours) << name;
    }
}

TEST(TDIBRead, V4HeaderReadsLikeV5)
{
    // A V4 header is the V5 one without its last 16 bytes (colour profile fields).
    Bytes v5 = ReadBytes(kBmpDir + "v5_rgb565.bmp");
    Bytes v4(v5.begin(), v5.begin() + 14 + 108);
    v4.insert(v4.end(), v5.begin() + 14 + 124, v5.end());
    PutU32At(v4, 10, U32At(v5, 10) - 16);
    PutU32At(v4, 14, 108);
    ExpectPixels(Decode(v4), ReadPpm(kBmpDir + "source8.ppm"), "V4");
}

// ---------------------------------------------------------------------------
// Hand-written files for what the tools above do not write

TEST(TDIBRead, Rle4WithAbsoluteRunsDeltasAndClipping)
{
    constexpr std::uint8_t rle4[] = {
        'B', 'M',                 // type
        90, 0, 0, 0,              // file size
        0, 0, 0, 0,               // reserved
        70, 0, 0, 0,              // pixel offset: 14 + 40 + 4 × 4
        40, 0, 0, 0,              // header size
        5, 0, 0, 0,               // width
        3, 0, 0, 0,               // height: bottom-up
        1, 0,                     // planes
        4, 0,                     // bits per pixel
        2, 0, 0, 0,               // compression: RLE4
        20, 0, 0, 0,              // image size
        0, 0, 0, 0, 0, 0, 0, 0,   // resolutions
        4, 0, 0, 0,               // colours used
        0, 0, 0, 0,               // important colours
        0, 0, 0, 0,               // 0 black
        0, 0, 255, 0,             // 1 red
        0, 255, 0, 0,             // 2 green
        255, 0, 0, 0,             // 3 blue
        5, 0x12,                  // bottom row: run of 5 alternating 1, 2
        0, 0,                     // end of line
        0, 5, 0x01, 0x23, 0x30, 0, // absolute run 0 1 2 3 3, padded to 4 bytes
        0, 0,                     // end of line
        0, 2, 1, 0,               // delta: one pixel right
        7, 0x33,                  // run of 7 blues, clipped to the 4 left in the row
        0, 1,                     // end of bitmap
    };
    static_assert(sizeof rle4 == 90);
    const TDIB dib = Decode(ToBytes(rle4));
    EXPECT_EQ(dib.BitCount(), 4);
    const int expected[3][5] = {{0, 3, 3, 3, 3}, {0, 1, 2, 3, 3}, {1, 2, 1, 2, 1}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(dib.ScanLine(y)[x], expected[y][x]) << x << ", " << y;
}

TEST(TDIBRead, BitFieldsExpandAsGdiDoes)
{
    constexpr std::uint8_t rgb565[] = {
        'B', 'M', 74, 0, 0, 0, 0, 0, 0, 0,  // type, file size, reserved
        66, 0, 0, 0,                        // pixel offset: 14 + 40 + 3 masks
        40, 0, 0, 0,                        // header size
        3, 0, 0, 0,                         // width
        1, 0, 0, 0,                         // height
        1, 0, 16, 0,                        // planes, bits per pixel
        3, 0, 0, 0,                         // compression: bit fields
        8, 0, 0, 0,                         // image size
        0, 0, 0, 0, 0, 0, 0, 0,             // resolutions
        0, 0, 0, 0, 0, 0, 0, 0,             // colours used, important
        0x00, 0xF8, 0, 0,                   // red mask 0xF800
        0xE0, 0x07, 0, 0,                   // green mask 0x07E0
        0x1F, 0x00, 0, 0,                   // blue mask 0x001F
        0xFF, 0xFF,                         // white
        0x21, 0x08,                         // 1, 1, 1: the smallest step of each field
        0x10, 0x84,                         // 16, 32, 16: the middle
        0, 0,                               // row padding
    };
    static_assert(sizeof rgb565 == 74);
    const TDIB dib = Decode(ToBytes(rgb565));
    EXPECT_EQ(dib.PixelColour(0, 0), 0xFFFFFFu);
    EXPECT_EQ(dib.PixelColour(1, 0), 0x080408u);  // 1 << 3 | 1 >> 2, 1 << 2 | 1 >> 4
    EXPECT_EQ(dib.PixelColour(2, 0), 0x848284u);  // 16 → 132, 32 → 130

    constexpr std::uint8_t wide32[] = {
        'B', 'M', 74, 0, 0, 0, 0, 0, 0, 0,  // type, file size, reserved
        66, 0, 0, 0,                        // pixel offset
        40, 0, 0, 0,                        // header size
        2, 0, 0, 0,                         // width
        1, 0, 0, 0,                         // height
        1, 0, 32, 0,                        // planes, bits per pixel
        3, 0, 0, 0,                         // compression: bit fields
        8, 0, 0, 0,                         // image size
        0, 0, 0, 0, 0, 0, 0, 0,             // resolutions
        0, 0, 0, 0, 0, 0, 0, 0,             // colours used, important
        0x00, 0x00, 0xF0, 0x3F,             // red mask 0x3FF00000: 10 bits
        0x00, 0xFC, 0x0F, 0x00,             // green mask 0x000FFC00
        0xFF, 0x03, 0x00, 0x00,             // blue mask 0x000003FF
        0x00, 0x00, 0xF0, 0x3F,             // red 1023
        0xFF, 0x01, 0x08, 0x00,             // green 512, blue 511: their top 8 bits count
    };
    static_assert(sizeof wide32 == 74);
    const TDIB wide = Decode(ToBytes(wide32));
    EXPECT_EQ(wide.PixelColour(0, 0), 0x0000FFu);
    EXPECT_EQ(wide.PixelColour(1, 0), 0x7F8000u);

    constexpr std::uint8_t rgb555[] = {
        'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0,  // type, file size, reserved
        54, 0, 0, 0,                        // pixel offset
        40, 0, 0, 0,                        // header size
        2, 0, 0, 0,                         // width
        1, 0, 0, 0,                         // height
        1, 0, 16, 0,                        // planes, bits per pixel
        0, 0, 0, 0,                         // compression: none, so 5-5-5
        4, 0, 0, 0,                         // image size
        0, 0, 0, 0, 0, 0, 0, 0,             // resolutions
        0, 0, 0, 0, 0, 0, 0, 0,             // colours used, important
        0x1F, 0x7C,                         // red 31, green 0, blue 31
        0xE0, 0x83,                         // green 31; the top bit is unused
    };
    static_assert(sizeof rgb555 == 58);
    const TDIB dib555 = Decode(ToBytes(rgb555));
    EXPECT_EQ(dib555.PixelColour(0, 0), 0xFF00FFu);
    EXPECT_EQ(dib555.PixelColour(1, 0), 0x00FF00u);
}

// A 2 × 2, 8-bit file with a 2-colour palette; the hostile cases below patch one field of it.
constexpr std::uint8_t kSmall8Bytes[] = {
    'B', 'M',                // type
    70, 0, 0, 0,             // file size
    0, 0, 0, 0,              // reserved
    62, 0, 0, 0,             // pixel offset
    40, 0, 0, 0,             // header size (offset 14)
    2, 0, 0, 0,              // width (18)
    2, 0, 0, 0,              // height (22)
    1, 0,                    // planes (26)
    8, 0,                    // bits per pixel (28)
    0, 0, 0, 0,              // compression (30)
    8, 0, 0, 0,              // image size (34)
    0, 0, 0, 0, 0, 0, 0, 0,  // resolutions
    2, 0, 0, 0,              // colours used (46)
    0, 0, 0, 0,              // important colours
    0, 0, 0, 0,              // 0 black
    0, 0, 255, 0,            // 1 red
    1, 200, 0, 0,            // bottom row: red, index 200 beyond the palette
    0, 1, 0, 0,              // top row: black, red
};
static_assert(sizeof kSmall8Bytes == 70);
const Bytes kSmall8 = ToBytes(kSmall8Bytes);

TEST(TDIBRead, SmallFileAndIndexBeyondPaletteIsBlack)
{
    const TDIB dib = Decode(kSmall8);
    EXPECT_EQ(dib.PixelColour(0, 0), 0u);
    EXPECT_EQ(dib.PixelColour(1, 0), 0x0000FFu);
    EXPECT_EQ(dib.PixelColour(0, 1), 0x0000FFu);
    EXPECT_EQ(dib.PixelColour(1, 1), 0u);
    EXPECT_EQ(dib.Palette().size(), 2u);
}

struct Patch {
    const char* what;
    std::size_t offset;
    std::uint32_t value;
};

TEST(TDIBRead, HostileHeadersAreRefusedWithoutLargeAllocations)
{
    const Patch patches[] = {
        {"header size of OS/2 2.x", 14, 64},
        {"header size 0", 14, 0},
        {"width 0", 18, 0},
        {"negative width", 18, 0xFFFFFFFF},
        {"width over 16384", 18, 16385},
        {"height 0", 22, 0},
        {"height over 16384", 22, 16385},
        {"top-down height over 16384", 22, static_cast<std::uint32_t>(-16385)},
        {"smallest height", 22, 0x80000000},
        {"16384 square without the pixels", 18, 16384},
        {"2 bits per pixel", 28, 2},
        {"0 bits per pixel", 28, 0},
        {"JPEG compression", 30, 4},
        {"RLE4 on 8 bits", 30, 2},
        {"bit fields on 8 bits", 30, 3},
        {"pixel offset past the end", 10, 71},
        {"pixel offset inside the header", 10, 20},
        {"pixel offset leaves no row", 10, 70},
        {"257 palette colours", 46, 257},
    };
    for (const Patch& p : patches) {
        Bytes bmp = kSmall8;
        PutU32At(bmp, p.offset, p.value);
        if (std::string(p.what).starts_with("16384"))
            PutU32At(bmp, 22, 16384);
        g_largestAllocation = 0;
        ExpectInvalid(bmp, p.what);
        EXPECT_LT(g_largestAllocation.load(), 1u << 20) << p.what;
    }

    // 256 colours declared, 2 present before the pixels: the palette stops at the pixels.
    Bytes manyColours = kSmall8;
    PutU32At(manyColours, 46, 256);
    EXPECT_EQ(Decode(manyColours).Palette().size(), 2u);
}

TEST(TDIBRead, MalformedFilesAndShortInput)
{
    for (const char* name : {"truncated_rgb24.bmp", "truncated_rle8.bmp", "truncated_header.bmp"})
        ExpectInvalid(ReadBytes(kBmpDir + "malformed/" + name), name);
    ExpectInvalid(Bytes(kSmall8.begin(), kSmall8.begin() + 10), "10 bytes");
    ExpectInvalid(Bytes(kSmall8.begin(), kSmall8.begin() + 14), "file header only");
    Bytes notBm = kSmall8;
    notBm[1] = 'A';
    ExpectInvalid(notBm, "type BA");
}

TEST(TDIBRead, EmptyFileLeavesTheBitmapAndMissingFileFails)
{
    test::TempDir dir;
    test::WriteFile(dir.file("empty.bmp"), "");
    TDIB dib;
    dib.SetSize24(4, 3);
    dib.LoadBitmapFile(dir.file("empty.bmp"));
    EXPECT_EQ(dib.Width(), 4);
    EXPECT_EQ(dib.Height(), 3);

    const std::string missing = dir.file("absent.bmp");
    try {
        dib.LoadBitmapFile(missing);
        ADD_FAILURE() << "a missing file was read";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Impossible d'ouvrir le fichier " + missing);
    }
    EXPECT_THROW(dib.LoadBitmapFile(dir.path().string()), EFOpenError);
    EXPECT_EQ(dib.Width(), 4);
}

TEST(TDIBRead, BitFieldMasksMustBeOneRunInsideThePixel)
{
    constexpr std::uint8_t small565[] = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0,  // type, file size, reserved
        66, 0, 0, 0,                        // pixel offset
        40, 0, 0, 0,                        // header size
        1, 0, 0, 0, 1, 0, 0, 0,             // 1 × 1
        1, 0, 16, 0,                        // planes, bits per pixel
        3, 0, 0, 0,                         // compression: bit fields
        4, 0, 0, 0,                         // image size
        0, 0, 0, 0, 0, 0, 0, 0,             // resolutions
        0, 0, 0, 0, 0, 0, 0, 0,             // colours used, important
        0x00, 0xF8, 0, 0,                   // red mask (offset 54)
        0xE0, 0x07, 0, 0,                   // green mask (58)
        0x1F, 0x00, 0, 0,                   // blue mask (62)
        0xFF, 0xFF, 0, 0,                   // one white pixel, padded
    };
    static_assert(sizeof small565 == 70);
    Bytes bmp = ToBytes(small565);
    ASSERT_EQ(Decode(bmp).PixelColour(0, 0), 0xFFFFFFu);
    PutU32At(bmp, 54, 0xF801);
    ExpectInvalid(bmp, "red mask in two runs");
    PutU32At(bmp, 54, 0x1F0000);
    ExpectInvalid(bmp, "red mask above 16 bits");
}

// ---------------------------------------------------------------------------
// RLE8 streams: clipping, skipped pixels and refusals

Bytes Rle8File(int width, int height, const Bytes& stream)
{
    constexpr std::uint8_t header[] = {
        'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0,  // type, file size (not read), reserved
        62, 0, 0, 0,                       // pixel offset
        40, 0, 0, 0,                       // header size
        0, 0, 0, 0, 0, 0, 0, 0,            // width, height (patched below)
        1, 0, 8, 0,                        // planes, bits per pixel
        1, 0, 0, 0,                        // compression: RLE8
        0, 0, 0, 0,                        // image size
        0, 0, 0, 0, 0, 0, 0, 0,            // resolutions
        2, 0, 0, 0, 0, 0, 0, 0,            // colours used, important
        0, 0, 0, 0, 255, 255, 255, 0,      // black, white
    };
    static_assert(sizeof header == 62);
    Bytes bmp(sizeof header + stream.size());
    std::memcpy(bmp.data(), header, sizeof header);
    std::memcpy(bmp.data() + sizeof header, stream.data(), stream.size());
    PutU32At(bmp, 18, static_cast<std::uint32_t>(width));
    PutU32At(bmp, 22, static_cast<std::uint32_t>(height));
    return bmp;
}

std::string Indices(const TDIB& dib)
{
    std::string rows;
    for (int y = 0; y < dib.Height(); ++y) {
        for (int x = 0; x < dib.Width(); ++x)
            rows += static_cast<char>('0' + dib.ScanLine(y)[x]);
        rows += '/';
    }
    return rows;
}

TEST(TDIBRead, Rle8StreamsFollowTheClippingRules)
{
    struct Case {
        const char* what;
        Bytes stream;
        const char* rows;  // top row first; nullptr when refused
    };
    const Case cases[] = {
        {"runs clipped at the row's end", {5, 1, 0, 0, 0, 5, 2, 3, 4, 5, 6, 0, 0, 1}, "2345/1111/"},
        {"delta skips pixels as index 0", {0, 2, 1, 1, 2, 7, 0, 1}, "0770/0000/"},
        {"end of bitmap leaves the rest 0", {1, 9, 0, 1}, "0000/9000/"},
        {"missing end marker after the last row", {4, 1, 0, 0, 4, 2}, "2222/1111/"},
        {"absolute run with an odd count", {0, 3, 4, 5, 6, 0, 0, 0, 1, 8, 0, 1}, "8000/4560/"},
        {"run below the last row", {4, 1, 0, 0, 4, 2, 0, 0, 1, 3}, nullptr},
        {"absolute run below the last row", {0, 0, 0, 0, 0, 3, 1, 2, 3, 0}, nullptr},
        {"delta past the right edge", {0, 2, 5, 0, 1, 1}, nullptr},
        {"delta below the last row", {0, 2, 0, 2, 1, 1}, nullptr},
        {"absolute run past the data", {0, 0, 0, 5, 1, 2}, nullptr},
        {"stream ends in the first row", {4, 1}, nullptr},
    };
    for (const Case& c : cases) {
        const Bytes bmp = Rle8File(4, 2, c.stream);
        if (c.rows)
            EXPECT_EQ(Indices(Decode(bmp)), c.rows) << c.what;
        else
            ExpectInvalid(bmp, c.what);
    }
}

TEST(TDIBRead, SparseRleStreamsAreReadButATinyOneCannotClaimAHugePicture)
{
    // A delta 100 rows up, one pixel, then the end of the bitmap: 8 bytes for 600 × 600.
    const TDIB sparse = Decode(Rle8File(600, 600, {0, 2, 10, 100, 1, 1, 0, 1}));
    EXPECT_EQ(sparse.ScanLine(599 - 100)[10], 1);
    EXPECT_EQ(sparse.ScanLine(0)[0], 0);

    g_largestAllocation = 0;
    ExpectInvalid(Rle8File(16384, 16384, {0, 1}), "16384 square from one end marker");
    EXPECT_LT(g_largestAllocation.load(), 1u << 20);
}

// ---------------------------------------------------------------------------
// Writing

TEST(TDIBWrite, Bgr24RoundTripWithTheExactLayout)
{
    TDIB dib;
    dib.SetSize24(47, 33);
    for (int y = 0; y < 33; ++y) {
        std::uint8_t* row = dib.ScanLine(y);
        for (int x = 0; x < 47 * 3; ++x)
            row[x] = static_cast<std::uint8_t>(x * 7 + y * 13);
        row[47 * 3] = 0xEE;  // junk in the row padding must not reach the file
    }
    Bytes file = {0xAA};  // the stream is appended to
    dib.SaveBitmapStream(file);

    const std::size_t stride = 144;  // ((24 × 47 + 31) div 32) × 4
    const Bytes header = {
        'B', 'M',                      // type
        0xC6, 0x12, 0, 0,              // file size 54 + 144 × 33 = 4806
        0, 0, 0, 0,                    // reserved
        54, 0, 0, 0,                   // pixel offset
        40, 0, 0, 0,                   // header size
        47, 0, 0, 0,                   // width
        33, 0, 0, 0,                   // height: bottom-up
        1, 0, 24, 0,                   // planes, bits per pixel
        0, 0, 0, 0,                    // compression
        0x90, 0x12, 0, 0,              // image size 4752
        0, 0, 0, 0, 0, 0, 0, 0,        // resolutions
        0, 0, 0, 0, 0, 0, 0, 0,        // colours used, important
    };
    ASSERT_EQ(file.size(), 1 + 54 + stride * 33);
    EXPECT_EQ(Bytes(file.begin() + 1, file.begin() + 55), header);
    for (int r = 0; r < 33; ++r) {
        const std::uint8_t* fileRow = &file[55 + r * stride];
        EXPECT_EQ(std::memcmp(fileRow, dib.ScanLine(32 - r), 47 * 3), 0) << "row " << r;
        EXPECT_EQ(fileRow[141] | fileRow[142] | fileRow[143], 0) << "padding of row " << r;
    }

    const TDIB back = Decode(Bytes(file.begin() + 1, file.end()));
    EXPECT_EQ(back.BitCount(), 24);
    EXPECT_EQ(PictureOf(back).colours, PictureOf(dib).colours);
}

TEST(TDIBWrite, IndexedRoundTripKeepsThePalette)
{
    TDIB dib;
    dib.LoadBitmapFile(kBmpDir + "pal4.bmp");
    Bytes file;
    dib.SaveBitmapStream(file);
    const TDIB back = Decode(file);
    EXPECT_EQ(back.BitCount(), 8);
    EXPECT_EQ(back.Palette(), dib.Palette());
    ExpectPixels(back, ReadPpm(kBmpDir + "source8.ppm"), "pal4 saved as 8 bits");

    TDIB noPalette;
    noPalette.SetSizeIndexed(3, 1, {});
    file.clear();
    noPalette.SaveBitmapStream(file);
    EXPECT_EQ(Decode(file).PixelColour(0, 0), 0u);
}

TEST(TDIBWrite, EmptyBitmapWritesNothing)
{
    Bytes file;
    TDIB().SaveBitmapStream(file);
    EXPECT_TRUE(file.empty());
}

}  // namespace
}  // namespace vorlane
