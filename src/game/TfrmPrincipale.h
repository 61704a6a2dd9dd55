#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "display/TDIB.h"
#include "display/TDXDraw.h"
#include "display/TDXTimer.h"
#include "display/TDirectDrawSurface.h"
#include "display/TDXSound.h"
#include "display/TDXWaveList.h"
#include "game/NextDotCue.h"

namespace vorlane {

class DXDrawView;
class TDirectDrawSurfaceCanvas;
class ThemeDat;
struct TTheme;

// One colouring fill, kept so that a rebuilt picture can be coloured again:
// the mouse position of the click and the colour it filled with.
struct TFillRecord {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::uint32_t Colour = 0;
};

// The full-screen game window. A game walks the PlayList picture by picture:
// the child joins the dots (NumeroPoint 1 up to NombrePoints), then colours the
// finished picture (NumeroPoint 0), and may erase, change picture or stop.
//
// The window itself only forwards events: every handler is public and works
// over the display's memory surfaces, shown or not, so a whole game can be
// played without a screen. Zones are told apart by colour: the mask images
// hold one colour per zone, and the top row of the key image says which.
class TfrmPrincipale : public QWidget {
public:
    static constexpr int kFillHistorySize = 1024;
    static constexpr std::uint32_t kWhite = 0xFFFFFF;

    // Creates the window hidden and runs FormCreate: the display takes
    // GameSettings' screen mode, so the launcher settles it first.
    explicit TfrmPrincipale(QWidget* parent = nullptr);
    ~TfrmPrincipale() override;

    // ---- What the launcher provides --------------------------------------
    // The name of the appearance selected in the launcher, read at each load.
    std::function<std::string()> SelectedAppearance;
    // Shows the launcher again; called when the game window closes.
    std::function<void()> ShowLauncher;
    // Shows an error in the application's error box and returns. The game uses
    // it where it must go on after a failure (a coloured picture that cannot
    // be saved, a picture that cannot be loaded); unset, such an error is
    // raised to the caller like any other.
    std::function<void(const std::exception&)> ShowError;
    // Milliseconds, wrapping: what paces the next dot's help. Tests set their own.
    std::function<std::uint32_t()> Clock = TDXTimer::SystemMilliseconds;

    // The start button's action: opens the display (which loads the first
    // picture), shows this window full screen and runs FormShow. On an error
    // the window stays hidden with its display closed, and the error is raised:
    // the launcher is left as it was.
    void StartGame();

    // ---- Components, in declaration order ---------------------------------
    TDXDraw DXPrincipale;
    TDXTimer DXTimer;
    TDIB DXPointeur;       // C_Pointeur
    TDIB DXCadre;          // F_Principale, then F_Coloriage while colouring
    TDIB DXMasque;         // MF_Principale
    TDIB DXMasqueCouleur;  // M_Couleurs: the zone key row
    TDIB DXDessin;         // Points<NN>.bmp, then Image<NN>.bmp while colouring
    TDIB DXLignes;         // F_Lignes
    TDIB DXOuiNon;         // F_Confirmation
    TDIB DXMasqueOuiNon;   // MF_Confirmation
    // The panel as it asks each question (erase, next, previous, stop), when
    // the appearance has it: F_Confirmation_Efface... at F_Confirmation's
    // size, over the same mask. Empty otherwise: the plain panel asks.
    std::array<TDIB, 4> DXQuestions;
    // Every crayon's area with its margin, painted in its colour (M_Crayons),
    // when the appearance has it: a click on a crayon's cork or highlight
    // takes the crayon's colour, not the cork's. Empty otherwise.
    TDIB DXCrayons;
    // Opened with the window; without a sound device the game plays silently.
    TDXSound SonMaker{SoundOpening::Automatic};
    TDXWaveList ListeWav{SonMaker};
    // The voice: slot 0 says the label of the dot just hit, slot 1 the
    // finished picture's name after it (Voix/ files, see VoiceFiles.h).
    TDXWaveList ListeVoix{SonMaker};

    // ---- The eight surfaces, one per bitmap, in the same order ------------
    // Never null: released surfaces are replaced by empty ones.
    std::unique_ptr<TDirectDrawSurface> DXPointeurSurface;
    std::unique_ptr<TDirectDrawSurface> DXCadreSurface;
    std::unique_ptr<TDirectDrawSurface> DXMasqueSurface;
    std::unique_ptr<TDirectDrawSurface> DXMasqueCouleurSurface;
    std::unique_ptr<TDirectDrawSurface> DXDessinSurface;
    std::unique_ptr<TDirectDrawSurface> DXLignesSurface;
    std::unique_ptr<TDirectDrawSurface> DXOuiNonSurface;
    std::unique_ptr<TDirectDrawSurface> DXMasqueOuiNonSurface;

    // ---- Fields ------------------------------------------------------------
    std::int32_t MouseX = 0;
    std::int32_t MouseY = 0;
    bool RedrawNeeded = false;       // a frame is due at the next tick
    std::int32_t XOuiNon = 0;        // the yes/no panel's screen position
    std::int32_t YouiNon = 0;
    std::int32_t TailleLigne = 0;    // pen width of the segment ending at the next point
    std::uint32_t LineColour = 0;
    std::int32_t NombrePoints = 0;
    std::int32_t XPoint = 0;         // the next point, in picture coordinates
    std::int32_t YPoint = 0;
    // 1 nothing drawn yet, 2..NombrePoints drawing, -1 finishing, 0 colouring.
    std::int32_t NumeroPoint = 0;
    std::int32_t NumeroImage = 0;
    std::int32_t ZoneColour = 0;     // masked mask pixel under the last click
    bool ConfirmShown = false;
    std::int32_t PendingAction = 0;  // 0 erase, 1 next, 2 previous, 3 stop
    bool ColouringJustBegun = false;
    std::int32_t PendingClickSound = 0;  // -1 none, 2 hit, 3 miss

    // ---- Session state -----------------------------------------------------
    // The appearance's layout (XOuiNon and YouiNon are the fields above).
    std::int32_t PointeurOffsetX = 0;
    std::int32_t PointeurOffsetY = 0;
    std::int32_t XDessin = 0;
    std::int32_t YDessin = 0;
    std::int32_t XCouleur = 0;
    std::int32_t YCouleur = 0;
    std::uint32_t CouleurColoriage = kWhite;
    // Set only while lost surfaces are rebuilt: the loads keep the progress.
    bool Restoring = false;
    // The loading mode last asked for, which a rebuild repeats.
    std::int32_t LoadStage = 0;
    // The fills of the picture as a ring: slots 1 to 1024, FillHistory[slot - 1].
    std::array<TFillRecord, kFillHistorySize> FillHistory{};
    std::int32_t FillHistoryFirst = 1;
    std::int32_t FillHistoryNext = 1;

    // ---- Session -----------------------------------------------------------
    void FormCreate();
    void FormShow();
    void FormClose();
    void DXPrincipaleMouseMove(std::int32_t x, std::int32_t y);
    // 0 appearance and dots picture, 1 first point, 2 next point, 3 colouring.
    void ChargeRessources(std::int32_t mode);
    void ClickEfface();
    void ClickDroite();
    void ClickGauche();
    void ClickStop();
    void ClearFillHistory();
    void PushFill(std::int32_t x, std::int32_t y, std::uint32_t colour);
    // The fills kept, oldest first.
    std::vector<TFillRecord> Fills() const;

    // ---- Clicks ------------------------------------------------------------
    void DXPrincipaleClick();

    // ---- Frame composition -------------------------------------------------
    void DXTimerTimer(int lagCount);
    void DXPrincipaleInitialize();
    void DXPrincipaleRestoreSurface();
    void DXPrincipaleFinalize();
    void ChargeSurface();
    // Paints the colour indicator and re-applies the fills of FillHistory.
    void ReplayColouring(TDirectDrawSurfaceCanvas& picture, TDirectDrawSurfaceCanvas& lines);
    // The debug overlay: the y of each line and its text.
    std::vector<std::pair<int, std::string>> DebugOverlayLines() const;

    // The glow that shows a stuck child the next dot.
    const NextDotCue& Cue() const { return m_cue; }

    // The pointer's hotspot in picture coordinates.
    std::int64_t HotspotX() const;
    std::int64_t HotspotY() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    const TTheme& CurrentEntry() const;
    // The current picture's theme folder name, its description file and one
    // of its content files.
    std::string CurrentThemeName() const;
    ThemeDat CurrentThemeDat() const;
    std::string CurrentThemeContent(const std::string& file) const;
    std::string AppearanceName() const;
    void RestartPicture(int move);
    // Runs `action`; an error it raises is handed to ShowError and false is
    // returned, so that the caller can go on. Without ShowError it is raised.
    template <class Action>
    bool ShownOnError(Action&& action)
    {
        try {
            std::forward<Action>(action)();
            return true;
        } catch (const std::exception& error) {
            if (!ShowError)
                throw;
            ShowError(error);
            return false;
        }
    }
    void Play(int slot);
    // Says the label of dot `point` of the current picture, and the picture's
    // name after it when `finished`; silent where no voice file can be read.
    void SayDot(std::int32_t point, bool finished);
    // Shows the panel asking the pending action's question.
    void ShowQuestion();
    // The colour the palette gives for a click with the hotspot at (x, y), screen pixels.
    std::uint32_t CrayonColour(int x, int y);
    std::uint32_t Key(int zone) const;
    void SaveColouredPicture();
    // 0 erase, 1 next, 2 previous, 3 stop; any other number nothing.
    void RunAction(std::int32_t action);
    void RedrawLines();
    void ReleaseSurfaces();
    std::array<std::unique_ptr<TDirectDrawSurface>*, 8> Surfaces();
    // A coordinate for the surface operations: sums past int's range lie
    // outside every surface anyway.
    static int Coordinate(std::int64_t value);

    // One layer of a frame as it was drawn: which surface in which state, and where.
    struct FrameLayer {
        const TDirectDrawSurface* surface = nullptr;
        std::uint64_t version = 0;
        std::uint32_t key = 0;
        int x = 0;
        int y = 0;
        bool shown = false;
    };
    // The layers in drawing order: picture, lines, frame, panel, pointer.
    using FrameLayers = std::array<FrameLayer, 5>;
    // The next dot's glow as a frame shows it, on the page under the picture.
    struct CueLayer {
        QPoint centre;
        int radius = 0;  // 0: none
        bool operator==(const CueLayer&) const = default;
    };
    struct ComposedFrame {
        FrameLayers layers;
        CueLayer cue;
        std::uint64_t backVersion = 0;
    };
    ComposedFrame CurrentFrame() const;
    // Where the frame differs from the last one when its layers only moved or
    // appeared (the pointer, the panel) and the glow changed; nothing when
    // more changed than that.
    std::optional<QRegion> MovedParts(const ComposedFrame& frame) const;
    void ComposeFrame(const ComposedFrame& frame, const QRect& clip);

    DXDrawView* m_view = nullptr;
    NextDotCue m_cue;
    // The last frame composed without the debug overlay.
    std::optional<ComposedFrame> m_lastFrame;
};

// Loads a surface from its bitmap with white as its transparent colour, as
// every surface of the game is loaded.
void LoadSurface(TDirectDrawSurface& surface, const TDIB& bitmap);

// The game window of the running program, created at start-up.
inline TfrmPrincipale* frmPrincipale = nullptr;

}  // namespace vorlane
