#include "PictureArt.h"

#include "DotStyle.h"
#include "PageRules.h"
#include "ThemeFiles.h"

#include <QFontMetricsF>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>

namespace vorlane {

namespace {

// As many dots as the atelier allows, from a toddler's few to an older child's many.
constexpr int kMinimumPoints = kFewestDots;
constexpr int kMaximumPoints = kMostDots;
constexpr int kLargestFirstNumber = 1000;
// Limits on what a theme file may ask for, so that a mistaken or hostile file
// is refused at once rather than filling the memory or running for hours.
constexpr qsizetype kLargestFile = 1 << 20;
constexpr int kSmallestSide = 64;
constexpr int kLargestSide = 4096;
constexpr int kRoomForDrawing = 32;
constexpr qsizetype kMostPictures = 99;
// Every picture is drawn before anything is written, as two 32-bit images:
// 320 MB at most.
constexpr double kMostPixels = 40e6;
// Shapes and points painted per picture, scattered copies counted one by one.
constexpr double kMostPainted = 10000;

// What drawing `shape` costs: a shape, a point or a letter counts one, a
// scattered template counts once per copy.
double PaintedCount(const Shape& shape)
{
    double count = 1 + static_cast<double>(shape.points.size() + static_cast<std::size_t>(shape.text.size()));
    for (const Shape& item : shape.items)
        count += PaintedCount(item);
    return shape.kind == Shape::Kind::Scatter ? count * shape.count : count;
}

// The highest dot an "@N" point of `shape` pins to; 0 when none does.
int HighestDot(const Shape& shape)
{
    int highest = 0;
    for (const ShapePoint& point : shape.points)
        highest = std::max(highest, point.dot);
    for (const Shape& item : shape.items)
        highest = std::max(highest, HighestDot(item));
    return highest;
}

// "labels" and "first" of a theme or a picture, left as they are when absent.
void ParseLabels(const QJsonObject& object, std::optional<LabelStyle>& style, std::optional<int>& first)
{
    if (object.contains(QLatin1String("labels"))) {
        style = LabelStyleNamed(object[QLatin1String("labels")].toVariant().toString());
        if (!style)
            throw EDemoDataError("« labels » : 1, A, a, 2, 5 ou 10");
    }
    if (object.contains(QLatin1String("first")))
        first = static_cast<int>(NumberOr(object, "first", 1, 0, kLargestFirstNumber));
}

// "dotRadius" and "labelSize" of a theme or a picture, left to the atelier's
// rule for the count of dots when absent.
void ParseSizes(const QJsonObject& object, std::optional<double>& radius, std::optional<double>& labelSize)
{
    if (object.contains(QLatin1String("dotRadius")))
        radius = NumberOr(object, "dotRadius", 0, 1, 50);
    if (object.contains(QLatin1String("labelSize")))
        labelSize = NumberOr(object, "labelSize", 0, 6, 200);
}

PictureRecipe ParsePicture(const QJsonObject& object, const ThemeRecipe& theme)
{
    PictureRecipe picture;
    picture.name = object[QLatin1String("name")].toString();
    if (object.contains(QLatin1String("lineColour")))
        picture.lineColour = ParseColour(object[QLatin1String("lineColour")]);
    for (const QJsonValue dot : object[QLatin1String("dots")].toArray()) {
        picture.dots.push_back(ParsePoint(dot));
        if (picture.dots.back().dot != 0)
            throw EDemoDataError("un point du tracé ne peut pas renvoyer à un autre");
    }
    const int count = static_cast<int>(picture.dots.size());
    if (count < kMinimumPoints || count > kMaximumPoints)
        throw EDemoDataError(std::to_string(count) + " points ; il en faut de " + std::to_string(kMinimumPoints) +
                             " à " + std::to_string(kMaximumPoints));
    ParseLabels(object, picture.labels, picture.firstNumber);
    ParseSizes(object, picture.dotRadius, picture.labelSize);
    const LabelStyle style = picture.labels.value_or(theme.labels);
    if ((style == LabelStyle::UpperLetters || style == LabelStyle::LowerLetters) && count > kMostLetterDots)
        throw EDemoDataError(std::to_string(count) + " points ; une lettre par point, il en faut au plus " +
                             std::to_string(kMostLetterDots));
    if (object.contains(QLatin1String("details")))
        picture.details = ParseShapes(object[QLatin1String("details")]);
    double painted = 0;
    for (const Shape& detail : picture.details) {
        painted += PaintedCount(detail);
        const int dot = HighestDot(detail);
        if (dot > count)
            throw EDemoDataError("« @" + std::to_string(dot) + " » : l'image n'a que " + std::to_string(count) +
                                 " points");
    }
    if (painted > kMostPainted)
        throw EDemoDataError("détails trop nombreux : au plus " + std::to_string(static_cast<int>(kMostPainted)) +
                             " formes et points, copies de « scatter » comprises");
    return picture;
}

QSize ParseSize(const QJsonValue& value)
{
    const QJsonArray sides = value.toArray();
    auto fits = [](const QJsonValue& side) {
        const double pixels = side.toDouble(-1);
        return pixels >= kSmallestSide && pixels <= kLargestSide && pixels == std::floor(pixels);
    };
    if (sides.size() != 2 || !fits(sides[0]) || !fits(sides[1]))
        throw EDemoDataError("« size » : [largeur, hauteur] en pixels entiers, chacune de " +
                             std::to_string(kSmallestSide) + " à " + std::to_string(kLargestSide));
    return QSize(sides[0].toInt(), sides[1].toInt());
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

// The part of segment a-b inside `area`, if any (Liang-Barsky).
std::optional<QLineF> Clipped(QPointF a, QPointF b, const QRectF& area)
{
    const QPointF d = b - a;
    const std::array<double, 4> towards = {-d.x(), d.x(), -d.y(), d.y()};
    const std::array<double, 4> room = {a.x() - area.left(), area.right() - a.x(), a.y() - area.top(),
                                        area.bottom() - a.y()};
    double from = 0;
    double to = 1;
    for (std::size_t side = 0; side < 4; ++side) {
        if (towards[side] == 0) {
            if (room[side] < 0)
                return std::nullopt;
            continue;
        }
        const double t = room[side] / towards[side];
        if (towards[side] < 0)
            from = std::max(from, t);
        else
            to = std::min(to, t);
    }
    if (from > to)
        return std::nullopt;
    // Whole segments exactly as given.
    return QLineF(from > 0 ? a + d * from : a, to < 1 ? a + d * to : b);
}

// Points every few pixels along the paths, where they may come near a number
// inside the picture: what the numbers must keep clear of. A drawing with
// very long or very many lines is sampled more coarsely, up to a limit, so that
// placing numbers stays quick.
std::vector<QPointF> Samples(const std::vector<QPainterPath>& paths, const QRectF& picture, double nearEnough)
{
    constexpr double kStep = 3;
    constexpr double kMostSamples = 50000;
    constexpr std::size_t kMostSegments = 20000;
    const QRectF area = picture.adjusted(-nearEnough, -nearEnough, nearEnough, nearEnough);
    std::vector<QLineF> segments;
    double length = 0;
    for (const QPainterPath& path : paths)
        for (const QPolygonF& polygon : path.toSubpathPolygons())
            for (qsizetype i = 1; i < polygon.size() && segments.size() < kMostSegments; ++i)
                if (const auto inside = Clipped(polygon[i - 1], polygon[i], area)) {
                    segments.push_back(*inside);
                    length += inside->length();
                }
    const double step = std::max(kStep, length / kMostSamples);
    std::vector<QPointF> samples;
    for (const QLineF& segment : segments) {
        const int steps = std::max(1, static_cast<int>(segment.length() / step));
        for (int s = 0; s < steps; ++s)
            samples.push_back(segment.pointAt(static_cast<double>(s) / steps));
        samples.push_back(segment.p2());
    }
    return samples;
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

// More clearance around a number than this gains nothing.
constexpr double kEnough = 16;
// The start dot is drawn this much larger than the others.
constexpr double kStartGrowth = 2;

struct Label {
    QPainterPath glyphs;  // placed
    QRectF box;
};

// Puts each number beside its dot where it is furthest from every line, dot and
// other number, preferring the outside of the drawing.
std::vector<Label> PlaceLabels(const ThemeRecipe& theme, const PictureRecipe& recipe, const DotOptions& style,
                               const std::vector<QPoint>& points, const std::vector<QPointF>& obstacles)
{
    const DotSize size = SizeOf(theme, recipe);
    const double dotRadius = size.radius;
    const QFont font = LabelFont(size.labelSize);
    const QRectF picture(0, 0, theme.size.width(), theme.size.height());
    QPolygonF shape;
    for (const QPoint& point : points)
        shape << QPointF(point);

    const double height = QFontMetricsF(font).tightBoundingRect(QStringLiteral("0")).height();
    const auto dotIn = [&](const QRectF& box) {
        return std::any_of(points.begin(), points.end(), [&](QPoint p) { return box.contains(QPointF(p)); });
    };
    std::vector<Label> labels;
    constexpr int kDirections = 32;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const QPainterPath glyphs = LabelGlyphs(font, DotLabel(style, static_cast<int>(i)));
        const QRectF ink = glyphs.boundingRect();
        const QPointF outward = Outward(shape, i);
        // The start dot's number keeps the same clear gap from its larger dot.
        const double gap = (i == 0 ? dotRadius + kStartGrowth : dotRadius) + 4;

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
            // Plainly its own dot's: every other dot clearly further from it.
            const double own = std::hypot(centre.x() - points[i].x(), centre.y() - points[i].y());
            for (std::size_t j = 0; j < points.size(); ++j)
                if (j != i)
                    clearance = std::min(clearance, std::hypot(centre.x() - points[j].x(), centre.y() - points[j].y()) <
                                                            PageRules::kOwnLabel * own
                                                        ? -kEnough
                                                        : Distance(box, QPointF(points[j])) - dotRadius);
            // Two numbers read as one are as bad as two that touch.
            for (const Label& other : labels)
                clearance = std::min(clearance, PageRules::ReadAsOne(box, other.box, height, dotIn)
                                                    ? -kEnough
                                                    : Distance(box, other.box) * 2);
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

// The stretch of the outline from the last dot back to the first. The child's
// line stops at the last dot, so the dots picture draws this stretch instead.
QPainterPath ClosingStretch(const QPainterPath& outline)
{
    for (int i = outline.elementCount() - 1; i >= 3; --i)
        if (outline.elementAt(i - 2).type == QPainterPath::CurveToElement) {
            QPainterPath stretch(outline.elementAt(i - 3));
            stretch.cubicTo(outline.elementAt(i - 2), outline.elementAt(i - 1), outline.elementAt(i));
            return stretch;
        }
    return {};
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
    if (json.size() > kLargestFile)
        throw EDemoDataError("fichier de plus de " + std::to_string(kLargestFile >> 20) +
                             " Mo : ce n'est pas un thème");
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (document.isNull())
        throw EDemoDataError("JSON illisible : " + error.errorString().toStdString());
    if (!document.isObject())
        throw EDemoDataError("un thème est un objet JSON { … }");
    const QJsonObject object = document.object();
    ThemeRecipe theme;
    theme.folder = object[QLatin1String("folder")].toString();
    if (!IsFolderName(theme.folder))
        throw EDemoDataError("« folder » : le nom du dossier du thème, de 1 à " +
                             std::to_string(kLongestFolderName) +
                             " caractères, sans point au début ni à la fin, sans / \\ : * ? \" < > |");
    try {
        theme.size = ParseSize(object[QLatin1String("size")]);
        theme.margin = NumberOr(object, "margin", theme.margin, 0, kLargestSide);
        if (2 * theme.margin + kRoomForDrawing > std::min(theme.size.width(), theme.size.height()))
            throw EDemoDataError("« margin » ne laisse pas " + std::to_string(kRoomForDrawing) +
                                 " pixels au dessin");
        ParseSizes(object, theme.dotRadius, theme.labelSize);
        theme.lineWidth = static_cast<int>(NumberOr(object, "lineWidth", theme.lineWidth, 1, 50));
        // Thinner black lines let a fill leak through diagonal steps, or look grey.
        theme.outlineWidth = NumberOr(object, "outlineWidth", theme.outlineWidth, 3, 50);
        theme.detailWidth = NumberOr(object, "detailWidth", theme.detailWidth, 3, 50);
        theme.lineColour = ParseColour(object[QLatin1String("lineColour")]);
        std::optional<LabelStyle> labels;
        std::optional<int> first;
        ParseLabels(object, labels, first);
        theme.labels = labels.value_or(theme.labels);
        theme.firstNumber = first.value_or(theme.firstNumber);
        const QJsonArray pictures = object[QLatin1String("pictures")].toArray();
        if (pictures.isEmpty() || pictures.size() > kMostPictures)
            throw EDemoDataError("« pictures » : de 1 à " + std::to_string(kMostPictures) + " images");
        const double pixels = static_cast<double>(pictures.size()) * theme.size.width() * theme.size.height();
        if (pixels > kMostPixels)
            throw EDemoDataError(std::to_string(pictures.size()) + " images de " + std::to_string(theme.size.width()) +
                                 "×" + std::to_string(theme.size.height()) + " pixels dépassent " +
                                 std::to_string(static_cast<int>(kMostPixels / 1e6)) +
                                 " millions de pixels en tout : moins d'images, ou plus petites");
        for (const QJsonValue picture : pictures) {
            try {
                theme.pictures.push_back(ParsePicture(picture.toObject(), theme));
            } catch (const EDemoDataError& fault) {
                throw EDemoDataError("image " + std::to_string(theme.pictures.size() + 1) + " (" +
                                     picture[QLatin1String("name")].toString().toStdString() + ") : " + fault.what());
            }
        }
    } catch (const EDemoDataError& fault) {
        throw EDemoDataError(theme.folder.toStdString() + ", " + fault.what());
    }
    return theme;
}

DotSize SizeOf(const ThemeRecipe& theme, const PictureRecipe& picture)
{
    const DotSize rule = DotSizeFor(picture.dots.size());
    return {picture.dotRadius.value_or(theme.dotRadius.value_or(rule.radius)),
            picture.labelSize.value_or(theme.labelSize.value_or(rule.labelSize))};
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

    // The dots picture: the way back from the last dot to the first, the details
    // that stay on it, the dots and their numbers.
    result.dots = QImage(theme.size, QImage::Format_RGB32);
    result.dots.fill(Qt::white);
    std::vector<QPainterPath> lines{QPainterPath(outlinePoints.front()), outline};
    for (const QPointF& point : outlinePoints)
        lines.front().lineTo(point);  // the child's lines
    for (const Shape& detail : dotDetails)
        lines.push_back(ShapePath(detail, art));
    DotOptions style;
    style.style = picture.labels.value_or(theme.labels);
    style.firstNumber = picture.firstNumber.value_or(theme.firstNumber);
    const std::vector<Label> labels =
        PlaceLabels(theme, picture, style, result.points, Samples(lines, QRectF(QPointF(), theme.size), kEnough));
    QPainter painter(&result.dots);
    DrawDetails(painter, dotDetails, art, inside);
    // Nothing reads or fills the dots picture: smooth lines, dots and numbers read better.
    painter.setRenderHint(QPainter::Antialiasing, true);
    // A pixel finer than the finished outline it stands for: a line already
    // drawn, never as heavy as a dot.
    painter.strokePath(ClosingStretch(outline),
                       QPen(Qt::black, theme.outlineWidth - 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setPen(Qt::NoPen);
    const double dotRadius = SizeOf(theme, picture).radius;
    for (std::size_t i = 0; i < result.points.size(); ++i) {
        const bool start = i == 0;
        const QColor colour = start ? StartColour() : DotColour();
        const double radius = start ? dotRadius + kStartGrowth : dotRadius;
        painter.setBrush(colour);
        painter.drawEllipse(QPointF(result.points[i]) + QPointF(0.5, 0.5), radius, radius);
        painter.fillPath(labels[i].glyphs, colour);
    }
    return result;
}

}  // namespace vorlane
