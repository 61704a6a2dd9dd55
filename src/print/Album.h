#pragma once

#include "print/Booklet.h"

#include <string>
#include <vector>

namespace vorlane {

class ContentPlaces;
class WorkProgress;

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
// (the day its file was last written), drawn at the printer's resolution.
// An archive that cannot be read is left out, a line on its page saying
// why. Each picture read and each page made is a step of `progress`;
// nullopt when it was cancelled.
std::optional<Booklet> MakeAlbum(const ContentPlaces& places, const std::vector<ColouredPicture>& pictures,
                                 WorkProgress* progress = nullptr);

}  // namespace vorlane
