#include "display/Raster.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vorlane::raster {

namespace {

// Word-sized pixels (8, 16, 32 bits) go through GCC/Clang vector types: the
// code is SIMD at any optimisation level, with no intrinsics and no CPU check.
template <class T>
struct VectorOf;
template <>
struct VectorOf<std::uint8_t> {
    typedef std::uint8_t Type __attribute__((vector_size(32)));
};
template <>
struct VectorOf<std::uint16_t> {
    typedef std::uint16_t Type __attribute__((vector_size(32)));
};
template <>
struct VectorOf<std::uint32_t> {
    typedef std::uint32_t Type __attribute__((vector_size(32)));
};
template <class T>
using Vector = typename VectorOf<T>::Type;

template <class T>
constexpr int kLanes = 32 / sizeof(T);

// By reference: 32-byte vectors by value would tie the ABI to AVX.
template <class T>
void LoadVector(Vector<T>& v, const T* p)
{
    std::memcpy(&v, p, sizeof v);
}

template <class T>
bool AnyLane(const Vector<T>& mask)
{
    std::uint64_t parts[4];
    std::memcpy(parts, &mask, sizeof parts);
    return (parts[0] | parts[1] | parts[2] | parts[3]) != 0;
}

std::uint32_t Read24(const std::uint8_t* row, int x)
{
    const std::uint8_t* p = row + 3 * x;
    return p[0] | static_cast<std::uint32_t>(p[1]) << 8 | static_cast<std::uint32_t>(p[2]) << 16;
}

void Write24(std::uint8_t* row, int x, std::uint32_t value)
{
    std::uint8_t* p = row + 3 * x;
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
}

template <class T>
void KeyedRow(T* __restrict target, const T* __restrict source, int count, T key)
{
    const Vector<T> keys = Vector<T>{} + key;
    int i = 0;
    for (; i + kLanes<T> <= count; i += kLanes<T>) {
        Vector<T> s;
        Vector<T> d;
        LoadVector(s, source + i);
        LoadVector(d, target + i);
        const auto isKey = reinterpret_cast<Vector<T>>(s == keys);
        const Vector<T> result = (d & isKey) | (s & ~isKey);
        std::memcpy(target + i, &result, sizeof result);
    }
    for (; i < count; ++i)
        target[i] = source[i] == key ? target[i] : source[i];
}

void KeyedRow24(std::uint8_t* target, const std::uint8_t* source, int count, std::uint32_t key)
{
    for (int i = 0; i < count; ++i) {
        const std::uint32_t value = Read24(source, i);
        if (value != key)
            Write24(target, i, value);
    }
}

// First x in [from, to) whose pixel is (kEqual) or is not (!kEqual) `value`; `to` if none.
template <bool kEqual, class T>
int FindForward(const T* row, int from, int to, T value)
{
    const Vector<T> values = Vector<T>{} + value;
    int x = from;
    for (; x + kLanes<T> <= to; x += kLanes<T>) {
        Vector<T> v;
        LoadVector(v, row + x);
        const auto equal = reinterpret_cast<Vector<T>>(v == values);
        if (AnyLane<T>(kEqual ? equal : ~equal))
            break;
    }
    for (; x < to; ++x)
        if ((row[x] == value) == kEqual)
            return x;
    return to;
}

// Leftmost x in [stop, from] such that every pixel from x to `from` is not
// `value` (the start of a run that ends at `from`).
template <class T>
int RunStart(const T* row, int from, int stop, T value)
{
    const Vector<T> values = Vector<T>{} + value;
    int x = from + 1;  // pixels [x, from] are known to be other than value
    while (x - kLanes<T> >= stop) {
        Vector<T> v;
        LoadVector(v, row + x - kLanes<T>);
        if (AnyLane<T>(reinterpret_cast<Vector<T>>(v == values)))
            break;
        x -= kLanes<T>;
    }
    while (x > stop && row[x - 1] != value)
        --x;
    return x;
}

// Typed access to a row, so that one fill routine serves every word size.
template <class T>
struct WordRow {
    static T* Cast(std::uint8_t* row) { return reinterpret_cast<T*>(row); }
    static int FindBorder(std::uint8_t* row, int from, int to, std::uint32_t border)
    {
        return FindForward<true>(Cast(row), from, to, static_cast<T>(border));
    }
    static int FindInside(std::uint8_t* row, int from, int to, std::uint32_t border)
    {
        return FindForward<false>(Cast(row), from, to, static_cast<T>(border));
    }
    static int RunStart(std::uint8_t* row, int from, std::uint32_t border)
    {
        return raster::RunStart(Cast(row), from, 0, static_cast<T>(border));
    }
    static void Fill(std::uint8_t* row, int x0, int x1, std::uint32_t value)
    {
        std::fill(Cast(row) + x0, Cast(row) + x1, static_cast<T>(value));
    }
};

struct Row24 {
    static int FindBorder(std::uint8_t* row, int from, int to, std::uint32_t border)
    {
        for (int x = from; x < to; ++x)
            if (Read24(row, x) == border)
                return x;
        return to;
    }
    static int FindInside(std::uint8_t* row, int from, int to, std::uint32_t border)
    {
        for (int x = from; x < to; ++x)
            if (Read24(row, x) != border)
                return x;
        return to;
    }
    static int RunStart(std::uint8_t* row, int from, std::uint32_t border)
    {
        int x = from;
        while (x > 0 && Read24(row, x - 1) != border)
            --x;
        return x;
    }
    static void Fill(std::uint8_t* row, int x0, int x1, std::uint32_t value)
    {
        for (int x = x0; x < x1; ++x)
            Write24(row, x, value);
    }
};

// One bit per pixel: which runs have been filled already.
class VisitedRuns {
public:
    VisitedRuns(int width, int height)
        : m_width(width), m_words((static_cast<std::size_t>(width) * height + 63) / 64, 0)
    {
    }
    bool Test(int x, int y) const
    {
        const std::size_t bit = static_cast<std::size_t>(y) * m_width + x;
        return (m_words[bit / 64] >> (bit % 64)) & 1;
    }
    void Set(int y, int x0, int x1)
    {
        std::size_t bit = static_cast<std::size_t>(y) * m_width + x0;
        const std::size_t end = static_cast<std::size_t>(y) * m_width + x1;
        for (; bit < end && bit % 64 != 0; ++bit)
            m_words[bit / 64] |= std::uint64_t{1} << (bit % 64);
        for (; bit + 64 <= end; bit += 64)
            m_words[bit / 64] = ~std::uint64_t{0};
        for (; bit < end; ++bit)
            m_words[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }

private:
    std::size_t m_width;
    std::vector<std::uint64_t> m_words;
};

// Span fill. Every run is filled whole, from border to border, so one bit of a
// run tells whether the run is done; pixels that already had the fill value are
// filled through, not taken for a border. Non-recursive: a child's picture can
// hold one region of a million pixels.
template <class Access>
void SpanFill(const Pixels& pixels, int startX, int startY, std::uint32_t border, std::uint32_t fill)
{
    struct Seed {
        int x;
        int y;
    };
    VisitedRuns visited(pixels.width, pixels.height);
    std::vector<Seed> seeds;
    seeds.reserve(256);
    seeds.push_back({startX, startY});
    while (!seeds.empty()) {
        const Seed seed = seeds.back();
        seeds.pop_back();
        if (visited.Test(seed.x, seed.y))
            continue;
        std::uint8_t* row = pixels.Row(seed.y);
        const int left = Access::RunStart(row, seed.x, border);
        const int right = Access::FindBorder(row, seed.x + 1, pixels.width, border);
        Access::Fill(row, left, right, fill);
        visited.Set(seed.y, left, right);
        for (const int y : {seed.y - 1, seed.y + 1}) {
            if (y < 0 || y >= pixels.height)
                continue;
            std::uint8_t* next = pixels.Row(y);
            int x = left;
            while (x < right) {
                x = Access::FindInside(next, x, right, border);
                if (x >= right)
                    break;
                if (!visited.Test(x, y))
                    seeds.push_back({x, y});
                x = Access::FindBorder(next, x + 1, right, border);
            }
        }
    }
}

}  // namespace

std::uint32_t ReadPixel(const Pixels& pixels, int x, int y)
{
    const std::uint8_t* row = pixels.Row(y);
    switch (pixels.format) {
    case PixelFormat::Indexed8:
        return row[x];
    case PixelFormat::Rgb555:
    case PixelFormat::Rgb565:
        return reinterpret_cast<const std::uint16_t*>(row)[x];
    case PixelFormat::Rgb24:
        return Read24(row, x);
    case PixelFormat::Rgb32:
        return reinterpret_cast<const std::uint32_t*>(row)[x];
    }
    return 0;
}

void WritePixel(const Pixels& pixels, int x, int y, std::uint32_t value)
{
    FillSpan(pixels, y, x, x + 1, value);
}

void FillSpan(const Pixels& pixels, int y, int x0, int x1, std::uint32_t value)
{
    std::uint8_t* row = pixels.Row(y);
    switch (pixels.format) {
    case PixelFormat::Indexed8:
        return WordRow<std::uint8_t>::Fill(row, x0, x1, value);
    case PixelFormat::Rgb555:
    case PixelFormat::Rgb565:
        return WordRow<std::uint16_t>::Fill(row, x0, x1, value);
    case PixelFormat::Rgb24:
        return Row24::Fill(row, x0, x1, value);
    case PixelFormat::Rgb32:
        return WordRow<std::uint32_t>::Fill(row, x0, x1, value);
    }
}

void FillAll(const Pixels& pixels, std::uint32_t value)
{
    if (pixels.width <= 0 || pixels.height <= 0)
        return;
    FillSpan(pixels, 0, 0, pixels.width, value);
    const auto rowBytes = static_cast<std::size_t>(pixels.width) * BytesPerPixel(pixels.format);
    for (int y = 1; y < pixels.height; ++y)
        std::memcpy(pixels.Row(y), pixels.Row(0), rowBytes);
}

void CopyBlock(const Pixels& target, int dx, int dy, const Pixels& source, int sx, int sy, int w, int h,
               KeyMode mode, std::uint32_t key)
{
    const int bytes = BytesPerPixel(source.format);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* to = target.Row(dy + y) + dx * BytesPerPixel(target.format);
        const std::uint8_t* from = source.Row(sy + y) + sx * bytes;
        if (target.format != source.format) {
            for (int x = 0; x < w; ++x) {
                const std::uint32_t value = ReadPixel(source, sx + x, sy + y);
                if (mode == KeyMode::Opaque || value != key)
                    WritePixel(target, dx + x, dy + y,
                               PixelFromColour(target.format, ColourFromPixel(source.format, value)));
            }
            continue;
        }
        if (mode == KeyMode::Opaque) {
            std::memcpy(to, from, static_cast<std::size_t>(w) * bytes);
            continue;
        }
        switch (source.format) {
        case PixelFormat::Indexed8:
            KeyedRow(to, from, w, static_cast<std::uint8_t>(key));
            break;
        case PixelFormat::Rgb555:
        case PixelFormat::Rgb565:
            KeyedRow(reinterpret_cast<std::uint16_t*>(to), reinterpret_cast<const std::uint16_t*>(from), w,
                     static_cast<std::uint16_t>(key));
            break;
        case PixelFormat::Rgb24:
            KeyedRow24(to, from, w, key);
            break;
        case PixelFormat::Rgb32:
            KeyedRow(reinterpret_cast<std::uint32_t*>(to), reinterpret_cast<const std::uint32_t*>(from), w, key);
            break;
        }
    }
}

void FillToBorder(const Pixels& pixels, int x, int y, std::uint32_t border, std::uint32_t fill)
{
    if (x < 0 || y < 0 || x >= pixels.width || y >= pixels.height || ReadPixel(pixels, x, y) == border)
        return;
    switch (pixels.format) {
    case PixelFormat::Indexed8:
        return SpanFill<WordRow<std::uint8_t>>(pixels, x, y, border, fill);
    case PixelFormat::Rgb555:
    case PixelFormat::Rgb565:
        return SpanFill<WordRow<std::uint16_t>>(pixels, x, y, border, fill);
    case PixelFormat::Rgb24:
        return SpanFill<Row24>(pixels, x, y, border, fill);
    case PixelFormat::Rgb32:
        return SpanFill<WordRow<std::uint32_t>>(pixels, x, y, border, fill);
    }
}

}  // namespace vorlane::raster
