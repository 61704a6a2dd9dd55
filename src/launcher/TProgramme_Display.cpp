// The launcher's display test and the start of the game.

#include "launcher/TProgramme.h"

#include "content/GameSettings.h"

namespace vorlane {

// FIXME: the test of the display's full-screen modes (32, 24, 16 and 8 bits at
// ScreenWidth x ScreenHeight, through TDXDraw's DisplayModes) comes with the
// display layer; until then the game runs at 32 bits.
void TProgramme::TestDisplay()
{
    if (GameSettings.DebugMode) {
        setWindowTitle(QStringLiteral("Mode DirectX %1x%2 - %3 bits.")
                           .arg(GameSettings.ScreenWidth)
                           .arg(GameSettings.ScreenHeight)
                           .arg(GameSettings.BitDepth));
    }
}

// FIXME: the game window comes with the game: open frmPrincipale's display
// (DXPrincipale.OpenDisplay at ScreenWidth x ScreenHeight x BitDepth), show
// frmPrincipale, then hide the launcher; the game window's FormClose shows
// the launcher again. A failed opening raises, and the launcher stays as it was.
void TProgramme::StartGame()
{
}

}  // namespace vorlane
