#pragma once

class QWidget;

namespace vorlane {

// Moves the window so that its frame is centred on the screen of `over` (the
// window it belongs to), or on its own screen when there is none.
void CentreOnScreen(QWidget& window, const QWidget* over = nullptr);

}  // namespace vorlane
