#include "AppearanceArt.h"

#include "content/AppearanceDat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

#include <algorithm>
#include <functional>

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
    return zones;
}

QPointF SwatchPlace(const AppearanceRecipe::Palette& palette, std::size_t i)
{
    const auto column = static_cast<int>(i) % palette.columns;
    const auto row = static_cast<int>(i) / palette.columns;
    return palette.origin + QPointF(column * palette.step.x(), row * palette.step.y());
}

// Which crayon every screen pixel answers for: the pixels of each crayon's
// picture (the bottle with its cork and highlight, the whole pencil), then
// those within the palette's margin of one, to the nearest; -1 elsewhere.
class CrayonAreas {
public:
    explicit CrayonAreas(const AppearanceRecipe& appearance)
        : m_screen(appearance.screen), m_owner(static_cast<std::size_t>(m_screen.width() * m_screen.height()), -1)
    {
        const auto& palette = appearance.palette;
        // Room for the outlines' width, which the bounds leave out.
        const int room = 8;
        const QRect cell = SwatchBounds(palette).toAlignedRect().adjusted(-room, -room, room, room);
        for (std::size_t i = 0; i < palette.colours.size(); ++i) {
            const QPointF at = SwatchPlace(palette, i);
            const QRect place = cell.translated(at.toPoint());
            QImage drawn(place.size(), QImage::Format_ARGB32_Premultiplied);
            drawn.fill(Qt::transparent);
            {
                QPainter painter(&drawn);
                ShapeContext swatch;
                swatch.toPixels = QTransform::fromTranslate(at.x() - place.x(), at.y() - place.y());
                swatch.swatch = palette.colours[i];
                DrawShapes(painter, palette.art, swatch);
            }
            for (int y = 0; y < drawn.height(); ++y)
                for (int x = 0; x < drawn.width(); ++x)
                    if (qAlpha(drawn.pixel(x, y)) != 0)
                        Own(place.x() + x, place.y() + y, static_cast<int>(i));
            m_box |= place;
        }
        GrowByMargin(palette.margin);
    }

    int Owner(int x, int y) const
    {
        return QRect(QPoint(), m_screen).contains(x, y) ? m_owner[Index(x, y)] : -1;
    }

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * m_screen.width() + x; }
    void Own(int x, int y, int crayon)
    {
        if (QRect(QPoint(), m_screen).contains(x, y))
            m_owner[Index(x, y)] = crayon;
    }
    void GrowByMargin(int margin)
    {
        const std::vector<int> drawn = m_owner;
        const QRect box = m_box.adjusted(-margin, -margin, margin, margin) & QRect(QPoint(), m_screen);
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                if (drawn[Index(x, y)] >= 0)
                    continue;
                int nearest = margin * margin + 1;
                for (int dy = -margin; dy <= margin; ++dy)
                    for (int dx = -margin; dx <= margin; ++dx) {
                        const int d = dx * dx + dy * dy;
                        if (d < nearest && QRect(QPoint(), m_screen).contains(x + dx, y + dy) &&
                            drawn[Index(x + dx, y + dy)] >= 0) {
                            nearest = d;
                            m_owner[Index(x, y)] = drawn[Index(x + dx, y + dy)];
                        }
                    }
            }
    }

    QSize m_screen;
    QRect m_box;
    std::vector<int> m_owner;
};

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
        const QPointF at = SwatchPlace(palette, i);
        swatch.toPixels = QTransform::fromTranslate(at.x(), at.y());
        swatch.swatch = palette.colours[i];
        DrawShapes(painter, palette.art, swatch);
    }
    DrawIndicator(painter, appearance);
    return image;
}

// The panel: its art, then `top` (the plain question mark, or a question),
// then the buttons.
QImage RenderPanel(const AppearanceRecipe& appearance, const std::function<void(QPainter&)>& top)
{
    QImage panel = Blank(appearance.panel.size, Qt::white);
    QPainter painter(&panel);
    DrawShapes(painter, appearance.panel.art, ShapeContext{});
    top(painter);
    for (const ZoneArea& zone : appearance.panel.zones)
        DrawShapes(painter, zone.art, ShapeContext{});
    return panel;
}

// The panel asking for `zone`'s action: that button small in the icon's
// square, the question beside it.
QImage RenderQuestion(const AppearanceRecipe& appearance, Zone zone, const QString& question)
{
    return RenderPanel(appearance, [&](QPainter& painter) {
        const auto& panel = appearance.panel;
        for (const ZoneArea& button : appearance.buttons) {
            if (button.zone != zone)
                continue;
            const QRectF bounds = ShapeBounds(button.hit);
            const double scale = std::min(panel.icon.width() / bounds.width(), panel.icon.height() / bounds.height());
            ShapeContext icon;
            icon.toPixels = QTransform::fromTranslate(-bounds.center().x(), -bounds.center().y()) *
                            QTransform::fromScale(scale, scale) *
                            QTransform::fromTranslate(panel.icon.center().x(), panel.icon.center().y());
            DrawShapes(painter, button.art, icon);
        }
        Shape text = panel.text;
        text.text = question;
        DrawShape(painter, text, ShapeContext{});
    });
}

// The actions whose questions the panel asks, in the order of kQuestionImages.
constexpr std::array<Zone, 4> kQuestionZones = {Zone::Erase, Zone::Next, Zone::Previous, Zone::Stop};

}  // namespace

QRectF SwatchBounds(const AppearanceRecipe::Palette& palette)
{
    QRectF art;
    for (const Shape& shape : palette.art)
        art |= ShapeBounds(shape);
    return art;
}

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
    appearance.palette.margin = static_cast<int>(NumberOr(palette, "margin", appearance.palette.margin, 0, 16));
    if (appearance.palette.columns < 1 || appearance.palette.colours.empty())
        Fail("la palette a des colonnes et des couleurs");

    if (object.contains(QLatin1String("cue"))) {
        const QJsonObject cue = object[QLatin1String("cue")].toObject();
        appearance.cue.centre = ParseColour(Need(cue, "centre"));
        appearance.cue.edge = ParseColour(Need(cue, "edge"));
    }

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
    appearance.panel.ask = ShapesOrNone(panel, "ask");
    appearance.panel.zones = ParseZones(Need(panel, "zones"));
    if (panel.contains(QLatin1String("questions"))) {
        const QJsonObject questions = panel[QLatin1String("questions")].toObject();
        const QJsonArray icon = Need(questions, "icon").toArray();
        appearance.panel.icon = QRectF(icon[0].toDouble(), icon[1].toDouble(), icon[2].toDouble(), icon[3].toDouble());
        if (appearance.panel.icon.isEmpty())
            Fail("« icon » : un carré où dessiner le bouton");
        QJsonObject text = Need(questions, "text").toObject();
        text[QLatin1String("text")] = QStringLiteral("?");
        appearance.panel.text = ParseShape(text);
        for (const Zone zone : kQuestionZones)
            appearance.panel.questions.emplace_back(zone,
                                                    Need(questions, kZoneNames[static_cast<std::size_t>(zone)]).toString());
    }

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
    // Each crayon answers over its whole picture and margin: the palette's zone
    // where the tip shows it (shifted back like every zone), and M_Crayons,
    // read at the tip, giving the crayon's colour there.
    const CrayonAreas areas(appearance);
    QImage crayons = Blank(appearance.screen, Qt::white);
    const QColor paletteKey = appearance.keys[static_cast<std::size_t>(Zone::Palette)];
    for (int y = 0; y < appearance.screen.height(); ++y)
        for (int x = 0; x < appearance.screen.width(); ++x)
            if (const int owner = areas.Owner(x, y); owner >= 0) {
                crayons.setPixelColor(x, y, appearance.palette.colours[static_cast<std::size_t>(owner)]);
                const QPoint zone = QPoint(x, y) - appearance.pointer.hotspot;
                if (mask.rect().contains(zone))
                    mask.setPixelColor(zone, paletteKey);
            }

    QImage keys(kZoneCount, 1, QImage::Format_RGB32);
    for (int i = 0; i < kZoneCount; ++i)
        keys.setPixelColor(i, 0, appearance.keys[static_cast<std::size_t>(i)]);

    QImage lines = Blank(appearance.screen, Qt::white);
    {
        QPainter painter(&lines);
        DrawIndicator(painter, appearance);
    }

    const QImage panel = RenderPanel(appearance, [&](QPainter& painter) {
        DrawShapes(painter, appearance.panel.ask, ShapeContext{});
    });
    QImage panelMask = Blank(appearance.panel.size, Qt::black);
    PaintZones(panelMask, appearance, appearance.panel.zones);

    std::vector<std::pair<QString, QImage>> images = {
        {QStringLiteral("C_Pointeur"), pointer},
        {QStringLiteral("F_Principale"), RenderFrame(appearance, false)},
        {QStringLiteral("F_Coloriage"), RenderFrame(appearance, true)},
        {QStringLiteral("MF_Principale"), mask},
        {QStringLiteral("M_Couleurs"), keys},
        {QStringLiteral("F_Lignes"), lines},
        {QStringLiteral("F_Confirmation"), panel},
        {QStringLiteral("MF_Confirmation"), panelMask},
        {QLatin1String(kCrayonsImage), crayons},
    };
    for (const auto& [zone, question] : appearance.panel.questions) {
        const auto asked = std::find(kQuestionZones.begin(), kQuestionZones.end(), zone) - kQuestionZones.begin();
        images.emplace_back(QLatin1String(kQuestionImages[static_cast<std::size_t>(asked)]),
                            RenderQuestion(appearance, zone, question));
    }
    return images;
}

}  // namespace vorlane
