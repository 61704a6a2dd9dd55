// A click on the game screen: which zone was clicked, and the game's rules.
#include "game/TfrmPrincipale.h"

#include "content/ContentPlaces.h"
#include "content/GameSettings.h"
#include "content/PlayList.h"
#include "content/ThemeDat.h"
#include "content/VoiceFiles.h"
#include "display/PixelFormat.h"
#include "display/TDirectDrawSurfaceCanvas.h"
#include "print/zipUnzip.h"

#include <algorithm>
#include <filesystem>

namespace vorlane {

namespace {

enum Zone { kPicture = 0, kErase = 1, kNext = 3, kPrevious = 4, kStop = 5, kYes = 6, kNo = 7, kPalette = 8 };
enum Sound { kSoundYes = 0, kSoundNo = 1, kSoundHit = 2, kSoundMiss = 3, kSoundStop = 4, kSoundErase = 5,
             kSoundPrevious = 6, kSoundNext = 7, kSoundColour = 8 };
enum Action { kActionErase = 0, kActionNext = 1, kActionPrevious = 2, kActionStop = 3 };

}  // namespace

std::uint32_t TfrmPrincipale::Key(int zone) const
{
    return DXMasqueCouleurSurface->ColourAt(zone, 0) & 0xFFFFFF;
}

void TfrmPrincipale::Play(int slot)
{
    if (GameSettings.Son)
        PlaySound(ListeWav, slot, 0, 0);
}

// A word gives way to the next: the child who hits quickly hears each label
// from its start, never two at once. The hit sound plays over it, mixed.
void TfrmPrincipale::SayDot(std::int32_t point, bool finished)
{
    if (!GameSettings.Voix)
        return;
    for (int slot = 0; slot < ListeVoix.Count(); ++slot)
        StopSound(ListeVoix, slot);
    // The user's file first, then the program's; a missing or damaged one is
    // passed over, and with none the child hears the hit sound alone. No word
    // takes megabytes: such a file is passed over unread.
    const auto load = [](TWaveCollectionItem& slot, const std::string& file) {
        constexpr std::uintmax_t kLongestWord = 4 << 20;
        if (file.empty())
            return false;
        for (const std::string& path : ContentPlaces::Current().VoiceFiles(file)) {
            std::error_code missing;
            if (std::filesystem::file_size(path, missing) > kLongestWord)  // a missing file's size is the largest
                continue;
            try {
                slot.Wave().LoadWaveFile(path);
                return true;
            } catch (const EVorlaneError&) {
            }
        }
        return false;
    };
    const ThemeDat theme = CurrentThemeDat();
    const auto picture = static_cast<std::uint32_t>(NumeroImage);
    TWaveCollectionItem& label = ListeVoix.Items(0);
    const bool saidLabel = load(label, LabelVoiceFileName(theme.Etiquette(picture, static_cast<std::uint32_t>(point))));
    if (saidLabel)
        PlaySound(ListeVoix, 0, 0, 0);
    if (finished && load(ListeVoix.Items(1), NameVoiceFileName(theme.Titre(picture)))) {
        // The name after the label and a breath.
        constexpr std::uint64_t kPause = 250;
        const TWave& wave = label.Wave();
        const std::uint64_t rate = std::max<std::uint32_t>(wave.Format().samplesPerSec, 1);
        const std::uint64_t labelLength = saidLabel ? wave.FrameCount() * 1000 / rate + kPause : 0;
        PlaySound(ListeVoix, 1, 0, 0, static_cast<int>(std::min<std::uint64_t>(labelLength, 10000)));
    }
}

void TfrmPrincipale::ShowQuestion()
{
    const bool asks = PendingAction >= 0 && PendingAction < static_cast<std::int32_t>(DXQuestions.size()) &&
                      !DXQuestions[static_cast<std::size_t>(PendingAction)].Empty();
    LoadSurface(*DXOuiNonSurface, asks ? DXQuestions[static_cast<std::size_t>(PendingAction)] : DXOuiNon);
}

std::uint32_t TfrmPrincipale::CrayonColour(int x, int y)
{
    // The colour as the display shows it, as a pixel of the frame would give it.
    if (!DXCrayons.Empty()) {
        const PixelFormat format = DXCadreSurface->Format();
        return ColourFromPixel(format, PixelFromColour(format, DXCrayons.PixelColour(x, y)));
    }
    TDirectDrawSurfaceCanvas& frame = DXCadreSurface->SurfaceCanvas();
    const std::uint32_t colour = frame.PixelColour(x, y);
    frame.ReleaseCanvas();
    return colour;
}

void TfrmPrincipale::SaveColouredPicture()
{
    NumeroImage = CurrentEntry().PictureNo;
    const std::string path = ContentPlaces::Current().ThemeFileToWrite(CurrentThemeName(), CouleurFileName(NumeroImage));
    DXDessinSurface->CopyToBitmap(DXDessin);
    ZipBitmap(DXDessin, path);
}

void TfrmPrincipale::RunAction(std::int32_t action)
{
    switch (action) {
    case kActionErase:
        ClickEfface();
        break;
    case kActionNext:
        ClickDroite();
        break;
    case kActionPrevious:
        ClickGauche();
        break;
    case kActionStop:
        ClickStop();
        break;
    default:
        break;
    }
}

// Every test runs whenever its key matches the zone colour; none ends the
// handling, so one click can, for instance, finish a drawing and be heard.
void TfrmPrincipale::DXPrincipaleClick()
{
    // What a click changes (a line, a fill, the panel) shows at the next tick,
    // even when the mouse stays still, as a tap on a touchpad leaves it.
    RedrawNeeded = true;
    // The zone is read at the mouse position, the pointer's hotspot draws.
    const std::uint32_t zone =
        ConfirmShown ? DXMasqueOuiNonSurface->ColourAt(Coordinate(std::int64_t{MouseX} - XOuiNon),
                                                       Coordinate(std::int64_t{MouseY} - YouiNon))
                     : DXMasqueSurface->ColourAt(MouseX, MouseY);
    ZoneColour = static_cast<std::int32_t>(zone & 0xFFFFFF);
    const std::uint32_t zoneColour = static_cast<std::uint32_t>(ZoneColour);
    const std::int64_t hx = HotspotX();
    const std::int64_t hy = HotspotY();

    // A. The picture: joining the dots, then colouring.
    if (Key(kPicture) == zoneColour && !ConfirmShown) {
        TDirectDrawSurfaceCanvas& lines = DXLignesSurface->SurfaceCanvas();
        if (NumeroPoint == 1) {
            DXLignesSurface->FillColour(DXLignesSurface->MatchColour(kWhite));
            lines.MovePen(Coordinate(std::int64_t{XPoint} + XDessin), Coordinate(std::int64_t{YPoint} + YDessin));
        }
        const std::int64_t tolerance = GameSettings.Tolerance;
        const bool hit = XPoint - tolerance < hx && hx < XPoint + tolerance && YPoint - tolerance < hy &&
                         hy < YPoint + tolerance;
        if (!hit)
            PendingClickSound = kSoundMiss;
        if (!hit && NumeroPoint > 0)
            m_cue.Missed(Clock());
        std::int32_t joined = 0;
        // -1 marks a point the drawing cannot pass.
        if (hit && XPoint != -1 && YPoint != -1 && TailleLigne != -1 && NumeroPoint > 0) {
            lines.SetPenWidth(TailleLigne);
            lines.SetPenColour(LineColour);
            lines.LineTo(Coordinate(std::int64_t{XPoint} + XDessin), Coordinate(std::int64_t{YPoint} + YDessin));
            lines.ReleaseCanvas();
            joined = NumeroPoint++;
            m_cue.Hit(Clock());
            PendingClickSound = kSoundHit;
            LoadStage = 2;
            ChargeRessources(2);
            if (NumeroPoint == NombrePoints + 1) {
                DXLignesSurface->FillColour(DXLignesSurface->MatchColour(kWhite));
                NumeroPoint = -1;
                m_cue.Hide();
            }
        }
        if (NumeroPoint < 0) {
            LoadStage = 3;
            // Without its finished picture there is nothing to colour: after
            // the error box the game goes back to the launcher, as a picture
            // change that fails does.
            if (!ShownOnError([this] { ChargeRessources(3); })) {
                ClickStop();
                return;
            }
            ColouringJustBegun = true;
            // A refused mark is reported once; the child colours on all the same.
            ShownOnError([this] {
                CurrentThemeDat().WriteImprimer(static_cast<std::uint32_t>(NumeroImage), true);
            });
        }
        // The finishing click is silent: NumeroPoint is 0 by now.
        if (GameSettings.Son && NumeroPoint != 0) {
            if (PendingClickSound == kSoundHit) {
                Play(kSoundHit);
                PendingClickSound = -1;
            } else if (PendingClickSound == kSoundMiss) {
                Play(kSoundMiss);
                PendingClickSound = -1;
            }
        }
        // Every dot joined is said, the last one too, then the picture's name.
        if (joined > 0)
            SayDot(joined, NumeroPoint == 0);
        if (NumeroPoint == 0) {
            if (ColouringJustBegun) {
                ColouringJustBegun = false;
            } else if ((DXDessinSurface->ColourAt(Coordinate(hx), Coordinate(hy)) & 0xFFFFFF) != 0) {
                PushFill(MouseX, MouseY, CouleurColoriage);
                TDirectDrawSurfaceCanvas& picture = DXDessinSurface->SurfaceCanvas();
                picture.SetBrushColour(CouleurColoriage);
                picture.SetBrushStyle(TBrushStyle::Solid);
                picture.FillToBorder(Coordinate(hx), Coordinate(hy), 0x000000);
                picture.ReleaseCanvas();
                Play(kSoundColour);
            }
        }
    }

    // B to E. Actions: at once while nothing is drawn, else after a yes.
    struct ActionZone {
        int zone;
        int sound;
        int action;
    };
    static constexpr ActionZone kActions[] = {
        {kErase, kSoundErase, kActionErase},
        {kNext, kSoundNext, kActionNext},
        {kPrevious, kSoundPrevious, kActionPrevious},
        {kStop, kSoundStop, kActionStop},
    };
    for (const ActionZone& action : kActions) {
        if (Key(action.zone) != zoneColour)
            continue;
        Play(action.sound);
        if (NumeroPoint == 1) {
            RunAction(action.action);
        } else {
            ConfirmShown = true;
            PendingAction = action.action;
            ShowQuestion();
        }
    }

    // F and G. The answers. A coloured picture that cannot be saved is
    // reported once; the answer still takes effect, so the child is never
    // held on the panel.
    if (Key(kYes) == zoneColour) {
        if (NumeroPoint == 0)
            ShownOnError([this] { SaveColouredPicture(); });
        Play(kSoundYes);
        RunAction(PendingAction);
    }
    if (Key(kNo) == zoneColour) {
        if (NumeroPoint == 0)
            ShownOnError([this] { SaveColouredPicture(); });
        Play(kSoundNo);
        ConfirmShown = false;
    }

    // H. The palette, while colouring.
    if (Key(kPalette) == zoneColour && NumeroPoint == 0) {
        Play(kSoundColour);
        if (!ColouringJustBegun) {
            CouleurColoriage = CrayonColour(Coordinate(std::int64_t{MouseX} + PointeurOffsetX),
                                            Coordinate(std::int64_t{MouseY} + PointeurOffsetY));
            TDirectDrawSurfaceCanvas& lines = DXLignesSurface->SurfaceCanvas();
            lines.SetBrushColour(CouleurColoriage);
            lines.SetBrushStyle(TBrushStyle::Solid);
            lines.FillToBorder(XCouleur, YCouleur, 0x000000);
            lines.ReleaseCanvas();
        }
    }

    // A click on nothing while colouring (beside the crayons, on the frame's
    // decoration) changes nothing, and says so.
    if (NumeroPoint == 0 && !ConfirmShown) {
        bool anyZone = false;
        for (const int zone : {kPicture, kErase, kNext, kPrevious, kStop, kYes, kNo, kPalette})
            anyZone = anyZone || Key(zone) == zoneColour;
        if (!anyZone)
            Play(kSoundMiss);
    }
}

}  // namespace vorlane
