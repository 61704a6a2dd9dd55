#include "game/TfrmPrincipale.h"

#include <QCloseEvent>
#include <QScreen>
#include <algorithm>
#include <climits>

#include "content/AppearanceDat.h"
#include "content/GameSettings.h"
#include "display/DXDrawView.h"

namespace vorlane {

TfrmPrincipale::TfrmPrincipale(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Vorlane"));
    // Closing the game brings the launcher back; it never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    DXPrincipale.Options = {TDXDrawOption::doFullScreen, TDXDrawOption::doAllowReboot, TDXDrawOption::doWaitVBlank,
                            TDXDrawOption::doCenter, TDXDrawOption::doHardware};
    DXPrincipale.OnInitialize = [this] { DXPrincipaleInitialize(); };
    DXPrincipale.OnRestoreSurface = [this] { DXPrincipaleRestoreSurface(); };
    DXPrincipale.OnFinalize = [this] { DXPrincipaleFinalize(); };
    m_view = new DXDrawView(DXPrincipale, this);
    m_view->OnMouseMove = [this](int x, int y) { DXPrincipaleMouseMove(x, y); };
    m_view->OnClick = [this] { DXPrincipaleClick(); };

    DXTimer.SetActiveOnly(true);
    DXTimer.SetInterval(0);
    DXTimer.SetEnabled(false);
    DXTimer.OnTimer = [this](int lagCount) { DXTimerTimer(lagCount); };

    ReleaseSurfaces();
    FormCreate();
}

TfrmPrincipale::~TfrmPrincipale()
{
    // The display's last event reaches a whole window.
    DXPrincipale.CloseDisplay();
}

void TfrmPrincipale::FormCreate()
{
    DXPrincipale.Display = {GameSettings.ScreenWidth, GameSettings.ScreenHeight, GameSettings.BitDepth};
    PendingClickSound = -1;
    for (std::size_t slot = 0; slot < kAppearanceSounds.size(); ++slot)
        ListeWav.Add();
    ListeVoix.Add();  // the dot's label
    ListeVoix.Add();  // the picture's name
    // SonMaker opened itself with the window.
    ClearFillHistory();
    ConfirmShown = false;
}

void TfrmPrincipale::StartGame()
{
    try {
        DXPrincipale.OpenDisplay();
        // Without a window manager a full-screen request alone leaves a small
        // window: take the screen's geometry first.
        if (const QScreen* screen = this->screen())
            setGeometry(screen->geometry());
        showFullScreen();
        FormShow();
    } catch (...) {
        DXTimer.SetEnabled(false);
        hide();
        DXPrincipale.CloseDisplay();
        throw;
    }
}

void TfrmPrincipale::FormShow()
{
    DXTimer.SetEnabled(true);
    RedrawNeeded = true;
    LoadStage = 1;
    ChargeRessources(1);
}

void TfrmPrincipale::FormClose()
{
    DXTimer.SetEnabled(false);
    m_cue.Hide();
    if (ShowLauncher)
        ShowLauncher();
}

void TfrmPrincipale::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TfrmPrincipale::DXPrincipaleMouseMove(std::int32_t x, std::int32_t y)
{
    MouseX = x;
    MouseY = y;
    RedrawNeeded = true;
}

std::int64_t TfrmPrincipale::HotspotX() const
{
    return std::int64_t{MouseX} + PointeurOffsetX - XDessin;
}

std::int64_t TfrmPrincipale::HotspotY() const
{
    return std::int64_t{MouseY} + PointeurOffsetY - YDessin;
}

int TfrmPrincipale::Coordinate(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

}  // namespace vorlane
