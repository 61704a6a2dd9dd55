#pragma once

#include "print/PageDocument.h"

#include <string>
#include <vector>

namespace vorlane {

class ContentPlaces;

// What a booklet holds besides its cover.
struct BookletForms {
    bool dots = true;      // the pages to join, "points"
    bool toColour = true;  // the finished pictures, large, to colour, "colorier"
    bool answers = true;   // the finished pictures, small, several to a page at the end, "solutions"
};

// A booklet ("cahier") of whole themes for a class or a family: a cover with
// the themes' names, a line "Prénom : ______" and small pictures of what is
// inside; the dots pages, then the pictures to colour, each in its theme's
// order (easy to hard), each page turned as its picture is; then the answers.
// Pages are numbered from the first after the cover. The themes are folder
// names listed by `places`, whose pictures are read where `places` says.
// A picture that cannot be read raises its error (EFOpenError,
// EInvalidGraphic, EInvalidBitmap for an empty file).
PageDocument MakeBooklet(const ContentPlaces& places, const std::vector<std::string>& themes, BookletForms forms);

// The pages of answers a booklet of `pictures` pictures ends with.
int AnswerPages(int pictures);

// The forms named on the command line: "points", "colorier", "solutions",
// separated by commas. False for an unknown name or none at all.
bool ParseBookletForms(const std::string& names, BookletForms& forms);

}  // namespace vorlane
