// Feeds arbitrary pages to the picture judge, as a user's folder may hold
// them: two grey pictures of any small size, not always the same, and dots
// anywhere, inside or out. The judge must answer, and answer "à revoir" for a
// page without dots; a crash, a hang or a sanitizer report is a finding.
#include "PictureJudge.h"
#include "QtFuzzerSetUp.h"

#include <cstdint>
#include <cstdlib>

namespace {

// The input read byte by byte; zeros once it runs out.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t Next() { return m_at < m_size ? m_data[m_at++] : 0; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

QImage Picture(Bytes& bytes)
{
    const int width = bytes.Next() % 97;
    const int height = bytes.Next() % 97;
    if (width == 0 || height == 0)
        return {};
    QImage image(width, height, QImage::Format_Grayscale8);
    // Runs of one grey: pages are mostly white with blobs and lines.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width;) {
            const int run = 1 + bytes.Next() % 16;
            const uchar grey = bytes.Next() & 1 ? 255 : bytes.Next();
            for (int k = 0; k < run && x < width; ++k, ++x)
                image.scanLine(y)[x] = grey;
        }
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1 << 15))
        return 0;
    Bytes bytes(data, size);
    vorlane::JudgedPage page;
    page.lineWidth = bytes.Next() % 12 - 1;
    const int dots = bytes.Next() % 41;
    for (int i = 0; i < dots; ++i)
        page.dots.emplace_back(static_cast<std::int8_t>(bytes.Next()) + 40, static_cast<std::int8_t>(bytes.Next()) + 40);
    page.dotsPicture = Picture(bytes);
    page.finishedPicture = bytes.Next() & 1 ? page.dotsPicture : Picture(bytes);
    const vorlane::PageVerdict verdict = vorlane::PictureJudge::Judge(page);
    if (verdict.Line().empty() || (page.dots.empty() && verdict.Good()))
        std::abort();
    return 0;
}
