#pragma once

#include "content/DotLabels.h"
#include "print/PageDocument.h"

#include <optional>
#include <string>
#include <vector>

namespace vorlane {

class ContentPlaces;
class WorkProgress;

// What a booklet holds and how its sheets are laid out.
struct BookletOptions {
    // A booklet of dots to join (the pages a class works on, the answers kept
    // back), or a colouring book of the finished pictures.
    enum class Kind { Dots, Colouring };
    // The answers of a dots booklet: small, several to a page, at its end; in
    // a document of their own for the teacher; or none.
    enum class Answers { AtEnd, Apart, None };
    // One page to a sheet, turned as its picture is (landscape for almost
    // every picture) or always upright; or a book folded from sheets printed
    // on both sides, two pages a side (A5 from A4).
    enum class Layout { Landscape, Portrait, FoldedBook };

    Kind kind = Kind::Dots;
    Answers answers = Answers::AtEnd;
    Layout layout = Layout::Landscape;

    bool operator==(const BookletOptions&) const = default;
};

// A booklet ("cahier") of whole themes for a class or a family. The cover
// shows the themes' names, what the booklet holds and on which pages, a
// line "Prénom : ______", within a drawn frame, and the dots pages small:
// never a finished picture. Then one page per picture, each theme's in its
// order (easy to hard), each under the picture's name, the instruction for
// its labels ("Relie les points de 1 à 36."), "Prénom : ______" and a mark
// of one to three stars for its place in its theme's ladder; then the
// answers. Pages are numbered from the first after the cover.
struct Booklet {
    PageDocument pages;
    std::optional<PageDocument> answers;  // the teacher's, when the answers are apart
    // A picture that cannot be read is left out, a line on its page saying
    // so: one French line per picture, naming its file and why.
    std::vector<std::string> leftOut;
};

// Makes the booklet of `themes` (folder names listed by `places`, each once,
// whose pictures are read where `places` says), counting each picture read
// and each side made as a step of `progress`; nullopt when it was cancelled.
std::optional<Booklet> MakeBooklet(const ContentPlaces& places, const std::vector<std::string>& themes,
                                   const BookletOptions& options, WorkProgress* progress = nullptr);

// The pages of a booklet of `pictures` pictures after its cover, and those of
// the answers (apart or at its end).
int BookletPages(int pictures, const BookletOptions& options);
int AnswerPages(int pictures);

// The instruction for a picture's dots: "Relie les points de 1 à 36.",
// "Relie les lettres de A à T.", "Relie les points de 5 en 5, de 5 à 100.".
QString DotsInstruction(const DotLabels& labels, int dots);

}  // namespace vorlane
