#include "display/Raster.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vorlane::raster {

namespace {

// Word-sized pixels (8, 16, 32 bits) go through GCC/Clang vector types of 16
// bytes, the width every x86-64 has: the code is SIMD at any optimisation
// level, with no intrinsics and no CPU check.
template <class T>
struct VectorOf;
template <>
struct VectorOf<std::uint8_t> {
    typedef std::uint8_t Type __attribute__((vector_size(16)));
};
template <>
struct VectorOf<std::uint16_t> {
    typedef std::uint16_t Type __attribute__((vector_size(16)));
};
template <>
struct VectorOf<std::uint32_t> {
    typedef std::uint32_t Type __attribute__((vector_size(16)));
};
template <class T>
using Vector = typename VectorOf<T>::Type;
typedef std::uint64_t Halves __attribute__((vector_size(16)));

template <class T>
constexpr int kLanes = 16 / sizeof(T);

template <class T>
Vector<T> LoadVector(const T* p)
{
    Vector<T> v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class T>
bool AnyLane(Vector<T> mask)
{
    const auto halves = reinterpret_cast<Halves>(mask);
    return (halves[0] | halves[1]) != 0;
}

template <class T>
bool AllLanes(Vector<T> mask)
{
    const auto halves = reinterpret_cast<Halves>(mask);
    return (halves[0] & halves[1]) == ~std::uint64_t{0};
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
Vector<T> Blend(Vector<T> target, Vector<T> source, Vector<T> isKey)
{
    return (target & isKey) | (source & ~isKey);
}

// Layers are mostly wholly transparent or wholly opaque over long stretches
// (white around the picture, the frame around its hole): 32 bytes that are all
// key are skipped without touching the target, and 32 bytes without key are
// stored without reading it. Mixed blocks are blended lane by lane.
template <class T>
void KeyedRow(T* __restrict target, const T* __restrict source, int count, T key)
{
    const Vector<T> keys = Vector<T>{} + key;
    int i = 0;
    for (; i + 2 * kLanes<T> <= count; i += 2 * kLanes<T>) {
        const Vector<T> s0 = LoadVector(source + i);
        const Vector<T> s1 = LoadVector(source + i + kLanes<T>);
        const auto key0 = reinterpret_cast<Vector<T>>(s0 == keys);
        const auto key1 = reinterpret_cast<Vector<T>>(s1 == keys);
        if (AllLanes<T>(key0 & key1))
            continue;
        Vector<T> out0 = s0;
        Vector<T> out1 = s1;
        if (AnyLane<T>(key0 | key1)) {
            out0 = Blend<T>(LoadVector(target + i), s0, key0);
            out1 = Blend<T>(LoadVector(target + i + kLanes<T>), s1, key1);
        }
        std::memcpy(target + i, &out0, sizeof out0);
        std::memcpy(target + i + kLanes<T>, &out1, sizeof out1);
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
    // Two vectors a step: one test and one branch for 32 bytes.
    for (; x + 2 * kLanes<T> <= to; x += 2 * kLanes<T>) {
        const auto first = reinterpret_cast<Vector<T>>(LoadVector(row + x) == values);
        const auto second = reinterpret_cast<Vector<T>>(LoadVector(row + x + kLanes<T>) == values);
        if (AnyLane<T>(kEqual ? first | second : ~(first & second)))
            break;
    }
    for (; x < to; ++x)
        if ((row[x] == value) == kEqual)
            return x;
    return to;
}

// Leftmost x ≤ from such that no pixel from x to `from` is `value` (the start
// of a run that ends at `from`).
template <class T>
int RunStart(const T* row, int from, T value)
{
    const Vector<T> values = Vector<T>{} + value;
    int x = from + 1;  // pixels [x, from] are known to be other than value
    while (x - kLanes<T> >= 0) {
        if (AnyLane<T>(reinterpret_cast<Vector<T>>(LoadVector(row + x - kLanes<T>) == values)))
            break;
        x -= kLanes<T>;
    }
    while (x > 0 && row[x - 1] != value)
        --x;
    return x;
}

// Typed access to a row, so that one fill and one run search serve every format.
template <class T>
struct WordRow {
    static T* Cast(std::uint8_t* row) { return reinterpret_cast<T*>(row); }
    static int FindValue(std::uint8_t* row, int from, int to, std::uint32_t value)
    {
        return FindForward<true>(Cast(row), from, to, static_cast<T>(value));
    }
    static int FindOther(std::uint8_t* row, int from, int to, std::uint32_t value)
    {
        return FindForward<false>(Cast(row), from, to, static_cast<T>(value));
    }
    static int RunStart(std::uint8_t* row, int from, std::uint32_t value)
    {
        return raster::RunStart(Cast(row), from, static_cast<T>(value));
    }
    static void Fill(std::uint8_t* row, int x0, int x1, std::uint32_t value)
    {
        std::fill(Cast(row) + x0, Cast(row) + x1, static_cast<T>(value));
    }
};

struct Row24 {
    static int FindValue(std::uint8_t* row, int from, int to, std::uint32_t value)
    {
        for (int x = from; x < to; ++x)
            if (Read24(row, x) == value)
                return x;
        return to;
    }
    static int FindOther(std::uint8_t* row, int from, int to, std::uint32_t value)
    {
        for (int x = from; x < to; ++x)
            if (Read24(row, x) != value)
                return x;
        return to;
    }
    static int RunStart(std::uint8_t* row, int from, std::uint32_t value)
    {
        int x = from;
        while (x > 0 && Read24(row, x - 1) != value)
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
        if (x0 >= x1)
            return;
        const std::size_t first = static_cast<std::size_t>(y) * m_width + x0;
        const std::size_t last = static_cast<std::size_t>(y) * m_width + x1 - 1;
        const std::uint64_t head = ~std::uint64_t{0} << (first % 64);
        const std::uint64_t tail = ~std::uint64_t{0} >> (63 - last % 64);
        if (first / 64 == last / 64) {
            m_words[first / 64] |= head & tail;
            return;
        }
        m_words[first / 64] |= head;
        std::fill(m_words.begin() + static_cast<std::ptrdiff_t>(first / 64 + 1),
                  m_words.begin() + static_cast<std::ptrdiff_t>(last / 64), ~std::uint64_t{0});
        m_words[last / 64] |= tail;
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
    // A run to find from (x, y), reached from the run [parentLeft, parentRight)
    // of row y - dy, which need not be looked at again.
    struct Seed {
        int x;
        int y;
        int dy;
        int parentLeft;
        int parentRight;
    };
    VisitedRuns visited(pixels.width, pixels.height);
    std::vector<Seed> seeds;
    seeds.reserve(256);
    seeds.push_back({startX, startY, 0, 0, 0});
    // Pushes the runs of row y that touch [from, to) and are not filled yet.
    const auto scan = [&](int y, int dy, int from, int to, int left, int right) {
        if (y < 0 || y >= pixels.height)
            return;
        std::uint8_t* row = pixels.Row(y);
        int x = from;
        while (x < to) {
            x = Access::FindOther(row, x, to, border);
            if (x >= to)
                break;
            if (!visited.Test(x, y))
                seeds.push_back({x, y, dy, left, right});
            x = Access::FindValue(row, x + 1, to, border);
        }
    };
    while (!seeds.empty()) {
        const Seed seed = seeds.back();
        seeds.pop_back();
        if (visited.Test(seed.x, seed.y))
            continue;
        std::uint8_t* row = pixels.Row(seed.y);
        const int left = Access::RunStart(row, seed.x, border);
        const int right = Access::FindValue(row, seed.x + 1, pixels.width, border);
        Access::Fill(row, left, right, fill);
        visited.Set(seed.y, left, right);
        if (seed.dy == 0) {
            scan(seed.y - 1, -1, left, right, left, right);
            scan(seed.y + 1, 1, left, right, left, right);
            continue;
        }
        // Onwards over the whole run; back towards the parent only where the
        // run reaches past the parent's ends.
        scan(seed.y + seed.dy, seed.dy, left, right, left, right);
        scan(seed.y - seed.dy, -seed.dy, left, std::min(right, seed.parentLeft), left, right);
        scan(seed.y - seed.dy, -seed.dy, std::max(left, seed.parentRight), right, left, right);
    }
}

template <class Access>
OpaqueRuns FindRuns(const Pixels& pixels, std::uint32_t key)
{
    OpaqueRuns result;
    result.key = key;
    result.rows.reserve(pixels.height);
    for (int y = 0; y < pixels.height; ++y) {
        std::uint8_t* row = pixels.Row(y);
        const auto first = static_cast<std::uint32_t>(result.runs.size());
        std::uint32_t count = 0;
        for (int x = Access::FindOther(row, 0, pixels.width, key); x < pixels.width;
             x = Access::FindOther(row, x, pixels.width, key)) {
            const int end = Access::FindValue(row, x + 1, pixels.width, key);
            result.runs.push_back({x, end});
            ++count;
            x = end;
        }
        // Past one stretch in 64 pixels, copying stretch by stretch costs more
        // than blending the row.
        if (count > 1 && static_cast<std::uint64_t>(count) * 64 > static_cast<std::uint64_t>(pixels.width)) {
            result.runs.resize(first);
            count = OpaqueRuns::kBlend;
        }
        result.rows.push_back({first, count});
    }
    return result;
}

}  // namespace

OpaqueRuns FindOpaqueRuns(const Pixels& pixels, std::uint32_t key)
{
    switch (pixels.format) {
    case PixelFormat::Indexed8:
        return FindRuns<WordRow<std::uint8_t>>(pixels, key);
    case PixelFormat::Rgb555:
    case PixelFormat::Rgb565:
        return FindRuns<WordRow<std::uint16_t>>(pixels, key);
    case PixelFormat::Rgb24:
        return FindRuns<Row24>(pixels, key);
    case PixelFormat::Rgb32:
        return FindRuns<WordRow<std::uint32_t>>(pixels, key);
    }
    return {};
}

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
               KeyMode mode, std::uint32_t key, const OpaqueRuns* runs)
{
    const int bytes = BytesPerPixel(source.format);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* to = target.Row(dy + y) + dx * BytesPerPixel(target.format);
        const std::uint8_t* from = source.Row(sy + y) + sx * bytes;
        if (mode == KeyMode::SkipKey && runs != nullptr && target.format == source.format &&
            runs->rows[sy + y].count != OpaqueRuns::kBlend) {
            const OpaqueRuns::Row& row = runs->rows[sy + y];
            for (std::uint32_t i = row.first; i < row.first + row.count; ++i) {
                const int begin = std::max(runs->runs[i].begin, sx);
                const int end = std::min(runs->runs[i].end, sx + w);
                if (begin < end)
                    std::memcpy(to + (begin - sx) * bytes, from + (begin - sx) * bytes,
                                static_cast<std::size_t>(end - begin) * bytes);
            }
            continue;
        }
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

namespace {

// Each component is widened to 8 bits inside 16-bit lanes, eight pixels a
// vector, and only the last step goes to 32 bits: a third of the work of
// widening first.
template <bool kGreen6>
void WideRow(const std::uint16_t* __restrict in, std::uint32_t* __restrict out, int count)
{
    constexpr int kRed = kGreen6 ? 11 : 10;
    for (int i = 0; i < count; ++i) {
        const std::uint16_t p = in[i];
        const auto r = static_cast<std::uint16_t>(((p >> (kRed - 3)) & 0xF8) | ((p >> (kRed + 2)) & 0x07));
        const auto g = static_cast<std::uint16_t>(
            kGreen6 ? ((p >> 3) & 0xFC) | ((p >> 9) & 0x03) : ((p >> 2) & 0xF8) | ((p >> 7) & 0x07));
        const auto b = static_cast<std::uint16_t>(((p << 3) & 0xF8) | ((p >> 2) & 0x07));
        const auto low = static_cast<std::uint16_t>(g << 8 | b);
        const auto high = static_cast<std::uint16_t>(0xFF00 | r);
        out[i] = std::uint32_t{high} << 16 | low;
    }
}

}  // namespace

void ToScreenRow(const Pixels& pixels, int y, int x0, int x1, std::uint32_t* out)
{
    const std::uint8_t* row = pixels.Row(y);
    const int count = x1 - x0;
    switch (pixels.format) {
    case PixelFormat::Rgb32: {
        const auto* in = reinterpret_cast<const std::uint32_t*>(row) + x0;
        for (int i = 0; i < count; ++i)
            out[i] = 0xFF000000u | in[i];
        return;
    }
    case PixelFormat::Rgb565:
        return WideRow<true>(reinterpret_cast<const std::uint16_t*>(row) + x0, out, count);
    case PixelFormat::Rgb555:
        return WideRow<false>(reinterpret_cast<const std::uint16_t*>(row) + x0, out, count);
    case PixelFormat::Indexed8:
    case PixelFormat::Rgb24:
        for (int i = 0; i < count; ++i) {
            const std::uint32_t colour = ColourFromPixel(pixels.format, ReadPixel(pixels, x0 + i, y));
            out[i] = 0xFF000000u | (colour & 0xFF) << 16 | (colour & 0xFF00) | colour >> 16;
        }
        return;
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
