#pragma once

#include "DotStyle.h"

#include <QColor>
#include <QJsonObject>
#include <QJsonValue>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <vector>

#include "base/Errors.h"

class QFont;
class QPainter;

namespace vorlane {

// A fault in a content data file, the demo's or a theme file given to the
// tool, reported with the element at fault.
class EDemoDataError : public EVorlaneError {
public:
    using EVorlaneError::EVorlaneError;
};

// How a shape's inside or outline is painted.
struct Paint {
    enum class Kind { None, Solid, Gradient, Swatch };
    Kind kind = Kind::None;
    QColor colour;   // Solid, and the top of a Gradient
    QColor bottom;   // bottom of a vertical Gradient
};

// A point of a shape: a position in the shape's own units, or a reference to
// dot `dot` of a picture (1-based), which pins it to the dot's exact pixel.
struct ShapePoint {
    QPointF at;
    int dot = 0;
    bool corner = false;  // smooth curves bend sharply here
};

// One element of the content's drawings, read from the demo data files. The
// same shapes describe the pictures' inner details and all appearance art.
struct Shape {
    enum class Kind { Polygon, Polyline, Curve, ClosedCurve, Ellipse, Rect, Star, Text, Group, Scatter };
    Kind kind = Kind::Group;
    std::vector<ShapePoint> points;  // Polygon, Polyline, Curve, ClosedCurve
    QPointF centre;                  // Ellipse, Star, Text
    QSizeF radius;                   // Ellipse (rx, ry); Star (outer, inner)
    QRectF rect;                     // Rect; Scatter area
    double corner = 0;               // Rect corner radius
    int tips = 5;                    // Star
    Paint fill;
    Paint stroke;
    double width = 0;                // stroke width in pixels, whatever the transform
    bool antialias = false;
    bool inDots = true;              // picture detail also printed on the dots picture
    bool clip = false;               // picture detail kept inside the outline
    QString text;
    double textSize = 0;
    std::vector<QColor> colours;     // Text: one per letter in turn; Scatter: swatch colours
    QTransform transform;            // local units to the parent's
    std::vector<Shape> items;        // Group members; Scatter: the template at items[0]
    int count = 0;                   // Scatter
    unsigned seed = 1;               // Scatter
    double minScale = 1, maxScale = 1;  // Scatter
    bool spin = false;               // Scatter: random rotation
};

// Everything drawing needs besides the shape itself.
struct ShapeContext {
    QTransform toPixels;                 // shape units to image pixels
    const std::vector<QPoint>* dots = nullptr;  // pixel positions of the picture's dots
    QColor swatch;                       // what Paint::Kind::Swatch means here
    // Picture art: every paint becomes pure black and every stroke at least
    // `minimumWidth` wide, so that fills stop at it.
    bool forceBlack = false;
    double minimumWidth = 0;
};

// Reads one shape, or an array of shapes as a group. Raises EDemoDataError.
Shape ParseShape(const QJsonValue& value);
std::vector<Shape> ParseShapes(const QJsonValue& value);
QColor ParseColour(const QJsonValue& value);
// Far beyond any drawing's units, and small enough that nothing overflows
// once scaled into pixels.
constexpr double kLargestNumber = 1e6;

// object[key] as a number from `lowest` to `highest`, `fallback` when the key is missing.
double NumberOr(const QJsonObject& object, const char* key, double fallback, double lowest = -kLargestNumber,
                double highest = kLargestNumber);
ShapePoint ParsePoint(const QJsonValue& value);

// The shape's outline in pixels (text as glyph outlines, groups as their members' together).
QPainterPath ShapePath(const Shape& shape, const ShapeContext& context);
// A smooth curve through the points (aliased pixel positions), bent sharply at corners.
QPainterPath SmoothPath(const std::vector<QPointF>& points, const std::vector<bool>& corners, bool closed);
// Bounds of the shape's geometry in its parent's units (dot references excluded).
QRectF ShapeBounds(const Shape& shape);

void DrawShape(QPainter& painter, const Shape& shape, const ShapeContext& context);
void DrawShapes(QPainter& painter, const std::vector<Shape>& shapes, const ShapeContext& context);

}  // namespace vorlane
