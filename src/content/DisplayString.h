#pragma once

#include <QString>
#include <string_view>

namespace vorlane {

// Names and texts from INI files and folder names are bytes. They are shown as
// UTF-8, or as Latin-1 when they are not valid UTF-8 (content written on Windows).
QString DisplayString(std::string_view bytes);

}  // namespace vorlane
