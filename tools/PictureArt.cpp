#include "PictureArt.h"

#include <QFontMetricsF>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vorlane {

namespace {

constexpr int kMinimumPoints = 10;
constexpr int kMaximumPoints = 40;

QColor DotColour() { return QColor(0x26, 0x32, 0x38); }
QColor StartColour() { return QColor(0x2E, 0x9D, 0x3A); }

PictureRecipe ParsePicture(const QJsonObject& object)
{
    PictureRecipe picture;
    picture.name = object[QLatin1String("name")].toString();
    if (object.contains(QLatin1String("lineColour")))
        picture.lineColour = ParseColour(object[QLatin1String("lineColour")]);
    for (const QJsonValue& dot : object[QLatin1String("dots")].toArray()) {
        picture.dots.push_back(ParsePoint(dot));
        if (picture.dots.back().dot != 0)
            throw EDemoDataError("un point du tracé ne peut pas renvoyer à un autre");
    }
    const int count = static_cast<int>(picture.dots.size());
    if (count < kMinimumPoints || count > kMaximumPoints)
        throw EDemoDataError(std::to_string(count) + " points ; il en faut de " + std::to_string(kMinimumPoints) +
                             " à " + std::to_string(kMaximumPoints));
    if (object.contains(QLatin1String("details")))
        picture.details = ParseShapes(object[QLatin1String("details")]);
    return picture;
}

// Where the drawing's units land in the picture: scaled to fit inside the
// margin, centred.
QTransform FitTransform(const ThemeRecipe& theme, const PictureRecipe& picture)
{
    QPolygonF dots;
    for (const ShapePoint& dot : picture.dots)
        dots << dot.at;
    QRectF bounds = dots.boundingRect();
    for (const Shape& detail : picture.details)
        if (!detail.clip)  // kept inside the outline whatever its own extent
            bounds |= ShapeBounds(detail);
    const double room = 2 * theme.margin;
    const double scale = std::min((theme.size.width() - room) / std::max(bounds.width(), 1.0),
                                  (theme.size.height() - room) / std::max(bounds.height(), 1.0));
    QTransform fit;
    fit.translate(theme.size.width() / 2.0, theme.size.height() / 2.0);
    fit.scale(scale, scale);
    fit.translate(-bounds.center().x(), -bounds.center().y());
    return fit;
}

// Points every few pixels along a path: what a number must keep clear of.
void Sample(const QPainterPath& path, std::vector<QPointF>& samples)
{
    constexpr double kStep = 3;
    for (const QPolygonF& polygon : path.toSubpathPolygons()) {
        for (qsizetype i = 1; i < polygon.size(); ++i) {
            const QPointF a = polygon[i - 1];
            const QPointF b = polygon[i];
            const int steps = std::max(1, static_cast<int>(std::hypot(b.x() - a.x(), b.y() - a.y()) / kStep));
            for (int s = 0; s < steps; ++s)
                samples.push_back(a + (b - a) * (static_cast<double>(s) / steps));
        }
        if (!polygon.isEmpty())
            samples.push_back(polygon.back());
    }
}

double Distance(const QRectF& rect, const QPointF& point)
{
    const double dx = std::max({rect.left() - point.x(), 0.0, point.x() - rect.right()});
    const double dy = std::max({rect.top() - point.y(), 0.0, point.y() - rect.bottom()});
    return std::hypot(dx, dy);
}

double Distance(const QRectF& a, const QRectF& b)
{
    const double dx = std::max({a.left() - b.right(), 0.0, b.left() - a.right()});
    const double dy = std::max({a.top() - b.bottom(), 0.0, b.top() - a.bottom()});
    if (a.intersects(b))
        return -std::min(a.intersected(b).width(), a.intersected(b).height());
    return std::hypot(dx, dy);
}

// Direction from a dot away from the drawing: the side of the outline that is
// outside the closed shape, so numbers sit outside where there is room.
QPointF Outward(const QPolygonF& shape, std::size_t i)
{
    const std::size_t n = static_cast<std::size_t>(shape.size());
    const QPointF along = shape[static_cast<qsizetype>((i + 1) % n)] - shape[static_cast<qsizetype>((i + n - 1) % n)];
    const double length = std::hypot(along.x(), along.y());
    if (length == 0)
        return QPointF();
    QPointF normal(along.y() / length, -along.x() / length);
    if (shape.containsPoint(shape[static_cast<qsizetype>(i)] + normal * 6, Qt::OddEvenFill))
        normal = -normal;
    return normal;
}

struct Label {
    QPainterPath glyphs;  // placed
    QRectF box;
};

// Puts each number beside its dot where it is furthest from every line, dot and
// other number, preferring the outside of the drawing.
std::vector<Label> PlaceLabels(const ThemeRecipe& theme, const std::vector<QPoint>& points,
                               const std::vector<QPointF>& obstacles)
{
    const QFont font = ContentFont(theme.labelSize);
    const QRectF picture(0, 0, theme.size.width(), theme.size.height());
    QPolygonF shape;
    for (const QPoint& point : points)
        shape << QPointF(point);

    std::vector<Label> labels;
    constexpr int kDirections = 32;
    constexpr double kEnough = 16;  // more clearance than this gains nothing
    for (std::size_t i = 0; i < points.size(); ++i) {
        QPainterPath glyphs;
        glyphs.addText(0, 0, font, QString::number(i + 1));
        const QRectF ink = glyphs.boundingRect();
        const QPointF outward = Outward(shape, i);
        const double gap = theme.dotRadius + 4;

        double bestScore = -1e9;
        QRectF bestBox;
        for (int d = 0; d < kDirections; ++d) {
            const double angle = 2 * std::numbers::pi * d / kDirections;
            const QPointF dir(std::cos(angle), std::sin(angle));
            // Distance from the box's centre to its edge along dir.
            const double reach = std::min(std::abs(dir.x()) > 1e-9 ? ink.width() / 2 / std::abs(dir.x()) : 1e9,
                                          std::abs(dir.y()) > 1e-9 ? ink.height() / 2 / std::abs(dir.y()) : 1e9);
            const QPointF centre = QPointF(points[i]) + dir * (gap + reach);
            QRectF box(0, 0, ink.width(), ink.height());
            box.moveCenter(centre);
            if (!picture.adjusted(2, 2, -2, -2).contains(box))
                continue;
            double clearance = kEnough;
            for (const QPointF& obstacle : obstacles)
                clearance = std::min(clearance, Distance(box, obstacle));
            for (std::size_t j = 0; j < points.size(); ++j)
                if (j != i)
                    clearance = std::min(clearance, Distance(box, QPointF(points[j])) - theme.dotRadius);
            for (const Label& other : labels)
                clearance = std::min(clearance, Distance(box, other.box) * 2);
            const double score = clearance + 4 * (dir.x() * outward.x() + dir.y() * outward.y());
            if (score > bestScore) {
                bestScore = score;
                bestBox = box;
            }
        }
        Label label;
        label.box = bestBox;
        label.glyphs = glyphs.translated(bestBox.center() - ink.center());
        labels.push_back(label);
    }
    return labels;
}

// Details marked "clip" are kept inside the outline (its black line included),
// so that a pattern can be drawn edge to edge and still close its regions.
void DrawDetails(QPainter& painter, const std::vector<Shape>& details, const ShapeContext& art,
                 const QPainterPath& inside)
{
    for (const Shape& detail : details) {
        painter.save();
        if (detail.clip)
            painter.setClipPath(inside);
        DrawShape(painter, detail, art);
        painter.restore();
    }
}

}  // namespace

ThemeRecipe ParseTheme(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (document.isNull())
        throw EDemoDataError("JSON illisible : " + error.errorString().toStdString());
    const QJsonObject object = document.object();
    ThemeRecipe theme;
    theme.folder = object[QLatin1String("folder")].toString();
    const QJsonArray size = object[QLatin1String("size")].toArray();
    theme.size = QSize(size[0].toInt(), size[1].toInt());
    if (theme.folder.isEmpty() || theme.size.isEmpty())
        throw EDemoDataError("un thème a un « folder » et une « size »");
    theme.margin = NumberOr(object, "margin", theme.margin);
    theme.dotRadius = NumberOr(object, "dotRadius", theme.dotRadius);
    theme.labelSize = NumberOr(object, "labelSize", theme.labelSize);
    theme.lineWidth = static_cast<int>(NumberOr(object, "lineWidth", theme.lineWidth));
    theme.outlineWidth = NumberOr(object, "outlineWidth", theme.outlineWidth);
    theme.detailWidth = NumberOr(object, "detailWidth", theme.detailWidth);
    theme.lineColour = ParseColour(object[QLatin1String("lineColour")]);
    // Thinner black lines let a fill leak through diagonal steps, or look grey.
    if (theme.outlineWidth < 3 || theme.detailWidth < 3)
        throw EDemoDataError("les traits du dessin ont au moins 3 pixels");
    for (const QJsonValue& picture : object[QLatin1String("pictures")].toArray()) {
        try {
            theme.pictures.push_back(ParsePicture(picture.toObject()));
        } catch (const EDemoDataError& fault) {
            throw EDemoDataError(theme.folder.toStdString() + ", image " + std::to_string(theme.pictures.size() + 1) +
                                 " (" + picture[QLatin1String("name")].toString().toStdString() + ") : " + fault.what());
        }
    }
    if (theme.pictures.empty())
        throw EDemoDataError(theme.folder.toStdString() + " : aucune image");
    return theme;
}

RenderedPicture RenderPicture(const ThemeRecipe& theme, const PictureRecipe& picture)
{
    RenderedPicture result;
    result.lineColour = picture.lineColour.value_or(theme.lineColour);
    const QTransform fit = FitTransform(theme, picture);
    std::vector<QPointF> outlinePoints;
    std::vector<bool> corners;
    for (const ShapePoint& dot : picture.dots) {
        result.points.push_back(fit.map(dot.at).toPoint());
        outlinePoints.push_back(QPointF(result.points.back()));
        corners.push_back(dot.corner);
    }
    result.outline = SmoothPath(outlinePoints, corners, true);
    const QPainterPath& outline = result.outline;
    QPainterPathStroker stroker;
    stroker.setWidth(theme.outlineWidth);
    const QPainterPath inside = outline.united(stroker.createStroke(outline));

    ShapeContext art;
    art.toPixels = fit;
    art.dots = &result.points;
    art.forceBlack = true;
    art.minimumWidth = theme.detailWidth;

    std::vector<Shape> dotDetails;
    for (const Shape& detail : picture.details)
        if (detail.inDots)
            dotDetails.push_back(detail);

    // The finished picture: everything aliased, so that the lines are pure black.
    result.finished = QImage(theme.size, QImage::Format_RGB32);
    result.finished.fill(Qt::white);
    {
        QPainter painter(&result.finished);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.strokePath(outline, QPen(Qt::black, theme.outlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        DrawDetails(painter, picture.details, art, inside);
    }

    // The dots picture: the details that stay on it, the dots and their numbers.
    result.dots = QImage(theme.size, QImage::Format_RGB32);
    result.dots.fill(Qt::white);
    std::vector<QPointF> obstacles;
    {
        QPainterPath childLines;
        childLines.moveTo(outlinePoints.front());
        for (const QPointF& point : outlinePoints)
            childLines.lineTo(point);
        Sample(childLines, obstacles);
        Sample(outline, obstacles);
        for (const Shape& detail : dotDetails)
            Sample(ShapePath(detail, art), obstacles);
    }
    const std::vector<Label> labels = PlaceLabels(theme, result.points, obstacles);
    QPainter painter(&result.dots);
    DrawDetails(painter, dotDetails, art, inside);
    // Nothing reads or fills the dots picture: smooth dots and numbers read better.
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    for (std::size_t i = 0; i < result.points.size(); ++i) {
        const bool start = i == 0;
        const QColor colour = start ? StartColour() : DotColour();
        const double radius = start ? theme.dotRadius + 2 : theme.dotRadius;
        painter.setBrush(colour);
        painter.drawEllipse(QPointF(result.points[i]) + QPointF(0.5, 0.5), radius, radius);
        painter.fillPath(labels[i].glyphs, colour);
    }
    return result;
}

}  // namespace vorlane
