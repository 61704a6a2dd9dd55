#pragma once

#include "print/PageDocument.h"

#include <string>
#include <vector>

namespace vorlane {

class ContentPlaces;

// This user's coloured pictures of `themes` (folder names), in theme then
// picture order, found where `places` keeps them.
struct ColouredPicture {
    std::string theme;
    std::uint32_t number = 0;
    std::string archive;  // where the user's coloured picture is kept
};
std::vector<ColouredPicture> ColouredPictures(const ContentPlaces& places, const std::vector<std::string>& themes);

// An album of a child's coloured pictures, to keep or to send: one to a page,
// each turned as its picture is, under its name and the day it was coloured
// (the day its file was last written). An archive that cannot be read raises
// its error (EFOpenError, EInvalidArchive, EInvalidBitmap).
PageDocument MakeAlbum(const std::vector<ColouredPicture>& pictures);

}  // namespace vorlane
