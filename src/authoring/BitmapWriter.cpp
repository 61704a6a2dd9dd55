#include "BitmapWriter.h"

#include "base/AtomicFile.h"
#include "display/TDIB.h"

namespace vorlane {

void WriteBitmapFile(const QImage& image, const std::string& path)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    TDIB bitmap;
    bitmap.SetSize24(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            row[3 * x] = static_cast<std::uint8_t>(qBlue(source[x]));
            row[3 * x + 1] = static_cast<std::uint8_t>(qGreen(source[x]));
            row[3 * x + 2] = static_cast<std::uint8_t>(qRed(source[x]));
        }
    }
    std::vector<std::uint8_t> bytes;
    bitmap.SaveBitmapStream(bytes);
    ReplaceFileAtomically(path, bytes);
}

}  // namespace vorlane
