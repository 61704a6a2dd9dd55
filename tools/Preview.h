#pragma once

#include "AppearanceArt.h"
#include "PictureArt.h"

#include <string>

namespace vorlane {

// PNG copies of the appearance's images and of every picture, contact sheets
// of each theme with every closed region filled in its own colour (a leak
// shows at once), and three mock game screens composed as the game composes
// them (white is transparent): joining dots, colouring, and the yes/no panel.
void WritePreview(const AppearanceRecipe& appearance, const std::vector<std::pair<QString, QImage>>& images,
                  const std::vector<RenderedTheme>& themes, const std::string& folder);

}  // namespace vorlane
