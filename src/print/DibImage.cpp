#include "print/DibImage.h"

#include "display/TDIB.h"

namespace vorlane {

QImage DibImage(const TDIB& bitmap)
{
    if (bitmap.Empty())
        return {};
    if (!bitmap.IsIndexed())
        return QImage(bitmap.ScanLine(0), bitmap.Width(), bitmap.Height(), bitmap.Stride(), QImage::Format_BGR888);

    QImage image(bitmap.ScanLine(0), bitmap.Width(), bitmap.Height(), bitmap.Stride(), QImage::Format_Indexed8);
    // A full table, so that an index beyond the palette reads as black, as the bitmap says.
    QList<QRgb> colours(256, qRgb(0, 0, 0));
    const auto& palette = bitmap.Palette();
    for (std::size_t i = 0; i < palette.size() && i < 256; ++i) {
        const std::uint32_t colour = palette[i];  // 0x00BBGGRR
        colours[static_cast<qsizetype>(i)] = qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    }
    image.setColorTable(colours);
    return image;
}

}  // namespace vorlane
