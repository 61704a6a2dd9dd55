#pragma once

#include <QImage>
#include <QPoint>

#include <array>
#include <string>
#include <vector>

namespace vorlane {

class TDIB;

// One page as the game reads it: Points<NN>.bmp, Image<NN>.bmp and the dots
// of theme.dat. Nothing of how it was made is needed, so every theme can be
// judged: drawn by hand, traced, or made elsewhere.
struct JudgedPage {
    QImage dotsPicture;            // Points<NN>.bmp
    QImage finishedPicture;        // Image<NN>.bmp
    std::vector<QPoint> dots;      // XPoint/YPoint, dot 1 first
    int lineWidth = 5;             // the child's pen (Ligne), widest of the page

    // Picture `number` of a theme folder. Raises EVorlaneError (French) when
    // theme.dat, a bitmap or a dot cannot be read.
    static JudgedPage Read(const std::string& themeFolder, int number);
    // A bitmap as the judge sees it: grey levels are all it needs.
    static QImage GreyPicture(const TDIB& bitmap);
};

enum class Criterion { Similarity, Labels, LookAlikes, CleanPath, Sizes, OnOutline, Parts, GivenAway, Colouring };
inline constexpr std::size_t kCriteria = 9;

struct CriterionResult {
    bool passed = true;
    double figure = 0;       // what was measured; each criterion says what below
    std::vector<int> dots;   // the dots concerned, numbered from 1 in the child's order
    std::string reason;      // French, empty when passed
    std::vector<QPoint> places;  // where else, in the page's pixels: a break, a crumb
};

struct PageVerdict {
    // Similarity: the largest gap between the child's line and the outer
    // outline, in % of the outline's diagonal. Labels: dots whose label is
    // missing, ambiguous or touching something. Look-alikes: blobs taken for
    // dots. Clean path: crossings, turns back, trips out and back. Sizes: the
    // dots' radius in pixels. On the outline: sides across a line drawn or
    // through the figure. Parts: the widest part lost or gap filled, in
    // pixels. Given away: the share of the outer outline on the dots page.
    // Colouring: gaps a fill goes through in the picture to colour.
    std::array<CriterionResult, kCriteria> criteria;
    double shownOutline = 0;  // share (0 to 1) of the outer outline on the dots page
    double dotRadius = 0;     // measured, in pixels
    double labelHeight = 0;   // the tallest label's ink, in pixels
    int pieces = 0;           // separate pieces of the finished drawing
    double alongside = 0;     // share of the child's line with a line drawn beside it (0 to 1)
    double clutter = 0;       // lines drawn inside the child's line, in lengths of that line
    std::string suggestion;   // French, empty when the page is good

    const CriterionResult& operator[](Criterion criterion) const { return criteria[static_cast<std::size_t>(criterion)]; }
    CriterionResult& operator[](Criterion criterion) { return criteria[static_cast<std::size_t>(criterion)]; }
    bool Good() const;
    std::vector<std::string> Reasons() const;
    // "Qualité : bonne", or "Qualité : à revoir — <reasons>. <suggestion>"
    std::string Line() const;
};

// The short French name of a criterion ("ressemblance", "numéros"...).
const char* CriterionName(Criterion criterion);

// Tells whether a page is one a child can do and a parent would keep.
class PictureJudge {
public:
    static PageVerdict Judge(const JudgedPage& page);
    // The judge of picture `number` of a theme folder. Raises as JudgedPage::Read.
    static PageVerdict JudgeThemePicture(const std::string& themeFolder, int number);
};

}  // namespace vorlane
