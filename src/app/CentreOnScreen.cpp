#include "app/CentreOnScreen.h"

#include <QScreen>
#include <QWidget>

namespace vorlane {

void CentreOnScreen(QWidget& window, const QWidget* over)
{
    const QScreen* screen = over != nullptr ? over->screen() : window.screen();
    if (screen == nullptr)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace vorlane
