// The launcher's display test and the start of the game.

#include "launcher/TProgramme.h"

#include "content/GameSettings.h"
#include "game/TfrmPrincipale.h"

#include <QPushButton>

namespace vorlane {

namespace {

constexpr int kTestedDepths[] = {32, 24, 16, 8};

}  // namespace

bool DisplayModeAvailable(TDXDraw& display, int width, int height, int bits)
{
    if (!display.Initialized())
        display.OpenDisplay();  // the test display has no doFullScreen: it opens in a window
    for (const TDisplayMode& mode : display.DisplayModes()) {
        if (mode.BitCount == bits && mode.Height == height && mode.Width == width)
            return true;
    }
    return false;
}

// Picks the first depth of 32, 24, 16 and 8 bits that the display offers at
// the game's size. This is the one handler that catches errors: a display that
// cannot even be asked leaves the start possible at 32 bits.
void TProgramme::TestDisplay()
{
    const int width = GameSettings.ScreenWidth;
    const int height = GameSettings.ScreenHeight;
    try {
        bool found = false;
        for (const int depth : kTestedDepths) {
            if (DisplayModeAvailable(dxDrawTest, width, height, depth)) {
                GameSettings.BitDepth = depth;
                found = true;
                break;
            }
        }
        if (!found) {
            QStringList depths;
            for (const int depth : kTestedDepths)
                depths << QString::number(depth);
            setWindowTitle(QStringLiteral("Mode DirectX %1x%2 - %3 bits non supporté !")
                               .arg(width)
                               .arg(height)
                               .arg(depths.join(QStringLiteral(", "))));
            btnLancer->setEnabled(false);
        }
    } catch (const std::exception&) {
        setWindowTitle(QStringLiteral("Mode DirectX non supporté !"));
    }
    if (GameSettings.DebugMode) {
        setWindowTitle(QStringLiteral("Mode DirectX %1x%2 - %3 bits.").arg(width).arg(height).arg(GameSettings.BitDepth));
    }
}

// The game opens its display and shows itself full screen; only then does
// the launcher hide. A failed opening raises before that, and the launcher
// stays as it was. The game window shows the launcher again when it closes.
void TProgramme::StartGame()
{
    if (frmPrincipale == nullptr)
        return;
    frmPrincipale->StartGame();
    hide();
}

}  // namespace vorlane
