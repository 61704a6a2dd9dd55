#include "DotPicture.h"

namespace vorlane {

QString DotLabel(const DotOptions& options, int index)
{
    return QString::number(options.firstNumber + index);
}

std::vector<Dot> PlaceDots(const TracedDrawing&, const DotOptions&)
{
    return {};
}

std::vector<Dot> OrderDots(std::vector<Dot> dots, const DotOptions&)
{
    return dots;
}

QImage DrawDotsPicture(const TracedDrawing& drawing, const std::vector<Dot>&, const DotOptions&)
{
    return drawing.InnerLines();
}

QPoint NearestOutlinePoint(const TracedDrawing&, QPoint point)
{
    return point;
}

}  // namespace vorlane
