#include "Shape.h"

#include <QFont>
#include <QFontMetricsF>
#include <QJsonArray>
#include <QJsonObject>
#include <QLinearGradient>
#include <QPainter>
#include <QRegularExpression>

#include <cmath>
#include <numbers>
#include <random>

namespace vorlane {

namespace {

[[noreturn]] void Fail(const QString& what)
{
    throw EDemoDataError(what.toStdString());
}

// Deeper nesting is surely a mistake, and drawing copies a group's members at every level.
constexpr int kDeepestNesting = 8;
constexpr double kWidestStroke = 100;
constexpr qsizetype kLongestText = 200;

double NumberIn(const QJsonValue& value, const char* what, double lowest, double highest)
{
    if (!value.isDouble())
        Fail(QStringLiteral("nombre attendu pour « %1 »").arg(QLatin1String(what)));
    const double number = value.toDouble();
    if (!(number >= lowest && number <= highest))  // NaN too
        Fail(QStringLiteral("« %1 » va de %2 à %3")
                 .arg(QLatin1String(what))
                 .arg(lowest, 0, 'f', 0)
                 .arg(highest, 0, 'f', 0));
    return number;
}

double Number(const QJsonValue& value, const char* what)
{
    return NumberIn(value, what, -kLargestNumber, kLargestNumber);
}

std::vector<double> Numbers(const QJsonValue& value, std::size_t count, const char* what)
{
    const QJsonArray array = value.toArray();
    if (!value.isArray() || static_cast<std::size_t>(array.size()) != count)
        Fail(QStringLiteral("« %1 » attend %2 nombres").arg(QLatin1String(what)).arg(count));
    std::vector<double> numbers;
    for (const QJsonValue item : array)
        numbers.push_back(Number(item, what));
    return numbers;
}

std::vector<ShapePoint> Points(const QJsonValue& value)
{
    if (!value.isArray() || value.toArray().isEmpty())
        Fail(QStringLiteral("liste de points attendue"));
    std::vector<ShapePoint> points;
    for (const QJsonValue item : value.toArray())
        points.push_back(ParsePoint(item));
    return points;
}

Paint ParsePaint(const QJsonValue& value)
{
    Paint paint;
    if (value.isUndefined() || value.isNull())
        return paint;
    if (value.isString() && value.toString() == QLatin1String("swatch")) {
        paint.kind = Paint::Kind::Swatch;
    } else if (value.isArray()) {
        const QJsonArray stops = value.toArray();
        if (stops.size() != 2)
            Fail(QStringLiteral("un dégradé a deux couleurs"));
        paint.kind = Paint::Kind::Gradient;
        paint.colour = ParseColour(stops[0]);
        paint.bottom = ParseColour(stops[1]);
    } else {
        paint.kind = Paint::Kind::Solid;
        paint.colour = ParseColour(value);
    }
    return paint;
}

QTransform ParseTransform(const QJsonObject& object)
{
    QTransform transform;
    if (object.contains(QLatin1String("translate"))) {
        const auto at = Numbers(object[QLatin1String("translate")], 2, "translate");
        transform.translate(at[0], at[1]);
    }
    if (object.contains(QLatin1String("rotate")))
        transform.rotate(Number(object[QLatin1String("rotate")], "rotate"));
    if (object.contains(QLatin1String("scale"))) {
        const QJsonValue scale = object[QLatin1String("scale")];
        if (scale.isArray()) {
            const auto factors = Numbers(scale, 2, "scale");
            transform.scale(factors[0], factors[1]);
        } else {
            const double factor = Number(scale, "scale");
            transform.scale(factor, factor);
        }
    }
    return transform;
}

QPointF Mapped(const ShapePoint& point, const QTransform& toPixels, const std::vector<QPoint>* dots)
{
    if (point.dot > 0) {
        if (dots == nullptr || point.dot > static_cast<int>(dots->size()))
            Fail(QStringLiteral("référence au point @%1 inexistant").arg(point.dot));
        return QPointF((*dots)[static_cast<std::size_t>(point.dot - 1)]);
    }
    return toPixels.map(point.at);
}

QPainterPath LocalPath(const Shape& shape)
{
    QPainterPath path;
    switch (shape.kind) {
    case Shape::Kind::Ellipse:
        path.addEllipse(shape.centre, shape.radius.width(), shape.radius.height());
        break;
    case Shape::Kind::Rect:
        if (shape.corner > 0)
            path.addRoundedRect(shape.rect, shape.corner, shape.corner);
        else
            path.addRect(shape.rect);
        break;
    case Shape::Kind::Star: {
        QPolygonF polygon;
        for (int i = 0; i < 2 * shape.tips; ++i) {
            const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / shape.tips;
            const double r = (i % 2 == 0) ? shape.radius.width() : shape.radius.height();
            polygon << shape.centre + QPointF(r * std::cos(angle), r * std::sin(angle));
        }
        path.addPolygon(polygon);
        path.closeSubpath();
        break;
    }
    case Shape::Kind::Text: {
        const QFont font = ContentFont(shape.textSize);
        const QFontMetricsF metrics(font);
        const double x = shape.centre.x() - metrics.horizontalAdvance(shape.text) / 2;
        const double y = shape.centre.y() + (metrics.ascent() - metrics.descent()) / 2;
        path.addText(QPointF(x, y), font, shape.text);
        break;
    }
    case Shape::Kind::Polygon:
    case Shape::Kind::Polyline:
    case Shape::Kind::Curve:
    case Shape::Kind::ClosedCurve:
    case Shape::Kind::Group:
    case Shape::Kind::Scatter:
        break;
    }
    return path;
}

QBrush BrushFor(const Paint& paint, const QRectF& bounds, const ShapeContext& context)
{
    if (context.forceBlack)
        return QBrush(Qt::black);
    switch (paint.kind) {
    case Paint::Kind::Solid:
        return QBrush(paint.colour);
    case Paint::Kind::Swatch:
        return QBrush(context.swatch);
    case Paint::Kind::Gradient: {
        QLinearGradient gradient(bounds.topLeft(), bounds.bottomLeft());
        gradient.setColorAt(0, paint.colour);
        gradient.setColorAt(1, paint.bottom);
        return QBrush(gradient);
    }
    case Paint::Kind::None:
        break;
    }
    return QBrush(Qt::NoBrush);
}

void FillAndStroke(QPainter& painter, const QPainterPath& path, const Shape& shape, const ShapeContext& context,
                   bool strokeFirst)
{
    Paint fill = shape.fill;
    Paint stroke = shape.stroke;
    // A picture detail with no paint of its own is a line of the drawing.
    if (context.forceBlack && fill.kind == Paint::Kind::None && stroke.kind == Paint::Kind::None)
        stroke.kind = Paint::Kind::Solid;
    const double width = std::max(shape.width, context.minimumWidth);
    auto drawStroke = [&] {
        if (stroke.kind == Paint::Kind::None || width <= 0)
            return;
        QPen pen(BrushFor(stroke, path.boundingRect(), context), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.strokePath(path, pen);
    };
    if (strokeFirst)
        drawStroke();
    if (fill.kind != Paint::Kind::None)
        painter.fillPath(path, BrushFor(fill, path.boundingRect(), context));
    if (!strokeFirst)
        drawStroke();
}

// Deterministic on every platform, unlike the standard distributions.
double Unit(std::mt19937& random)
{
    return static_cast<double>(random()) / 4294967296.0;
}

}  // namespace

double NumberOr(const QJsonObject& object, const char* key, double fallback, double lowest, double highest)
{
    const QJsonValue value = object[QLatin1String(key)];
    return value.isUndefined() ? fallback : NumberIn(value, key, lowest, highest);
}

QColor ParseColour(const QJsonValue& value)
{
    // #RRGGBB, or #RRGGBBAA for see-through decoration.
    const QString text = value.toString();
    static const QRegularExpression pattern(QStringLiteral("^#[0-9A-Fa-f]{6}([0-9A-Fa-f]{2})?$"));
    if (!value.isString() || !pattern.match(text).hasMatch())
        Fail(QStringLiteral("couleur « %1 » : il faut #RRVVBB ou #RRVVBBAA").arg(text));
    QColor colour(text.left(7));
    if (text.size() == 9)
        colour.setAlpha(text.mid(7).toInt(nullptr, 16));
    return colour;
}

ShapePoint ParsePoint(const QJsonValue& value)
{
    ShapePoint point;
    if (value.isString()) {
        static const QRegularExpression pattern(QStringLiteral("^@([0-9]+)(c?)$"));
        const auto match = pattern.match(value.toString());
        if (!match.hasMatch() || match.captured(1).toInt() < 1)
            Fail(QStringLiteral("point « %1 » : il faut [x, y] ou @N").arg(value.toString()));
        point.dot = match.captured(1).toInt();
        point.corner = !match.captured(2).isEmpty();
        return point;
    }
    const QJsonArray array = value.toArray();
    if (!value.isArray() || array.size() < 2 || array.size() > 3 ||
        (array.size() == 3 && array[2].toString() != QLatin1String("c")))
        Fail(QStringLiteral("point : il faut [x, y] ou [x, y, \"c\"]"));
    point.at = QPointF(Number(array[0], "x"), Number(array[1], "y"));
    point.corner = array.size() == 3;
    return point;
}

namespace {

Shape ParseShapeAt(const QJsonValue& value, int depth);

std::vector<Shape> ParseShapesAt(const QJsonValue& value, int depth)
{
    if (!value.isArray())
        Fail(QStringLiteral("liste de formes attendue"));
    std::vector<Shape> shapes;
    for (const QJsonValue item : value.toArray())
        shapes.push_back(ParseShapeAt(item, depth + 1));
    return shapes;
}

Shape ParseShapeAt(const QJsonValue& value, int depth)
{
    if (depth > kDeepestNesting)
        Fail(QStringLiteral("formes imbriquées sur plus de %1 niveaux").arg(kDeepestNesting));
    Shape shape;
    if (value.isArray()) {
        shape.items = ParseShapesAt(value, depth);
        return shape;
    }
    if (!value.isObject())
        Fail(QStringLiteral("forme attendue"));
    const QJsonObject object = value.toObject();
    auto has = [&](const char* key) { return object.contains(QLatin1String(key)); };
    auto at = [&](const char* key) { return object[QLatin1String(key)]; };

    if (has("polygon")) {
        shape.kind = Shape::Kind::Polygon;
        shape.points = Points(at("polygon"));
    } else if (has("polyline")) {
        shape.kind = Shape::Kind::Polyline;
        shape.points = Points(at("polyline"));
    } else if (has("curve")) {
        shape.kind = Shape::Kind::Curve;
        shape.points = Points(at("curve"));
    } else if (has("closedCurve")) {
        shape.kind = Shape::Kind::ClosedCurve;
        shape.points = Points(at("closedCurve"));
    } else if (has("ellipse")) {
        shape.kind = Shape::Kind::Ellipse;
        const auto e = Numbers(at("ellipse"), 4, "ellipse");
        shape.centre = QPointF(e[0], e[1]);
        shape.radius = QSizeF(e[2], e[3]);
    } else if (has("circle")) {
        shape.kind = Shape::Kind::Ellipse;
        const auto c = Numbers(at("circle"), 3, "circle");
        shape.centre = QPointF(c[0], c[1]);
        shape.radius = QSizeF(c[2], c[2]);
    } else if (has("rect")) {
        shape.kind = Shape::Kind::Rect;
        const auto r = Numbers(at("rect"), 4, "rect");
        shape.rect = QRectF(r[0], r[1], r[2], r[3]);
        if (has("corner"))
            shape.corner = Number(at("corner"), "corner");
    } else if (has("star")) {
        shape.kind = Shape::Kind::Star;
        const auto s = Numbers(at("star"), 4, "star");
        shape.centre = QPointF(s[0], s[1]);
        shape.radius = QSizeF(s[2], s[3]);
        if (has("tips"))
            shape.tips = static_cast<int>(NumberIn(at("tips"), "tips", 3, 100));
    } else if (has("text")) {
        shape.kind = Shape::Kind::Text;
        shape.text = at("text").toString();
        if (shape.text.size() > kLongestText)
            Fail(QStringLiteral("un texte a au plus %1 caractères").arg(kLongestText));
        const auto c = Numbers(at("at"), 2, "at");
        shape.centre = QPointF(c[0], c[1]);
        shape.textSize = NumberIn(at("size"), "size", 1, 500);
    } else if (has("group")) {
        shape.kind = Shape::Kind::Group;
        shape.items = ParseShapesAt(at("group"), depth);
    } else if (has("scatter")) {
        shape.kind = Shape::Kind::Scatter;
        const QJsonObject scatter = at("scatter").toObject();
        const auto area = Numbers(scatter[QLatin1String("area")], 4, "area");
        shape.rect = QRectF(area[0], area[1], area[2], area[3]);
        shape.count = static_cast<int>(NumberIn(scatter[QLatin1String("count")], "count", 0, 1000));
        shape.seed = static_cast<unsigned>(NumberIn(scatter[QLatin1String("seed")], "seed", 0, 4294967295.0));
        const auto scales = Numbers(scatter[QLatin1String("scales")], 2, "scales");
        shape.minScale = scales[0];
        shape.maxScale = scales[1];
        shape.spin = scatter[QLatin1String("spin")].toBool();
        shape.items.push_back(ParseShapeAt(at("shape"), depth + 1));
    } else {
        Fail(QStringLiteral("forme inconnue : %1").arg(object.keys().join(QLatin1String(", "))));
    }

    shape.fill = ParsePaint(at("fill"));
    shape.stroke = ParsePaint(at("stroke"));
    if (has("width"))
        shape.width = NumberIn(at("width"), "width", 0, kWidestStroke);
    shape.antialias = at("aa").toBool(false);
    shape.inDots = at("dots").toBool(true);
    shape.clip = at("clip").toBool(false);
    if (has("colours"))
        for (const QJsonValue colour : at("colours").toArray())
            shape.colours.push_back(ParseColour(colour));
    if (shape.kind == Shape::Kind::Scatter && shape.colours.empty())
        Fail(QStringLiteral("« scatter » demande des « colours »"));
    shape.transform = ParseTransform(object);
    return shape;
}

}  // namespace

std::vector<Shape> ParseShapes(const QJsonValue& value)
{
    return ParseShapesAt(value, 0);
}

Shape ParseShape(const QJsonValue& value)
{
    return ParseShapeAt(value, 0);
}

QPainterPath SmoothPath(const std::vector<QPointF>& points, const std::vector<bool>& corners, bool closed)
{
    QPainterPath path;
    const std::size_t n = points.size();
    if (n == 0)
        return path;
    path.moveTo(points[0]);
    auto at = [&](std::ptrdiff_t i) {
        const auto count = static_cast<std::ptrdiff_t>(n);
        if (closed)
            return points[static_cast<std::size_t>(((i % count) + count) % count)];
        return points[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(i, 0, count - 1))];
    };
    auto isCorner = [&](std::ptrdiff_t i) {
        const auto count = static_cast<std::ptrdiff_t>(n);
        if (!closed && (i <= 0 || i >= count - 1))
            return true;
        return corners[static_cast<std::size_t>(((i % count) + count) % count)];
    };
    // Tangent direction through each point, as long as the segment it starts or
    // ends: unlike the plain Catmull-Rom form, uneven spacing makes no loops.
    auto tangent = [&](std::ptrdiff_t i) {
        const QPointF d = at(i + 1) - at(i - 1);
        const double length = std::hypot(d.x(), d.y());
        return length > 0 ? d / length : QPointF();
    };
    constexpr double kTension = 0.3;
    const auto segments = static_cast<std::ptrdiff_t>(closed ? n : n - 1);
    for (std::ptrdiff_t i = 0; i < segments; ++i) {
        const QPointF a = at(i);
        const QPointF b = at(i + 1);
        const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
        const QPointF c1 = isCorner(i) ? a : a + tangent(i) * length * kTension;
        const QPointF c2 = isCorner(i + 1) ? b : b - tangent(i + 1) * length * kTension;
        path.cubicTo(c1, c2, b);
    }
    if (closed)
        path.closeSubpath();
    return path;
}

QPainterPath ShapePath(const Shape& shape, const ShapeContext& context)
{
    const QTransform toPixels = shape.transform * context.toPixels;
    switch (shape.kind) {
    case Shape::Kind::Polygon:
    case Shape::Kind::Polyline: {
        QPolygonF polygon;
        for (const ShapePoint& point : shape.points)
            polygon << Mapped(point, toPixels, context.dots);
        QPainterPath path;
        path.addPolygon(polygon);
        if (shape.kind == Shape::Kind::Polygon)
            path.closeSubpath();
        return path;
    }
    case Shape::Kind::Curve:
    case Shape::Kind::ClosedCurve: {
        std::vector<QPointF> points;
        std::vector<bool> corners;
        for (const ShapePoint& point : shape.points) {
            points.push_back(Mapped(point, toPixels, context.dots));
            corners.push_back(point.corner);
        }
        return SmoothPath(points, corners, shape.kind == Shape::Kind::ClosedCurve);
    }
    case Shape::Kind::Ellipse:
    case Shape::Kind::Rect:
    case Shape::Kind::Star:
    case Shape::Kind::Text:
        return toPixels.map(LocalPath(shape));
    case Shape::Kind::Group: {
        ShapeContext inner = context;
        inner.toPixels = toPixels;
        QPainterPath path;
        for (const Shape& item : shape.items)
            path.addPath(ShapePath(item, inner));
        return path;
    }
    case Shape::Kind::Scatter:
        break;
    }
    return QPainterPath();
}

QRectF ShapeBounds(const Shape& shape)
{
    QRectF bounds;
    switch (shape.kind) {
    case Shape::Kind::Group:
        for (const Shape& item : shape.items)
            bounds |= ShapeBounds(item);
        return shape.transform.mapRect(bounds);
    case Shape::Kind::Scatter:
        return shape.transform.mapRect(shape.rect);
    case Shape::Kind::Polygon:
    case Shape::Kind::Polyline:
    case Shape::Kind::Curve:
    case Shape::Kind::ClosedCurve: {
        QPolygonF polygon;
        for (const ShapePoint& point : shape.points)
            if (point.dot == 0)
                polygon << shape.transform.map(point.at);
        return polygon.boundingRect();
    }
    case Shape::Kind::Ellipse:
    case Shape::Kind::Rect:
    case Shape::Kind::Star:
    case Shape::Kind::Text:
        break;
    }
    return shape.transform.map(LocalPath(shape)).boundingRect();
}

void DrawShape(QPainter& painter, const Shape& shape, const ShapeContext& context)
{
    painter.setRenderHint(QPainter::Antialiasing, shape.antialias && !context.forceBlack);
    switch (shape.kind) {
    case Shape::Kind::Group: {
        ShapeContext inner = context;
        inner.toPixels = shape.transform * context.toPixels;
        // Members without paint of their own take the group's.
        for (Shape item : shape.items) {
            if (item.fill.kind == Paint::Kind::None)
                item.fill = shape.fill;
            if (item.stroke.kind == Paint::Kind::None) {
                item.stroke = shape.stroke;
                item.width = item.width > 0 ? item.width : shape.width;
            }
            item.antialias = item.antialias || shape.antialias;
            DrawShape(painter, item, inner);
        }
        return;
    }
    case Shape::Kind::Scatter: {
        std::mt19937 random(shape.seed);
        for (int i = 0; i < shape.count; ++i) {
            const QPointF at(shape.rect.x() + Unit(random) * shape.rect.width(),
                             shape.rect.y() + Unit(random) * shape.rect.height());
            const double scale = shape.minScale + Unit(random) * (shape.maxScale - shape.minScale);
            const double angle = Unit(random) * 360;
            ShapeContext inner = context;
            QTransform place;
            place.translate(at.x(), at.y());
            if (shape.spin)
                place.rotate(angle);
            place.scale(scale, scale);
            inner.toPixels = place * shape.transform * context.toPixels;
            inner.swatch = shape.colours[static_cast<std::size_t>(i) % shape.colours.size()];
            DrawShape(painter, shape.items.front(), inner);
        }
        return;
    }
    case Shape::Kind::Text:
        if (!shape.colours.empty()) {
            // One colour per letter: each letter is its own text shape; every
            // outline goes first, so that no letter's outline cuts into its neighbour.
            const QFontMetricsF metrics(ContentFont(shape.textSize));
            for (const bool outlines : {true, false}) {
                double x = shape.centre.x() - metrics.horizontalAdvance(shape.text) / 2;
                std::size_t colour = 0;
                for (const QChar letter : shape.text) {
                    const double advance = metrics.horizontalAdvance(letter);
                    Shape part = shape;
                    part.colours.clear();
                    part.text = letter;
                    part.centre.setX(x + advance / 2);
                    part.fill = Paint{Paint::Kind::Solid, shape.colours[colour % shape.colours.size()], {}};
                    if (outlines)
                        part.fill = Paint{};
                    else
                        part.stroke = Paint{};
                    if (!letter.isSpace())
                        ++colour;
                    DrawShape(painter, part, context);
                    x += advance;
                }
            }
            return;
        }
        // Outlined letters: the fill covers the stroke's inner half.
        FillAndStroke(painter, ShapePath(shape, context), shape, context, true);
        return;
    case Shape::Kind::Polygon:
    case Shape::Kind::Polyline:
    case Shape::Kind::Curve:
    case Shape::Kind::ClosedCurve:
    case Shape::Kind::Ellipse:
    case Shape::Kind::Rect:
    case Shape::Kind::Star:
        break;
    }
    FillAndStroke(painter, ShapePath(shape, context), shape, context, false);
}

void DrawShapes(QPainter& painter, const std::vector<Shape>& shapes, const ShapeContext& context)
{
    for (const Shape& shape : shapes)
        DrawShape(painter, shape, context);
}

}  // namespace vorlane
