#include "Preview.h"

#include "base/Errors.h"
#include "content/AppearanceDat.h"

#include <QPainter>

#include <algorithm>

namespace vorlane {

namespace {

const QImage& Image(const std::vector<std::pair<QString, QImage>>& images, const char* name)
{
    for (const auto& [key, image] : images)
        if (key == QLatin1String(name))
            return image;
    throw EVorlaneError(std::string("image absente : ") + name);
}

// Copies every pixel of `layer` that is not white, as the game's colour-keyed copy does.
void Compose(QImage& screen, const QImage& layer, QPoint at)
{
    const QImage source = layer.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const QPoint target(at.x() + x, at.y() + y);
            const QRgb pixel = source.pixel(x, y);
            if ((pixel & 0xFFFFFF) != 0xFFFFFF && screen.rect().contains(target))
                screen.setPixel(target, pixel);
        }
}

// Four-connected fill of the region around `seed`, up to black, like the game's fill.
void FillToBlack(QImage& image, QPoint seed, QColor colour)
{
    const QRgb replaced = image.pixel(seed);
    const QRgb with = colour.rgb();
    if ((replaced & 0xFFFFFF) == 0 || replaced == with)
        return;
    std::vector<QPoint> pending{seed};
    while (!pending.empty()) {
        const QPoint p = pending.back();
        pending.pop_back();
        if (!image.rect().contains(p) || image.pixel(p) != replaced)
            continue;
        image.setPixel(p, with);
        pending.insert(pending.end(), {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)});
    }
}

// Every white region in its own palette colour; with `keepOutside`, the
// region around the drawing stays white, as a child would leave it.
QImage Regions(const QImage& finished, const std::vector<QColor>& colours, bool keepOutside)
{
    QImage image = finished.convertToFormat(QImage::Format_RGB32);
    if (keepOutside)
        FillToBlack(image, QPoint(0, 0), QColor(0xFF, 0xFF, 0xFE));
    std::size_t next = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF)
                FillToBlack(image, QPoint(x, y), colours[next++ % colours.size()]);
    if (keepOutside)
        FillToBlack(image, QPoint(0, 0), Qt::white);
    return image;
}

void Save(const QImage& image, const std::string& path)
{
    if (!image.save(QString::fromStdString(path), "PNG"))
        throw EWriteError(path);
}

QImage Sheet(const std::vector<QImage>& pictures)
{
    constexpr int kColumns = 4;
    constexpr int kGap = 8;
    const QSize cell = pictures.front().size() / 2;
    const int rows = (static_cast<int>(pictures.size()) + kColumns - 1) / kColumns;
    QImage sheet(kColumns * (cell.width() + kGap) + kGap, rows * (cell.height() + kGap) + kGap, QImage::Format_RGB32);
    sheet.fill(QColor(0x90, 0x90, 0x90));
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const int column = static_cast<int>(i) % kColumns;
        const int row = static_cast<int>(i) / kColumns;
        painter.drawImage(QRect(QPoint(kGap + column * (cell.width() + kGap), kGap + row * (cell.height() + kGap)), cell),
                          pictures[i]);
    }
    return sheet;
}

}  // namespace

void WriteThemePreview(const RenderedTheme& theme, const std::vector<QColor>& palette, const std::string& folder)
{
    std::vector<QImage> dots;
    std::vector<QImage> regions;
    for (std::size_t n = 0; n < theme.pictures.size(); ++n) {
        const std::string stem = folder + "/" + theme.recipe.folder.toStdString() + "-" + std::to_string(n + 1);
        Save(theme.pictures[n].dots, stem + "-points.png");
        Save(theme.pictures[n].finished, stem + "-image.png");
        dots.push_back(theme.pictures[n].dots);
        regions.push_back(Regions(theme.pictures[n].finished, palette, false));
    }
    Save(Sheet(dots), folder + "/" + theme.recipe.folder.toStdString() + "-points.png");
    Save(Sheet(regions), folder + "/" + theme.recipe.folder.toStdString() + "-regions.png");
}

void WritePreview(const AppearanceRecipe& appearance, const std::vector<std::pair<QString, QImage>>& images,
                  const std::vector<RenderedTheme>& themes, const std::string& folder)
{
    for (const auto& [name, image] : images)
        Save(image, folder + "/" + name.toStdString() + ".png");
    const std::vector<QColor>& palette = appearance.palette.colours;
    for (const RenderedTheme& theme : themes)
        WriteThemePreview(theme, palette, folder);
    if (themes.empty())
        return;

    const RenderedPicture& picture = themes.front().pictures.front();
    const QPoint origin = appearance.picture.topLeft();
    const QPoint hotspot = appearance.pointer.hotspot;
    const QImage& pointer = Image(images, "C_Pointeur");

    // Joining the dots: two thirds of the lines drawn, the pencil on the next dot.
    QImage screen(appearance.screen, QImage::Format_RGB32);
    screen.fill(Qt::white);
    Compose(screen, picture.dots, origin);
    QImage lines(appearance.screen, QImage::Format_RGB32);
    lines.fill(Qt::white);
    const std::size_t reached = picture.points.size() * 2 / 3;
    {
        QPainter painter(&lines);
        painter.setPen(QPen(picture.lineColour, themes.front().recipe.lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (std::size_t i = 1; i < reached; ++i)
            painter.drawLine(picture.points[i - 1] + origin, picture.points[i] + origin);
    }
    Compose(screen, lines, QPoint(0, 0));
    Compose(screen, Image(images, "F_Principale"), QPoint(0, 0));
    Compose(screen, pointer, picture.points[reached] + origin - hotspot);
    Save(screen, folder + "/ecran-points.png");

    // Colouring: every region filled, the indicator showing the colour in hand.
    screen.fill(Qt::white);
    Compose(screen, Regions(picture.finished, palette, true), origin);
    lines = Image(images, "F_Lignes").convertToFormat(QImage::Format_RGB32);
    FillToBlack(lines, appearance.indicator.point, palette[palette.size() / 3]);
    Compose(screen, lines, QPoint(0, 0));
    Compose(screen, Image(images, "F_Coloriage"), QPoint(0, 0));
    const QPointF swatch = appearance.palette.origin + SwatchBounds(appearance.palette).center() +
                           QPointF(appearance.palette.step.x() * static_cast<double>(palette.size() / 3), 0);
    QImage colouring = screen;
    Compose(screen, pointer, swatch.toPoint() - hotspot);
    Save(screen, folder + "/ecran-coloriage.png");

    // The panel as the next button raises it: asking its question when the appearance has one.
    const char* next = kQuestionImages[1];
    const bool asks = std::any_of(images.begin(), images.end(),
                                  [next](const auto& image) { return image.first == QLatin1String(next); });
    Compose(colouring, Image(images, asks ? next : "F_Confirmation"), appearance.panel.position);
    const QRectF yes = ShapePath(appearance.panel.zones.front().hit, ShapeContext{}).boundingRect();
    Compose(colouring, pointer, appearance.panel.position + yes.center().toPoint() - hotspot);
    Save(colouring, folder + "/ecran-confirmation.png");
}

}  // namespace vorlane
