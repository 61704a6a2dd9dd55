// Frame composition: the eight surfaces, their rebuilding after a loss, and
// what each tick of the frame timer draws.
#include "game/TfrmPrincipale.h"

#include <cstdio>

#include "content/GameSettings.h"
#include "content/ThemeDat.h"
#include "display/DXDrawView.h"
#include "display/TDirectDrawSurfaceCanvas.h"

namespace vorlane {

namespace {

std::int64_t Area(const QRect& rect) { return std::int64_t{rect.width()} * rect.height(); }

std::string Hex8(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

// Sets a flag for the length of a scope, on every path out of it: a rebuild
// that fails must not leave the loads keeping stale progress.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ScopedFlag() { m_flag = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& m_flag;
};

}  // namespace

std::array<std::unique_ptr<TDirectDrawSurface>*, 8> TfrmPrincipale::Surfaces()
{
    return {&DXPointeurSurface, &DXCadreSurface, &DXMasqueSurface, &DXMasqueCouleurSurface,
            &DXDessinSurface,   &DXLignesSurface, &DXOuiNonSurface, &DXMasqueOuiNonSurface};
}

void TfrmPrincipale::ReleaseSurfaces()
{
    m_lastFrame.reset();
    for (auto* surface : Surfaces())
        *surface = std::make_unique<TDirectDrawSurface>(DXPrincipale);
}

void TfrmPrincipale::DXTimerTimer(int /*lagCount*/)
{
    // A rebuild that fails leaves surfaces that no game can be played on.
    bool ready = false;
    if (!ShownOnError([this, &ready] { ready = DXPrincipale.ReadyToDraw(); })) {
        ClickStop();
        return;
    }
    if (!ready)
        return;
    // The next dot's glow pulses by itself: its own small frames, only while it shows.
    if (m_cue.Advance(Clock()))
        RedrawNeeded = true;
    if (!RedrawNeeded)
        return;
    RedrawNeeded = false;
    TDirectDrawSurface& back = DXPrincipale.BackBuffer();
    const ComposedFrame frame = CurrentFrame();
    // A frame whose layers only moved is composed and presented where they
    // were and where they are, for a mouse move one small rectangle, for the
    // glow the dot's; any other frame is composed whole and presented where
    // it differs.
    if (const std::optional<QRegion> moved = MovedParts(frame)) {
        for (const QRect& part : *moved)
            ComposeFrame(frame, part);
        DXPrincipale.PresentFrame(*moved);
        m_lastFrame = ComposedFrame{frame.layers, frame.cue, back.Version()};
        return;
    }
    ComposeFrame(frame, back.Rect());
    if (GameSettings.DebugMode) {
        TDirectDrawSurfaceCanvas& canvas = back.SurfaceCanvas();
        canvas.SetBrushStyle(TBrushStyle::Clear);
        canvas.SetFontColour(0x000000);
        canvas.SetFontSize(12);
        for (const auto& [y, text] : DebugOverlayLines())
            canvas.WriteText(20, y, text);
        canvas.ReleaseCanvas();
    }
    DXPrincipale.PresentFrame();
    // The overlay is no layer and changes at every frame: the frame after one
    // that showed it is composed whole.
    if (GameSettings.DebugMode)
        m_lastFrame.reset();
    else
        m_lastFrame = ComposedFrame{frame.layers, frame.cue, back.Version()};
}

TfrmPrincipale::ComposedFrame TfrmPrincipale::CurrentFrame() const
{
    const auto layer = [](const std::unique_ptr<TDirectDrawSurface>& surface, int x, int y, bool shown) {
        return FrameLayer{surface.get(), surface->Version(), surface->TransparentColour(), x, y, shown};
    };
    ComposedFrame frame{{layer(DXDessinSurface, XDessin, YDessin, true), layer(DXLignesSurface, 0, 0, true),
                         layer(DXCadreSurface, 0, 0, true), layer(DXOuiNonSurface, XOuiNon, YouiNon, ConfirmShown),
                         layer(DXPointeurSurface, MouseX, MouseY, true)},
                        {},
                        0};
    // -1 marks a dot the drawing cannot pass, and a dot off the screen has
    // nothing to show either.
    const std::int64_t x = std::int64_t{XPoint} + XDessin;
    const std::int64_t y = std::int64_t{YPoint} + YDessin;
    const QRect screen = DXPrincipale.BackBuffer().Rect();
    if (m_cue.Radius() > 0 && NumeroPoint > 0 && XPoint != -1 && YPoint != -1 && x >= screen.left() &&
        x <= screen.right() && y >= screen.top() && y <= screen.bottom())
        frame.cue = {QPoint(static_cast<int>(x), static_cast<int>(y)), m_cue.Radius()};
    return frame;
}

std::optional<QRegion> TfrmPrincipale::MovedParts(const ComposedFrame& frame) const
{
    const TDirectDrawSurface& back = DXPrincipale.BackBuffer();
    if (GameSettings.DebugMode || !m_lastFrame || m_lastFrame->backVersion != back.Version())
        return std::nullopt;
    const auto onScreen = [&back](const FrameLayer& layer) {
        return layer.shown ? back.Covered(layer.x, layer.y, *layer.surface) : QRect();
    };
    QRegion moved;
    for (std::size_t i = 0; i < frame.layers.size(); ++i) {
        const FrameLayer& was = m_lastFrame->layers[i];
        const FrameLayer& now = frame.layers[i];
        if (was.surface != now.surface || was.version != now.version || was.key != now.key)
            return std::nullopt;
        if (was.x == now.x && was.y == now.y && was.shown == now.shown)
            continue;
        // A pointer's step: one rectangle around where it was and is, fewer
        // pieces to paint and send than their union.
        const QRect before = onScreen(was);
        const QRect after = onScreen(now);
        const QRect both = before.united(after);
        if (Area(both) <= 2 * (Area(before) + Area(after)))
            moved += both;
        else
            moved += QRegion(before) + after;
    }
    if (m_lastFrame->cue != frame.cue)
        for (const CueLayer& cue : {m_lastFrame->cue, frame.cue})
            if (cue.radius > 0)
                moved += NextDotCue::Area(cue.centre) & back.Rect();
    return moved;
}

void TfrmPrincipale::ComposeFrame(const ComposedFrame& frame, const QRect& clip)
{
    TDirectDrawSurface& back = DXPrincipale.BackBuffer();
    back.FillColour(back.MatchColour(kWhite), clip);
    // On the page, under the picture: the dot and its label stay on top.
    if (frame.cue.radius > 0)
        m_cue.Draw(back, frame.cue.centre, clip);
    for (const FrameLayer& layer : frame.layers)
        if (layer.shown)
            back.DrawSurface(layer.x, layer.y, layer.surface, Transparency::Keyed, clip);
}

std::vector<std::pair<int, std::string>> TfrmPrincipale::DebugOverlayLines() const
{
    const auto text = [](std::int64_t value) { return std::to_string(value); };
    const std::int64_t hx = HotspotX();
    const std::int64_t hy = HotspotY();
    const std::int64_t tolerance = GameSettings.Tolerance;
    const std::uint32_t picture = DXDessinSurface->ColourAt(Coordinate(hx), Coordinate(hy)) & 0xFFFFFF;
    const std::uint32_t frame = DXCadreSurface->ColourAt(Coordinate(std::int64_t{MouseX} + PointeurOffsetX),
                                                         Coordinate(std::int64_t{MouseY} + PointeurOffsetY));
    return {
        {40, "FPS: " + text(DXTimer.TickRate())},
        {60, "Souris =" + text(MouseX) + ", " + text(MouseY)},
        {80, "Couleur =" + text(static_cast<std::uint32_t>(ZoneColour))},
        {100, "NombrePoints =" + text(NombrePoints)},
        {120, "XPoint =" + text(XPoint) + ", YPoint =" + text(YPoint)},
        {140, "TailleLigne =" + text(TailleLigne)},
        {160, "NumeroPoint =" + text(NumeroPoint)},
        {180, "Xmouse - XDessin + PointeurOffsetX =" + text(hx)},
        {200, "XPoint - Tolerance =" + text(XPoint - tolerance)},
        {220, "XPoint + Tolerance =" + text(XPoint + tolerance)},
        {240, "Ymouse - YDessin + PointeurOffsetY =" + text(hy)},
        {260, "YPoint - Tolerance =" + text(YPoint - tolerance)},
        {280, "Ypoint + Tolerance =" + text(YPoint + tolerance)},
        {300, "NumeroImage =" + text(NumeroImage)},
        {320, "Couleur Dessin =" + Hex8(picture)},
        {340, "CouleurColoriage =" + Hex8(CouleurColoriage)},
        {360, "Couleur Fond =" + Hex8(frame)},
        {380, "ColorDepth =" + text(DXPrincipale.BackBuffer().BitsPerPixel())},
    };
}

void TfrmPrincipale::ChargeSurface()
{
    if (!Restoring) {
        NumeroImage = 1;
        NumeroPoint = 1;
    }
    m_view->setGeometry(rect());
    m_view->setCursor(Qt::BlankCursor);
    ChargeRessources(LoadStage);
    const TDIB* const bitmaps[] = {&DXPointeur, &DXCadre, &DXMasque, &DXMasqueCouleur,
                                   &DXDessin,   &DXLignes, &DXOuiNon, &DXMasqueOuiNon};
    const auto surfaces = Surfaces();
    for (std::size_t i = 0; i < surfaces.size(); ++i)
        LoadSurface(**surfaces[i], *bitmaps[i]);
    if (ConfirmShown)
        ShowQuestion();
    DXTimer.SetEnabled(true);
}

void TfrmPrincipale::DXPrincipaleInitialize()
{
    ConfirmShown = false;
    LoadStage = 0;
    ReleaseSurfaces();
    ChargeSurface();
}

void TfrmPrincipale::DXPrincipaleRestoreSurface()
{
    ReleaseSurfaces();
    {
        const ScopedFlag restoring(Restoring);
        ChargeSurface();
    }
    if (NumeroPoint == 0)
        ReplayColouring(DXDessinSurface->SurfaceCanvas(), DXLignesSurface->SurfaceCanvas());
    else if (NumeroPoint > 0)
        RedrawLines();
    // A restored display is black until a frame is composed: show the game
    // at once rather than after the next mouse move.
    RedrawNeeded = true;
}

// The lines of the points joined so far, as the hits drew them; the pen then
// rests on the last point joined and the point values are those of the next.
void TfrmPrincipale::RedrawLines()
{
    TDirectDrawSurfaceCanvas& canvas = DXLignesSurface->SurfaceCanvas();
    canvas.SetPenColour(LineColour);
    const ThemeDat theme = CurrentThemeDat();
    for (std::int32_t i = 1; i <= NumeroPoint; ++i) {
        const ThemePoint point = theme.Point(static_cast<std::uint32_t>(NumeroImage), static_cast<std::uint32_t>(i));
        TailleLigne = point.Ligne;
        XPoint = point.X;
        YPoint = point.Y;
        canvas.SetPenWidth(TailleLigne);
        const int x = Coordinate(std::int64_t{XPoint} + XDessin);
        const int y = Coordinate(std::int64_t{YPoint} + YDessin);
        if (i == 1)
            canvas.MovePen(x, y);
        else if (i < NumeroPoint)
            canvas.LineTo(x, y);
    }
    canvas.ReleaseCanvas();
}

void TfrmPrincipale::ReplayColouring(TDirectDrawSurfaceCanvas& picture, TDirectDrawSurfaceCanvas& lines)
{
    lines.SetBrushColour(CouleurColoriage);
    lines.SetBrushStyle(TBrushStyle::Solid);
    lines.FillToBorder(XCouleur, YCouleur, 0x000000);
    lines.ReleaseCanvas();
    if (FillHistoryFirst == FillHistoryNext)
        return;
    picture.SetBrushStyle(TBrushStyle::Solid);
    for (const TFillRecord& fill : Fills()) {
        picture.SetBrushColour(fill.Colour);
        picture.FillToBorder(Coordinate(std::int64_t{fill.X} - XDessin + PointeurOffsetX),
                             Coordinate(std::int64_t{fill.Y} - YDessin + PointeurOffsetY), 0x000000);
    }
    picture.ReleaseCanvas();
}

void TfrmPrincipale::DXPrincipaleFinalize()
{
    DXTimer.SetEnabled(false);
    ReleaseSurfaces();
}

}  // namespace vorlane
