#include "TracedDrawing.h"

#include "LineArt.h"

#include "base/Errors.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <functional>

namespace vorlane {

namespace {

constexpr qint64 kLargestFile = 32 << 20;
constexpr int kLargestPicture = 4096;  // pixels a side of the picture to colour
constexpr qint64 kMostPixels = 40'000'000;
constexpr int kLargestSide = 16'000;
// Room around the drawing for the labels of the dots on its outline.
constexpr int kMargin = 44;

[[noreturn]] void Refuse(const std::string& why)
{
    throw EVorlaneError(why);
}

// Draws the part `part` (in 0..1 of the drawing's width and height) of the
// drawing into `target`.
using Painter = std::function<void(QPainter&, const QRectF& part, const QRectF& target)>;

struct Source {
    Painter paint;
    QSizeF size;     // the drawing's own size, for its proportions
    QString format;  // "svg", "png", "jpeg"...: the suffix of the copy kept
};

bool LooksLikeSvg(const QByteArray& bytes, const QString& suffix)
{
    if (suffix == QLatin1String("svg"))
        return true;
    const QByteArray start = bytes.left(512).trimmed();
    return start.startsWith("<?xml") || start.startsWith("<svg") || start.contains("<svg");
}

// Qt's SVG reader would fetch files named by the drawing and expand entities
// without bound: a drawing that needs either is refused before it is parsed.
void CheckSvgSafety(const QByteArray& bytes)
{
    if (bytes.contains("<!ENTITY"))
        Refuse("Ce dessin SVG déclare des entités XML : il est refusé par prudence.");
    const QString text = QString::fromUtf8(bytes);
    static const QRegularExpression reference(
        QStringLiteral(R"((?:href\s*=\s*["']\s*([^"']*))|(?:url\(\s*['"]?\s*([^)'"]*))|(@import))"));
    for (auto match = reference.globalMatch(text); match.hasNext();) {
        const auto found = match.next();
        const QString target = found.captured(1).isEmpty() ? found.captured(2) : found.captured(1);
        if (!found.captured(3).isEmpty() ||
            !(target.isEmpty() || target.startsWith(QLatin1Char('#')) || target.startsWith(QLatin1String("data:"))))
            Refuse("Ce dessin SVG fait appel à d'autres fichiers (" +
                   target.left(60).toStdString() + ") : il doit tout contenir lui-même.");
    }
}

Source SvgSource(const QByteArray& bytes)
{
    CheckSvgSafety(bytes);
    auto renderer = std::make_shared<QSvgRenderer>(bytes);
    if (!renderer->isValid())
        Refuse("Ce dessin SVG est illisible.");
    QRectF box = renderer->viewBoxF();
    if (box.isEmpty())
        box = QRectF(QPointF(), QSizeF(renderer->defaultSize()));
    if (box.isEmpty())
        Refuse("Ce dessin SVG n'a pas de taille.");
    Source source;
    source.size = box.size();
    source.format = QStringLiteral("svg");
    source.paint = [renderer, box](QPainter& painter, const QRectF& part, const QRectF& target) {
        renderer->setViewBox(QRectF(box.x() + part.x() * box.width(), box.y() + part.y() * box.height(),
                                    part.width() * box.width(), part.height() * box.height()));
        renderer->render(&painter, target);
    };
    return source;
}

Source ImageSource(const QImage& read)
{
    if (read.isNull() || read.width() < 1 || read.height() < 1)
        Refuse("Cette image est vide.");
    auto image = std::make_shared<QImage>(read);
    Source source;
    source.size = QSizeF(image->size());
    source.paint = [image](QPainter& painter, const QRectF& part, const QRectF& target) {
        const QRectF pixels(part.x() * image->width(), part.y() * image->height(), part.width() * image->width(),
                            part.height() * image->height());
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(target, *image, pixels);
    };
    return source;
}

// libpng trusts the length of each chunk and allocates it before reading
// it: a few bytes can ask for gigabytes. A PNG whose chunks do not fit in the
// file is refused before it is decoded.
bool PngChunksFit(const QByteArray& bytes)
{
    if (!bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return true;
    const auto byte = [&](qsizetype at) { return static_cast<quint32>(static_cast<unsigned char>(bytes[at])); };
    for (qsizetype at = 8; at + 8 <= bytes.size();) {
        const quint64 length = byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
        if (length + 12 > static_cast<quint64>(bytes.size() - at))
            return false;
        if (bytes.mid(at + 4, 4) == "IEND")
            break;
        at += static_cast<qsizetype>(length) + 12;
    }
    return true;
}

Source RasterSource(const QByteArray& bytes)
{
    if (!PngChunksFit(bytes))
        Refuse("Ce fichier PNG est abîmé : il annonce plus de données qu'il n'en contient.");
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        Refuse("Ce fichier n'est pas un dessin lisible (SVG, PNG, JPEG, BMP, GIF ou WebP).");
    // The header's size is checked before anything is decoded: a few bytes can
    // announce an image that would not fit in memory.
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kLargestSide || size.height() > kLargestSide ||
                           static_cast<qint64>(size.width()) * size.height() > kMostPixels))
        Refuse("Ce dessin est trop grand (" + std::to_string(size.width()) + " × " + std::to_string(size.height()) +
               " pixels) : au plus " + std::to_string(kMostPixels / 1'000'000) + " millions de pixels.");
    reader.setAllocationLimit(static_cast<int>(kMostPixels * 4 / (1 << 20)) + 1);
    const QByteArray format = reader.format();
    const QImage image = reader.read();
    if (image.isNull())
        Refuse("Ce dessin est illisible : " + reader.errorString().toStdString() + ".");
    Source source = ImageSource(image);
    source.format = format.isEmpty() ? QStringLiteral("image") : QString::fromLatin1(format);
    return source;
}

// The drawing's part `part` drawn at `size`, transparency shown as white.
QImage Render(const Source& source, const QRectF& part, QSize size)
{
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing, true);
    source.paint(painter, part, QRectF(QPointF(), QSizeF(size)));
    return canvas;
}

// The largest size of the proportions `proportions` that fits in `room`.
QSize Fit(QSizeF proportions, QSize room)
{
    const QSizeF fitted = proportions.scaled(QSizeF(room), Qt::KeepAspectRatio);
    return QSize(std::max(1, qRound(fitted.width())), std::max(1, qRound(fitted.height())));
}

}  // namespace

TracedDrawing TracedDrawing::FromFile(const QString& path, QSize pictureSize)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(path.toStdString());
    if (file.size() > kLargestFile)
        Refuse("Le fichier " + path.toStdString() + " est trop gros pour un dessin (plus de " +
               std::to_string(kLargestFile >> 20) + " Mo).");
    const QByteArray bytes = file.read(kLargestFile + 1);
    try {
        return FromBytes(bytes, QFileInfo(path).suffix(), pictureSize);
    } catch (const EVorlaneError& error) {
        throw EVorlaneError(QFileInfo(path).fileName().toStdString() + " : " + error.what());
    }
}

TracedDrawing TracedDrawing::FromImage(const QImage& image, QSize pictureSize)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        Refuse("Cette image est vide.");
    return FromBytes(png, QStringLiteral("png"), pictureSize);
}

TracedDrawing TracedDrawing::FromBytes(const QByteArray& bytes, const QString& suffix, QSize pictureSize)
{
    if (bytes.isEmpty())
        Refuse("Ce fichier est vide.");
    if (bytes.size() > kLargestFile)
        Refuse("Ce dessin est trop gros (plus de " + std::to_string(kLargestFile >> 20) + " Mo).");
    const Source source = LooksLikeSvg(bytes, suffix.toLower()) ? SvgSource(bytes) : RasterSource(bytes);

    const QSize room(pictureSize.width() - 2 * kMargin, pictureSize.height() - 2 * kMargin);
    if (room.width() < 64 || room.height() < 64)
        Refuse("L'image à colorier est trop petite.");
    // A damaged choices file may ask for any size: a picture is a screen's, at most.
    if (pictureSize.width() > kLargestPicture || pictureSize.height() > kLargestPicture)
        Refuse("L'image à colorier est trop grande.");
    // First a look at the whole drawing to find where it lies on its page,
    // then that part drawn as large as the picture allows.
    const QImage whole = Render(source, QRectF(0, 0, 1, 1), Fit(source.size, room));
    const QRectF part = DrawingBounds(whole);
    const QImage drawn = Render(source, part, Fit(QSizeF(part.width() * source.size.width(),
                                                         part.height() * source.size.height()), room));

    TracedDrawing traced;
    LineArt art = TraceLineArt(drawn, pictureSize);
    traced.m_pictureToColour = std::move(art.pictureToColour);
    traced.m_lines = std::move(art.lines);
    traced.m_innerLines = std::move(art.innerLines);
    traced.m_outlineBand = std::move(art.outlineBand);
    traced.m_figure = std::move(art.figure);
    traced.m_extent = art.extent;
    traced.m_outline = std::move(art.outline);
    traced.m_edgeDistance = std::move(art.edgeDistance);
    traced.m_sourceBytes = bytes;
    traced.m_sourceSuffix = source.format;
    return traced;
}

std::size_t TracedDrawing::OutlineIndexNear(QPoint at) const
{
    return static_cast<std::size_t>(std::distance(
        m_outline.begin(), std::min_element(m_outline.begin(), m_outline.end(), [&](QPoint a, QPoint b) {
            return (a - at).manhattanLength() < (b - at).manhattanLength();
        })));
}

}  // namespace vorlane
