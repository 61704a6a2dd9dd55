#include "print/Printer.h"

#include <QImage>

#include <cmath>

namespace vorlane {

QSize FitToPage(QSize picture, QSize page)
{
    if (picture.isEmpty() || page.isEmpty())
        return {};
    const double rx = static_cast<double>(page.width()) / picture.width();
    const double ry = static_cast<double>(page.height()) / picture.height();
    // std::nearbyint rounds in the default mode, to nearest with halves to even.
    if (ry >= rx)
        return {page.width(), static_cast<int>(std::nearbyint(page.height() * rx / ry))};
    return {static_cast<int>(std::nearbyint(page.width() * ry / rx)), page.height()};
}

void Printer::PrintPage(const QImage& image, const PrintedPicture& how)
{
    BeginDoc(how.jobName);
    try {
        QRect target(QPoint(0, 0), FitToPage(image.size(), PageSize()));
        if (how.placement == PrintedPicture::Placement::Centred) {
            const QRect area = MarginArea();
            target.setSize(FitToPage(image.size(), area.size()));
            target.moveCenter(area.center());
        }
        DrawPicture(target, image, how.ink);
    } catch (...) {
        EndDoc();
        throw;
    }
    EndDoc();
}

}  // namespace vorlane
