#include "AppearanceArt.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

namespace vorlane {

namespace {

constexpr std::array<const char*, kZoneCount> kZoneNames = {
    "picture", "erase", "unused", "next", "previous", "stop", "yes", "no", "palette"};

[[noreturn]] void Fail(const std::string& what)
{
    throw EDemoDataError("apparence : " + what);
}

QJsonValue Need(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object[QLatin1String(key)];
    if (value.isUndefined())
        Fail(std::string("« ") + key + " » manque");
    return value;
}

QPoint IntPair(const QJsonValue& value, const char* what)
{
    const QJsonArray array = value.toArray();
    if (array.size() != 2 || !array[0].isDouble() || !array[1].isDouble())
        Fail(std::string("« ") + what + " » attend deux entiers");
    return QPoint(array[0].toInt(), array[1].toInt());
}

Zone ParseZone(const QJsonValue& value)
{
    for (std::size_t i = 0; i < kZoneNames.size(); ++i)
        if (value.toString() == QLatin1String(kZoneNames[i]))
            return static_cast<Zone>(i);
    Fail("zone inconnue : " + value.toString().toStdString());
}

std::vector<ZoneArea> ParseZones(const QJsonValue& value)
{
    std::vector<ZoneArea> areas;
    for (const QJsonValue item : value.toArray()) {
        const QJsonObject object = item.toObject();
        ZoneArea area;
        area.zone = ParseZone(Need(object, "zone"));
        area.hit = ParseShape(Need(object, "hit"));
        if (object.contains(QLatin1String("art")))
            area.art = ParseShapes(object[QLatin1String("art")]);
        areas.push_back(std::move(area));
    }
    return areas;
}

std::vector<Shape> ShapesOrNone(const QJsonObject& object, const char* key)
{
    return object.contains(QLatin1String(key)) ? ParseShapes(object[QLatin1String(key)]) : std::vector<Shape>{};
}

QImage Blank(QSize size, const QColor& colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QTransform Shift(QPoint by)
{
    return QTransform::fromTranslate(by.x(), by.y());
}

// Zones are read at the mouse position, which is the pointer image's top-left
// corner, while the pencil acts at its tip: each zone is painted shifted back by
// the tip's offset, so that a zone answers exactly where the tip shows it.
void PaintZones(QImage& mask, const AppearanceRecipe& appearance, const std::vector<ZoneArea>& areas)
{
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing, false);
    ShapeContext context;
    context.toPixels = Shift(-appearance.pointer.hotspot);
    for (const ZoneArea& area : areas)
        painter.fillPath(ShapePath(area.hit, context), appearance.keys[static_cast<std::size_t>(area.zone)]);
}

std::vector<ZoneArea> MainZones(const AppearanceRecipe& appearance)
{
    std::vector<ZoneArea> zones;
    ZoneArea picture;
    picture.zone = Zone::Picture;
    picture.hit.kind = Shape::Kind::Rect;
    picture.hit.rect = QRectF(appearance.picture);
    picture.hit.corner = appearance.pictureCorner;
    zones.push_back(picture);
    for (const ZoneArea& button : appearance.buttons)
        zones.push_back(button);
    const auto& palette = appearance.palette;
    for (std::size_t i = 0; i < palette.colours.size(); ++i) {
        ZoneArea swatch;
        swatch.zone = Zone::Palette;
        swatch.hit.kind = Shape::Kind::Rect;
        const auto column = static_cast<int>(i) % palette.columns;
        const auto row = static_cast<int>(i) / palette.columns;
        swatch.hit.rect = palette.hit.translated(palette.origin + QPointF(column * palette.step.x(), row * palette.step.y()));
        zones.push_back(swatch);
    }
    return zones;
}

// The indicator outline, white inside: F_Lignes holds it, and F_Coloriage opens
// a window onto it.
void DrawIndicator(QPainter& painter, const AppearanceRecipe& appearance)
{
    Shape outline = appearance.indicator.shape;
    outline.fill = Paint{Paint::Kind::Solid, Qt::white, {}};
    outline.stroke = Paint{Paint::Kind::Solid, Qt::black, {}};
    outline.width = appearance.indicator.outlineWidth;
    outline.antialias = false;
    DrawShape(painter, outline, ShapeContext{});
}

QImage RenderFrame(const AppearanceRecipe& appearance, bool colouring)
{
    QImage image = Blank(appearance.screen, Qt::white);
    QPainter painter(&image);
    const ShapeContext screen;
    DrawShapes(painter, appearance.frame, screen);
    // The picture's window is cut aliased, after the art: no half-white pixel at its edge.
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPainterPath window;
    window.addRoundedRect(QRectF(appearance.picture), appearance.pictureCorner, appearance.pictureCorner);
    painter.fillPath(window, Qt::white);
    for (const ZoneArea& button : appearance.buttons)
        DrawShapes(painter, button.art, screen);
    if (!colouring) {
        DrawShapes(painter, appearance.drawingFrame, screen);
        return image;
    }
    DrawShapes(painter, appearance.colouringFrame, screen);
    const auto& palette = appearance.palette;
    for (std::size_t i = 0; i < palette.colours.size(); ++i) {
        ShapeContext swatch;
        const auto column = static_cast<int>(i) % palette.columns;
        const auto row = static_cast<int>(i) / palette.columns;
        const QPointF at = palette.origin + QPointF(column * palette.step.x(), row * palette.step.y());
        swatch.toPixels = QTransform::fromTranslate(at.x(), at.y());
        swatch.swatch = palette.colours[i];
        DrawShapes(painter, palette.art, swatch);
    }
    DrawIndicator(painter, appearance);
    return image;
}

}  // namespace

AppearanceRecipe ParseAppearance(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (document.isNull())
        Fail("JSON illisible : " + error.errorString().toStdString());
    const QJsonObject object = document.object();
    AppearanceRecipe appearance;
    appearance.folder = Need(object, "folder").toString();

    const QJsonObject picture = Need(object, "picture").toObject();
    const QJsonArray rect = Need(picture, "rect").toArray();
    appearance.picture = QRect(rect[0].toInt(), rect[1].toInt(), rect[2].toInt(), rect[3].toInt());
    appearance.pictureCorner = NumberOr(picture, "corner", 0);

    const QJsonObject keys = Need(object, "keys").toObject();
    for (std::size_t i = 0; i < kZoneNames.size(); ++i)
        appearance.keys[i] = ParseColour(Need(keys, kZoneNames[i]));

    appearance.frame = ShapesOrNone(object, "frame");
    appearance.drawingFrame = ShapesOrNone(object, "drawingFrame");
    appearance.colouringFrame = ShapesOrNone(object, "colouringFrame");
    appearance.buttons = ParseZones(Need(object, "buttons"));

    const QJsonObject palette = Need(object, "palette").toObject();
    appearance.palette.origin = IntPair(Need(palette, "origin"), "origin");
    appearance.palette.step = IntPair(Need(palette, "step"), "step");
    appearance.palette.columns = Need(palette, "columns").toInt();
    for (const QJsonValue colour : Need(palette, "colours").toArray())
        appearance.palette.colours.push_back(ParseColour(colour));
    appearance.palette.art = ParseShapes(Need(palette, "art"));
    const QJsonArray hit = Need(palette, "hit").toArray();
    appearance.palette.hit = QRectF(hit[0].toDouble(), hit[1].toDouble(), hit[2].toDouble(), hit[3].toDouble());
    if (appearance.palette.columns < 1 || appearance.palette.colours.empty())
        Fail("la palette a des colonnes et des couleurs");

    const QJsonObject indicator = Need(object, "indicator").toObject();
    appearance.indicator.point = IntPair(Need(indicator, "point"), "point");
    appearance.indicator.shape = ParseShape(Need(indicator, "shape"));
    appearance.indicator.outlineWidth = NumberOr(indicator, "outlineWidth", appearance.indicator.outlineWidth);
    if (appearance.indicator.outlineWidth < 3)
        Fail("le contour de l'indicateur a au moins 3 pixels");

    const QJsonObject pointer = Need(object, "pointer").toObject();
    const QPoint pointerSize = IntPair(Need(pointer, "size"), "size");
    appearance.pointer.size = QSize(pointerSize.x(), pointerSize.y());
    appearance.pointer.hotspot = IntPair(Need(pointer, "hotspot"), "hotspot");
    appearance.pointer.art = ParseShapes(Need(pointer, "art"));

    const QJsonObject panel = Need(object, "panel").toObject();
    appearance.panel.position = IntPair(Need(panel, "position"), "position");
    const QPoint panelSize = IntPair(Need(panel, "size"), "size");
    appearance.panel.size = QSize(panelSize.x(), panelSize.y());
    appearance.panel.art = ParseShapes(Need(panel, "art"));
    appearance.panel.zones = ParseZones(Need(panel, "zones"));

    for (const QJsonValue sound : Need(object, "sounds").toArray())
        appearance.sounds.push_back(ParseSound(sound));
    return appearance;
}

std::vector<std::pair<QString, QImage>> RenderAppearance(const AppearanceRecipe& appearance)
{
    QImage pointer = Blank(appearance.pointer.size, Qt::white);
    {
        QPainter painter(&pointer);
        DrawShapes(painter, appearance.pointer.art, ShapeContext{});
    }

    QImage mask = Blank(appearance.screen, Qt::black);
    PaintZones(mask, appearance, MainZones(appearance));

    QImage keys(kZoneCount, 1, QImage::Format_RGB32);
    for (int i = 0; i < kZoneCount; ++i)
        keys.setPixelColor(i, 0, appearance.keys[static_cast<std::size_t>(i)]);

    QImage lines = Blank(appearance.screen, Qt::white);
    {
        QPainter painter(&lines);
        DrawIndicator(painter, appearance);
    }

    QImage panel = Blank(appearance.panel.size, Qt::white);
    {
        QPainter painter(&panel);
        DrawShapes(painter, appearance.panel.art, ShapeContext{});
        for (const ZoneArea& zone : appearance.panel.zones)
            DrawShapes(painter, zone.art, ShapeContext{});
    }
    QImage panelMask = Blank(appearance.panel.size, Qt::black);
    PaintZones(panelMask, appearance, appearance.panel.zones);

    return {
        {QStringLiteral("C_Pointeur"), pointer},
        {QStringLiteral("F_Principale"), RenderFrame(appearance, false)},
        {QStringLiteral("F_Coloriage"), RenderFrame(appearance, true)},
        {QStringLiteral("MF_Principale"), mask},
        {QStringLiteral("M_Couleurs"), keys},
        {QStringLiteral("F_Lignes"), lines},
        {QStringLiteral("F_Confirmation"), panel},
        {QStringLiteral("MF_Confirmation"), panelMask},
    };
}

}  // namespace vorlane
