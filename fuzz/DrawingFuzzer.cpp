// Feeds arbitrary bytes to the tracer's drawing reader, as SVG when the first
// byte is odd and as a raster image otherwise. A French refusal is an answer;
// a crash, a hang or a sanitizer report is a finding. Whatever is accepted
// must give dots on its lines, placed and judged as the atelier does it.
#include "JudgedDots.h"
#include "QtFuzzerSetUp.h"
#include "TracedDrawing.h"

#include "base/Errors.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Drawings are bounded by the reader itself; smaller inputs keep the search quick.
    if (size < 1 || size > (1 << 16))
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const QString suffix = (data[0] & 1) ? QStringLiteral("svg") : QStringLiteral("png");
    try {
        const auto drawing = vorlane::TracedDrawing::FromBytes(bytes, suffix, QSize(352, 280));
        const vorlane::DotOptions options;
        for (const vorlane::Dot& dot : vorlane::JudgedDots::Place(drawing, options).dots)
            if (drawing.PictureToColour().pixel(dot.position) != qRgb(0, 0, 0))
                std::abort();
    } catch (const vorlane::EVorlaneError&) {
    }
    return 0;
}
