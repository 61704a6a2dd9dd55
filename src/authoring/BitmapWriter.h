#pragma once

#include <QImage>

#include <string>

namespace vorlane {

// Writes the image as a 24-bit Windows BMP through the program's own bitmap
// writer, replacing the file atomically. Raises EWriteError.
void WriteBitmapFile(const QImage& image, const std::string& path);

}  // namespace vorlane
