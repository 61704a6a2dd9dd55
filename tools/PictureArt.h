#pragma once

#include "DotPicture.h"
#include "Shape.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>
#include <vector>

namespace vorlane {

// One picture of a theme as the data file describes it: the dots in the order
// the child joins them (the outline runs smoothly through them and closes from
// the last back to the first) and the inner details, in any units: the drawing
// is scaled to fit the picture.
struct PictureRecipe {
    QString name;
    std::optional<QColor> lineColour;
    std::vector<ShapePoint> dots;
    std::vector<Shape> details;
    // How the dots are labelled: "labels" 1, A, a, 2, 5 or 10 and "first",
    // the first number, as the atelier names them; the theme's unless given.
    std::optional<LabelStyle> labels;
    std::optional<int> firstNumber;
    // The theme's unless given; by default the size the atelier gives as many dots.
    std::optional<double> dotRadius;
    std::optional<double> labelSize;
};

struct ThemeRecipe {
    QString folder;
    QSize size;
    double margin = 40;        // room for the numbers around the drawing
    std::optional<double> dotRadius;
    std::optional<double> labelSize;  // pixel height of the dot numbers
    int lineWidth = 5;         // pen of the child's lines (theme.dat "Ligne")
    double outlineWidth = 6;   // finished outline
    double detailWidth = 4;    // thinnest inner line
    QColor lineColour;         // theme.dat "Couleur" unless the picture has its own
    LabelStyle labels = LabelStyle::Numbers;
    int firstNumber = 1;
    std::vector<PictureRecipe> pictures;
};

// Reads a theme data file. Raises EDemoDataError naming the picture at fault.
ThemeRecipe ParseTheme(const QByteArray& json);

struct RenderedPicture {
    std::vector<QPoint> points;  // the dots in picture pixels, as theme.dat gives them
    QPainterPath outline;        // the finished outline, through every dot
    QColor lineColour;
    QImage dots;                 // Points<NN>.bmp
    QImage finished;             // Image<NN>.bmp: pure black aliased lines on white
};

// The picture's dot radius and number size: its own, the theme's, or else
// the atelier's for its count of dots.
DotSize SizeOf(const ThemeRecipe& theme, const PictureRecipe& picture);

RenderedPicture RenderPicture(const ThemeRecipe& theme, const PictureRecipe& picture);

struct RenderedTheme {
    ThemeRecipe recipe;
    std::vector<RenderedPicture> pictures;
};

}  // namespace vorlane
