#pragma once

#include "TracedDrawing.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QRectF>

#include <optional>
#include <vector>

namespace vorlane {

enum class LabelStyle { Numbers, UpperLetters, LowerLetters, ByTwo, ByFive, ByTen };
enum class Direction { Clockwise, Anticlockwise };

inline constexpr int kFewestDots = 5;
inline constexpr int kMostDots = 60;
inline constexpr int kMostLetterDots = 26;

// What the atelier's controls change.
struct DotOptions {
    int count = 20;                       // kFewestDots..kMostDots (26 at most with letters)
    LabelStyle style = LabelStyle::Numbers;
    int firstNumber = 1;                  // the first dot's number; letters always start at A / a
    std::optional<QPoint> firstDot;       // the dot nearest this point is the first; none: the topmost
    Direction direction = Direction::Clockwise;
    QColor lineColour = QColor(0x15, 0x65, 0xC0);  // the child's line (theme.dat Couleur)
    int lineWidth = 5;                    // the child's pen (theme.dat Ligne)

    bool operator==(const DotOptions&) const = default;
};

struct Dot {
    QPoint position;
    bool corner = false;  // kept where the outline turns sharply

    bool operator==(const Dot&) const = default;
};

// The styles as the command line and the saved choices name them: "1", "A",
// "a", "2", "5", "10".
QString LabelStyleName(LabelStyle style);
std::optional<LabelStyle> LabelStyleNamed(const QString& name);

// The text under dot `index` (0 for the first dot) in the given style.
QString DotLabel(const DotOptions& options, int index);

// How the dots find their places on the outline. One by one, each where the
// path strays most, suits most drawings. Slid afterwards along the outline,
// the dots follow an intricate outline closer, at the price of less room for
// the numbers: those of the stretches the child would stray from (mended),
// of the stretches near that (settled), or all of them, after dots from easy
// stretches have moved to hard ones (evened).
enum class Placement { OneByOne, Mended, Settled, Evened };

// Places options.count dots on the outline (fewer when the outline is too short
// to keep them six dot radii apart), corners first, in the order the child
// joins them. The outline points `skipped` (true, by outline index) get
// none, and the child's line goes across them.
std::vector<Dot> PlaceDots(const TracedDrawing& drawing, const DotOptions& options,
                           Placement placement = Placement::OneByOne, const std::vector<bool>& skipped = {});

// Puts dots edited by hand in the order options asks for: starting at the
// first dot (options.firstDot, else the topmost), turning in options.direction.
std::vector<Dot> OrderDots(std::vector<Dot> dots, const DotOptions& options);

// Points<NN>.bmp: the inner lines, the parts of the outline the dots leave out,
// the dots and their labels (the first dot larger and green).
QImage DrawDotsPicture(const TracedDrawing& drawing, const std::vector<Dot>& dots, const DotOptions& options);

// Where DrawDotsPicture puts the label of each dot: the box of its ink.
std::vector<QRectF> LabelBoxes(const TracedDrawing& drawing, const std::vector<Dot>& dots, const DotOptions& options);

// Up to `most` places on a line of the outline within three dot radii of
// dot `i`, nearest first, kept as far from the other dots as placed dots
// are: where the dot could go when its number has no room.
std::vector<QPoint> PlacesNear(const TracedDrawing& drawing, const std::vector<Dot>& dots, std::size_t i, int most);

// The outline point nearest `point`: where a dot dragged or added by hand goes.
QPoint NearestOutlinePoint(const TracedDrawing& drawing, QPoint point);

}  // namespace vorlane
