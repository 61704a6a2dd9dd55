// The game session: what each stage loads, the moves between pictures and the
// colouring history.
#include "game/TfrmPrincipale.h"

#include "content/AppearanceDat.h"
#include "content/ContentPlaces.h"
#include "content/PlayList.h"
#include "content/GameSettings.h"
#include "content/ThemeDat.h"

#include <filesystem>

namespace vorlane {

namespace {

constexpr std::array<const char*, 7> kAppearanceImages = {
    "C_Pointeur", "F_Principale", "MF_Principale", "M_Couleurs", "F_Lignes", "F_Confirmation", "MF_Confirmation"};

void LoadAppearanceImage(TDIB& bitmap, const std::string& appearance, const char* image)
{
    bitmap.LoadBitmapFile(ContentPlaces::Current().AppearanceContentFile(appearance, AppearanceImageFileName(image)));
}

// An image an appearance may go without: empty when it has none, or one that
// cannot be read or is not `size`. The game then does as it did before such
// images were made; `vorlane-content check` tells the designer.
void LoadOptionalImage(TDIB& bitmap, const std::string& appearance, const char* image, QSize size)
{
    bitmap.Clear();
    const std::string path = ContentPlaces::Current().AppearanceContentFile(appearance, AppearanceImageFileName(image));
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return;
    try {
        bitmap.LoadBitmapFile(path);
    } catch (const EVorlaneError&) {
        bitmap.Clear();
    }
    if (QSize(bitmap.Width(), bitmap.Height()) != size)
        bitmap.Clear();
}

}  // namespace

void LoadSurface(TDirectDrawSurface& surface, const TDIB& bitmap)
{
    surface.LoadFromBitmap(bitmap);
    surface.SetTransparentColour(surface.MatchColour(TfrmPrincipale::kWhite));
}

const TTheme& TfrmPrincipale::CurrentEntry() const
{
    // The launcher starts no game without pictures; a list that holds none
    // all the same must not send the game reading past its end.
    if (PlayIndex < 1 || PlayIndex > PlayCount || static_cast<std::size_t>(PlayIndex) >= PlayList.size())
        throw EVorlaneError("Aucune image à jouer : les thèmes choisis ne contiennent pas d'image.");
    return PlayList[static_cast<std::size_t>(PlayIndex)];
}

std::string TfrmPrincipale::CurrentThemeName() const
{
    const std::string& folder = CurrentEntry().ThemeDir;
    return folder.ends_with('/') ? folder.substr(0, folder.size() - 1) : folder;
}

ThemeDat TfrmPrincipale::CurrentThemeDat() const
{
    return ThemeDat::ForTheme(CurrentThemeName());
}

std::string TfrmPrincipale::CurrentThemeContent(const std::string& file) const
{
    return ContentPlaces::Current().ThemeContentFile(CurrentThemeName(), file);
}

std::string TfrmPrincipale::AppearanceName() const
{
    return SelectedAppearance ? SelectedAppearance() : std::string();
}

void TfrmPrincipale::ChargeRessources(std::int32_t mode)
{
    const std::string appearance = AppearanceName();
    switch (mode) {
    case 0: {
        TDIB* const images[] = {&DXPointeur, &DXCadre, &DXMasque, &DXMasqueCouleur,
                                &DXLignes, &DXOuiNon, &DXMasqueOuiNon};
        for (std::size_t i = 0; i < kAppearanceImages.size(); ++i)
            LoadAppearanceImage(*images[i], appearance, kAppearanceImages[i]);
        for (std::size_t slot = 0; slot < kAppearanceSounds.size(); ++slot)
            ListeWav.Items(static_cast<int>(slot))
                .Wave().LoadWaveFile(ContentPlaces::Current().AppearanceContentFile(
                    appearance, AppearanceSoundFileName(kAppearanceSounds[slot])));
        for (std::size_t i = 0; i < kQuestionImages.size(); ++i)
            LoadOptionalImage(DXQuestions[i], appearance, kQuestionImages[i], QSize(DXOuiNon.Width(), DXOuiNon.Height()));
        NumeroImage = CurrentEntry().PictureNo;
        DXDessin.LoadBitmapFile(CurrentThemeContent(PointsFileName(NumeroImage)));
        LoadSurface(*DXCadreSurface, DXCadre);
        const AppearanceDat appearanceDat = AppearanceDat::ForAppearance(appearance);
        m_cue.SetColours(appearanceDat.Cue());
        const AppearanceLayout layout = appearanceDat.Layout();
        PointeurOffsetX = layout.PointeurOffsetX;
        PointeurOffsetY = layout.PointeurOffsetY;
        XDessin = layout.XDessin;
        YDessin = layout.YDessin;
        XOuiNon = layout.XOuiNon;
        YouiNon = layout.YouiNon;
        XCouleur = layout.XCouleur;
        YCouleur = layout.YCouleur;
        break;
    }
    case 1:
        if (!Restoring) {
            // The section is that of the picture loaded last; the entry's
            // number is taken afresh below.
            const ThemeDat theme = CurrentThemeDat();
            NombrePoints = theme.NombrePoints(NumeroImage);
            LineColour = static_cast<std::uint32_t>(theme.Couleur(NumeroImage));
            const ThemePoint first = theme.Point(NumeroImage, 1);
            TailleLigne = first.Ligne;
            XPoint = first.X;
            YPoint = first.Y;
            m_cue.PictureStarted(GameSettings.AidePoint, Clock());
        }
        NumeroImage = CurrentEntry().PictureNo;
        DXDessin.LoadBitmapFile(CurrentThemeContent(PointsFileName(NumeroImage)));
        break;
    case 2:
        if (!Restoring) {
            const ThemePoint next = CurrentThemeDat().Point(NumeroImage, NumeroPoint);
            TailleLigne = next.Ligne;
            XPoint = next.X;
            YPoint = next.Y;
        }
        break;
    case 3:
        NumeroImage = CurrentEntry().PictureNo;
        DXDessin.LoadBitmapFile(CurrentThemeContent(ImageFileName(NumeroImage)));
        LoadAppearanceImage(DXCadre, appearance, "F_Coloriage");
        LoadOptionalImage(DXCrayons, appearance, kCrayonsImage, QSize(DXCadre.Width(), DXCadre.Height()));
        LoadSurface(*DXLignesSurface, DXLignes);
        LoadSurface(*DXCadreSurface, DXCadre);
        LoadSurface(*DXDessinSurface, DXDessin);
        if (!Restoring) {
            CouleurColoriage = kWhite;
            NumeroPoint = 0;
            ClearFillHistory();
            m_cue.Hide();
        }
        break;
    default:
        break;
    }
}

void TfrmPrincipale::ClickEfface() { RestartPicture(0); }

void TfrmPrincipale::ClickDroite() { RestartPicture(+1); }

void TfrmPrincipale::ClickGauche() { RestartPicture(-1); }

// Starts the drawing stage on the same (move 0), next (+1) or previous (-1)
// entry of the PlayList, wrapping around at both ends.
void TfrmPrincipale::RestartPicture(int move)
{
    ConfirmShown = false;
    NumeroPoint = 1;
    if (move > 0 && ++PlayIndex == PlayCount + 1)
        PlayIndex = 1;
    if (move < 0 && --PlayIndex == 0)
        PlayIndex = PlayCount;
    // Half of a new picture loaded is no screen to play on: after the error
    // box the game goes back to the launcher.
    const bool loaded = ShownOnError([this, move] {
        if (move != 0)
            NumeroImage = CurrentEntry().PictureNo;
        ChargeRessources(0);
        LoadStage = 1;
        ChargeRessources(1);
        DXLignesSurface->FillColour(DXLignesSurface->MatchColour(kWhite));
        LoadSurface(*DXDessinSurface, DXDessin);
    });
    if (!loaded)
        ClickStop();
}

void TfrmPrincipale::ClickStop() { close(); }

void TfrmPrincipale::ClearFillHistory()
{
    FillHistoryFirst = 1;
    FillHistoryNext = 1;
}

void TfrmPrincipale::PushFill(std::int32_t x, std::int32_t y, std::uint32_t colour)
{
    FillHistory[static_cast<std::size_t>(FillHistoryNext - 1)] = {x, y, colour};
    if (++FillHistoryNext > kFillHistorySize)
        FillHistoryNext = 1;
    // One slot always stays free, so a full ring keeps 1023 fills.
    if (FillHistoryFirst == FillHistoryNext && ++FillHistoryFirst > kFillHistorySize)
        FillHistoryFirst = 1;
}

std::vector<TFillRecord> TfrmPrincipale::Fills() const
{
    std::vector<TFillRecord> fills;
    for (std::int32_t slot = FillHistoryFirst; slot != FillHistoryNext; slot = slot % kFillHistorySize + 1)
        fills.push_back(FillHistory[static_cast<std::size_t>(slot - 1)]);
    return fills;
}

}  // namespace vorlane
