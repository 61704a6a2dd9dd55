#pragma once

#include "AppearanceArt.h"
#include "PictureArt.h"

#include <string>

namespace vorlane {

// PNG copies of every picture of the theme, and two contact sheets: its dots
// pictures, and its finished pictures with every closed region filled in its
// own colour of `palette` (a leak shows at once).
void WriteThemePreview(const RenderedTheme& theme, const std::vector<QColor>& palette, const std::string& folder);

// PNG copies of the appearance's images, the themes' previews, and three mock
// game screens composed as the game composes them (white is transparent):
// joining dots, colouring, and the yes/no panel.
void WritePreview(const AppearanceRecipe& appearance, const std::vector<std::pair<QString, QImage>>& images,
                  const std::vector<RenderedTheme>& themes, const std::string& folder);

}  // namespace vorlane
