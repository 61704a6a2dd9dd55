#pragma once

#include "Shape.h"
#include "SoundSynth.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <array>
#include <utility>
#include <vector>

namespace vorlane {

// Screen zones told apart by the masks; the value is the key pixel's column in M_Couleurs.
enum class Zone { Picture = 0, Erase = 1, Unused = 2, Next = 3, Previous = 4, Stop = 5, Yes = 6, No = 7, Palette = 8 };
constexpr int kZoneCount = 9;

// A clickable area: where it lies and what it looks like.
struct ZoneArea {
    Zone zone = Zone::Picture;
    Shape hit;               // painted in the zone's key colour in the mask
    std::vector<Shape> art;  // drawn in the frame or the panel
};

// The appearance as its data file describes it. Every place is in screen
// pixels, except the pointer's and the panel's art, in their own images' pixels.
struct AppearanceRecipe {
    QString folder;
    QSize screen{1024, 768};
    QRect picture;             // where the pictures show (XDessin, YDessin and their size)
    double pictureCorner = 0;
    std::array<QColor, kZoneCount> keys;
    std::vector<Shape> frame;           // both frames, under the buttons
    std::vector<Shape> drawingFrame;    // F_Principale only
    std::vector<Shape> colouringFrame;  // F_Coloriage only, under the palette
    std::vector<ZoneArea> buttons;
    struct Palette {
        QPointF origin;
        QPointF step;        // from one swatch to the next in a row, and from row to row
        int columns = 1;
        std::vector<QColor> colours;
        std::vector<Shape> art;  // one swatch at (0, 0); paint "swatch" is its colour
        int margin = 4;          // pixels around a crayon's picture that still pick it
    } palette;
    struct Cue {
        QColor centre{0xFF, 0xD5, 0x4F};  // the next dot's glow (apparence.dat CouleurAideCentre)
        QColor edge{0xFF, 0x8A, 0x65};    // its rim (CouleurAideBord)
    } cue;
    struct Indicator {
        QPoint point;            // XCouleur, YCouleur
        Shape shape;             // a closed outline around it
        double outlineWidth = 5;
    } indicator;
    struct Pointer {
        QSize size;
        QPoint hotspot;          // PointeurOffsetX, PointeurOffsetY
        std::vector<Shape> art;
    } pointer;
    struct Panel {
        QPoint position;         // XOuiNon, YouiNon
        QSize size;
        std::vector<Shape> art;
        std::vector<Shape> ask;        // the plain panel's question, drawn over `art`
        std::vector<ZoneArea> zones;
        // The panel as it asks each action (F_Confirmation_Efface...): the
        // action's button drawn small in `icon` and its question in `text`,
        // instead of `ask`. None without questions.
        QRectF icon;
        Shape text;
        std::vector<std::pair<Zone, QString>> questions;
    } panel;
    std::vector<SoundRecipe> sounds;
};

// Where one swatch's art lies, drawn at (0, 0), outlines' width left out.
QRectF SwatchBounds(const AppearanceRecipe::Palette& palette);

// Reads an appearance data file. Raises EDemoDataError.
AppearanceRecipe ParseAppearance(const QByteArray& json);

// The eight images by file name (without extension), in the game's loading
// order, then those the game uses when they are there: M_Crayons, which gives
// every pixel of a crayon's picture and its margin the crayon's colour, and
// the panel as it asks each question (F_Confirmation_Efface...).
std::vector<std::pair<QString, QImage>> RenderAppearance(const AppearanceRecipe& appearance);

}  // namespace vorlane
