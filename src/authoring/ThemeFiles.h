#pragma once

#include "DotPicture.h"
#include "base/AtomicFile.h"

#include <QColor>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
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

inline constexpr std::size_t kLongestTitre = 240;  // bytes: a file name under Voix/Noms/ too

// A picture's name as theme.dat keeps it under Titre: one line (line breaks
// and other control characters become a space, runs of blanks one), without
// the blanks and the pair of quotes round it that a reader would take off,
// at most kLongestTitre bytes, not cut inside a UTF-8 character. "" for none.
std::string TitreValue(std::string_view name);

// theme.dat as written on Windows (CR LF): the [General] and [Configuration]
// sections, then one section per picture. The section says how its dots are
// labelled (Numeros, and Premier for numbers), which the game speaks, and
// the picture's name `titre` (no Titre key when it has none).
std::string ThemeDatHead(std::size_t pictures, bool check);
std::string PictureSection(std::uint32_t picture, const std::vector<QPoint>& points, const QColor& lineColour,
                           int lineWidth, bool printable, LabelStyle labels = LabelStyle::Numbers,
                           int firstNumber = 1, std::string_view titre = {});

}  // namespace vorlane
