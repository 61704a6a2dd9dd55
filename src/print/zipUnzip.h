#pragma once

#include "base/Errors.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vorlane {

class TDIB;

// "Impossible d'ouvrir le fichier %s": the file at an archive path cannot be
// read as a ZIP archive (empty, not a ZIP, damaged, encrypted member...).
class EInvalidArchive : public EFOpenError {
public:
    using EFOpenError::EFOpenError;
};

// "Image bitmap incorrecte": the archive's member is not a readable BMP file.
class EInvalidBitmap : public EVorlaneError {
public:
    EInvalidBitmap();
};

// Stores `bitmap` as the member "couleur.bmp" of the coloured-picture archive at
// `path`: a 24-bit BMP, deflated at the fast setting (general-purpose flag 4), or
// stored when deflating would make it larger. Other members of an existing
// archive are kept; every older "couleur.bmp" is dropped, so exactly one remains.
// The file is replaced atomically and flushed to disk before this returns. A
// file at `path` that is not a readable archive is left untouched and reported
// (EFOpenError, EInvalidArchive); a refused write raises EWriteError.
void ZipBitmap(const TDIB& bitmap, const std::string& path);

// Replaces `image` by the bitmap of the member "couleur.bmp" of the archive at
// `path`; an archive without that member gives an empty image. Raises
// EFOpenError when the file cannot be read, EInvalidArchive when it is empty or
// not a readable archive, EInvalidBitmap when the member is not a readable BMP
// (the image is then unchanged).
void UnzipBitmap(const std::string& path, TDIB& image);

// The in-memory halves of the two operations. `existingArchive` holds the bytes
// of the archive being updated (empty for a new one); `path` only names the file
// in errors.
std::vector<std::uint8_t> MakeBitmapArchive(const TDIB& bitmap, std::span<const std::uint8_t> existingArchive,
                                            const std::string& path);
void ReadBitmapArchive(std::span<const std::uint8_t> archive, const std::string& path, TDIB& image);

}  // namespace vorlane
