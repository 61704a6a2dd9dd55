// The smooth drawing of printed pages on arbitrary pictures: any colours in
// any places (stray pixels, checkerboards, one-pixel lines, shapes cut by
// the border) must give outlines without crashes or undefined behaviour.
// The first two bytes give the size (up to 64 × 64), each next byte a pixel
// from a palette of 16 colours, so that flat colours and edges are common.
#include "print/SmoothPicture.h"

#include <QImage>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int width = 1 + data[0] % 64;
    const int height = 1 + data[1] % 64;
    static const QRgb palette[16] = {
        qRgb(255, 255, 255), qRgb(0, 0, 0),       qRgb(40, 40, 40),    qRgb(128, 128, 128),
        qRgb(255, 0, 0),     qRgb(0, 160, 0),     qRgb(0, 0, 200),     qRgb(255, 220, 0),
        qRgb(20, 20, 100),   qRgb(90, 50, 20),    qRgb(200, 200, 200), qRgb(64, 64, 64),
        qRgb(250, 250, 250), qRgb(10, 10, 10),    qRgb(190, 90, 190),  qRgb(140, 200, 250)};
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t at = 2 + static_cast<std::size_t>(y) * width + x;
            image.setPixel(x, y, at < size ? palette[data[at] % 16] : palette[0]);
        }
    }
    const vorlane::SmoothPicture picture(image);
    picture.Render(QSize(width * 3, height * 3));
    return 0;
}
