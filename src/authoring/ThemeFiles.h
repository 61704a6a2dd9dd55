#pragma once

#include "DotPicture.h"
#include "base/AtomicFile.h"

#include <QColor>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorlane {

inline constexpr qsizetype kLongestFolderName = 64;

// A folder name the launcher lists (it skips hidden ones) and that Windows can
// hold too, since content is shared between both.
bool IsFolderName(const QString& name);

// Makes the folder and its parents; returns it. Raises EWriteError.
std::string MakeFolder(const std::string& path);

// Replaces a text file atomically. Raises EWriteError.
void WriteTextFile(const std::string& path, const std::string& text);

// theme.dat as written on Windows (CR LF): the [General] and [Configuration]
// sections, then one section per picture. The section says how its dots are
// labelled (Numeros, and Premier for numbers), which the game speaks.
std::string ThemeDatHead(std::size_t pictures, bool check);
std::string PictureSection(std::uint32_t picture, const std::vector<QPoint>& points, const QColor& lineColour,
                           int lineWidth, bool printable, LabelStyle labels = LabelStyle::Numbers,
                           int firstNumber = 1);

}  // namespace vorlane
