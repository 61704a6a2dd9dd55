#include "DotsLines.h"

#include "DotStyle.h"
#include "LineArt.h"
#include "PageRules.h"

#include <QFontMetricsF>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <optional>

namespace vorlane {

namespace {

// The child's line must pass near all the outline the dots picture does not
// show (a pixel kept for rounding); the rest stays drawn.
constexpr double kRounding = 2;

// A Grayscale8 mask seen as OpenCV sees it, without a copy.
cv::Mat View(const QImage& mask)
{
    return cv::Mat(mask.height(), mask.width(), CV_8U, const_cast<uchar*>(mask.constBits()),
                   static_cast<size_t>(mask.bytesPerLine()));
}

cv::Mat Disc(int size)
{
    return cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(size, size));
}

// What the dots picture leaves out of the roundish areas wider than a line,
// standing out from the lines round them and not much wider than a dot (an
// eye, a seed, a spot), which would look like dots there: one standing alone
// in the drawing (`drawing`) goes whole, the finished picture keeps it;
// another keeps only its edge. Where lines meet in a blob nothing goes: its
// edge would be a knot of pinholes, read as a scribble.
cv::Mat FilledAreas(const cv::Mat& ink, const cv::Mat& drawing, const cv::Mat& nearPath)
{
    constexpr double kLargest = 26;  // radius, in pixels, of the largest area taken for a dot
    cv::Mat filled;
    cv::morphologyEx(ink, filled, cv::MORPH_OPEN, Disc(kLineWidth + 2));
    cv::Mat areas, stats, centres;
    const int count = cv::connectedComponentsWithStats(filled, areas, stats, centres, 8, CV_32S);
    cv::Mat pieces, pieceStats;
    const int pieceCount = cv::connectedComponentsWithStats(drawing, pieces, pieceStats, centres, 8, CV_32S);
    std::vector<uchar> dotLike(static_cast<size_t>(count), 0), alone(static_cast<size_t>(pieceCount), 0);
    for (int i = 1; i < count; ++i) {
        const int width = stats.at<int>(i, cv::CC_STAT_WIDTH), height = stats.at<int>(i, cv::CC_STAT_HEIGHT);
        if (stats.at<int>(i, cv::CC_STAT_AREA) > CV_PI * kLargest * kLargest ||
            2 * std::min(width, height) < std::max(width, height))
            continue;
        // Standing out: little of the ring round it is ink.
        const int room = PageRules::kRingTo;
        const cv::Rect box = cv::Rect(stats.at<int>(i, cv::CC_STAT_LEFT) - room, stats.at<int>(i, cv::CC_STAT_TOP) - room,
                                      width + 2 * room, height + 2 * room) &
                             cv::Rect(0, 0, ink.cols, ink.rows);
        const cv::Mat area = areas(box) == i;
        cv::Mat near, far;
        cv::dilate(area, near, Disc(PageRules::kRingFrom));
        cv::dilate(area, far, Disc(PageRules::kRingTo));
        const cv::Mat ring = far & ~near;
        dotLike[static_cast<size_t>(i)] =
            cv::countNonZero(ring & ink(box)) <= PageRules::kAloneInk * cv::countNonZero(ring);
    }
    for (int y = 0; y < filled.rows; ++y) {
        const int* area = areas.ptr<int>(y);
        const int* piece = pieces.ptr<int>(y);
        uchar* out = filled.ptr<uchar>(y);
        for (int x = 0; x < filled.cols; ++x) {
            const int i = area[x];
            if (!dotLike[static_cast<size_t>(i)]) {
                out[x] = 0;
                continue;
            }
            alone[static_cast<size_t>(piece[x])] |=
                pieceStats.at<int>(piece[x], cv::CC_STAT_WIDTH) <= stats.at<int>(i, cv::CC_STAT_WIDTH) + 2 * kLineWidth &&
                pieceStats.at<int>(piece[x], cv::CC_STAT_HEIGHT) <= stats.at<int>(i, cv::CC_STAT_HEIGHT) + 2 * kLineWidth;
        }
    }
    // Beside the child's line an area goes whole: its edge would be read as
    // a number. Elsewhere the edge is left about as wide as a line.
    std::vector<uchar> far(static_cast<size_t>(count), 0);
    for (int y = 0; y < filled.rows; ++y) {
        const int* area = areas.ptr<int>(y);
        const uchar* within = nearPath.ptr<uchar>(y);
        for (int x = 0; x < filled.cols; ++x)
            far[static_cast<size_t>(area[x])] |= within[x] ? 0 : 1;
    }
    cv::Mat edged;
    cv::erode(filled, edged, Disc(kLineWidth + 2));
    for (int y = 0; y < filled.rows; ++y) {
        const int* piece = pieces.ptr<int>(y);
        const int* area = areas.ptr<int>(y);
        uchar* out = filled.ptr<uchar>(y);
        const uchar* edge = edged.ptr<uchar>(y);
        for (int x = 0; x < filled.cols; ++x)
            out[x] = alone[static_cast<size_t>(piece[x])] || (out[x] && !far[static_cast<size_t>(area[x])]) ? 255 : edge[x];
    }
    return filled;
}

// The height of a number's digits at a page's size, as the eye reads a mark
// against it.
double DigitHeight(const DotSize& size)
{
    return QFontMetricsF(LabelFont(size.labelSize)).tightBoundingRect(QStringLiteral("0")).height();
}

// Whether a mask shuts in some paper.
bool HasHole(const cv::Mat& piece)
{
    cv::Mat paper;
    cv::copyMakeBorder(piece == 0, paper, 1, 1, 1, 1, cv::BORDER_CONSTANT, 255);
    cv::floodFill(paper, cv::Point(0, 0), 0, nullptr, 0, 0, 4);
    return cv::countNonZero(paper) > 0;
}

// The pieces of `ink` the size of a number near a dot, which the eye reads
// as a number: the end of a longer line of the drawing that the outline or
// a dot cut, left beside the child's line, or a mark drawn there (a tick, a
// stray stroke). A small shape that shuts in paper (an eye, a bubble) stays,
// and so does outline: the stretches the dots page shows (`shown`) and the
// drawing's outer edge.
cv::Mat Fragments(const cv::Mat& ink, const TracedDrawing& drawing, const cv::Mat& nearPath, const cv::Mat& shown,
                  const std::vector<cv::Point>& dots, const DotSize& size)
{
    const cv::Mat lines = View(drawing.Lines());
    const double label = DigitHeight(size);
    const double largest = 2 * label, reach = PageRules::kLooseMarkReach * label;
    cv::Mat parts, stats, centres, whole, wholeStats;
    const int count = cv::connectedComponentsWithStats(ink, parts, stats, centres, 8, CV_32S);
    cv::connectedComponentsWithStats(lines, whole, wholeStats, centres, 8, CV_32S);
    const auto side = [](const cv::Mat& table, int i) {
        return std::max(table.at<int>(i, cv::CC_STAT_WIDTH), table.at<int>(i, cv::CC_STAT_HEIGHT));
    };
    std::vector<uchar> cut(static_cast<std::size_t>(count), 0);
    std::vector<int> wholeOf(cut.size(), 0);
    // Beside the child's line all along, a cut end may go even from the
    // outline: the child draws there.
    std::vector<uchar> beside(cut.size(), 1), onOutline(cut.size(), 0);
    for (int y = 0; y < ink.rows; ++y) {
        const int* part = parts.ptr<int>(y);
        const int* line = whole.ptr<int>(y);
        const uchar* within = nearPath.ptr<uchar>(y);
        for (int x = 0; x < ink.cols; ++x) {
            if (part[x] > 0 && line[x] > 0)
                wholeOf[static_cast<std::size_t>(part[x])] = line[x];
            if (!within[x])
                beside[static_cast<std::size_t>(part[x])] = 0;
            if (part[x] > 0 && (shown.at<uchar>(y, x) || (line[x] > 0 && drawing.EdgeDistance(QPoint(x, y)) <= 1)))
                onOutline[static_cast<std::size_t>(part[x])] = 1;
        }
    }
    for (int i = 1; i < count; ++i) {
        const cv::Rect box(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP),
                           stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT));
        const int of = wholeOf[static_cast<std::size_t>(i)];
        const bool cutOff =
            beside[static_cast<std::size_t>(i)] && of != 0 && side(wholeStats, of) > side(stats, i) + label;
        if (side(stats, i) > largest || (!cutOff && onOutline[static_cast<std::size_t>(i)]))
            continue;
        const QRectF area(box.x, box.y, box.width - 1, box.height - 1);
        const bool nearDot = std::any_of(dots.begin(), dots.end(), [&](cv::Point dot) {
            return PageRules::BoxDistance(area, QPointF(dot.x, dot.y)) - size.radius <= reach;
        });
        cut[static_cast<std::size_t>(i)] = nearDot && (cutOff || !HasHole(parts(box) == i));
    }
    cv::Mat gone(ink.size(), CV_8U);
    for (int y = 0; y < ink.rows; ++y) {
        const int* part = parts.ptr<int>(y);
        uchar* out = gone.ptr<uchar>(y);
        for (int x = 0; x < ink.cols; ++x)
            out[x] = cut[static_cast<std::size_t>(part[x])] ? 255 : 0;
    }
    return gone;
}

// The middle line of a mask's strokes, one pixel wide (Zhang and Suen's
// thinning; OpenCV's is in a contrib module Debian builds against GPL code).
cv::Mat Thinned(const cv::Mat& mask)
{
    cv::Mat thin;
    cv::copyMakeBorder(mask != 0, thin, 1, 1, 1, 1, cv::BORDER_CONSTANT, 0);
    thin /= 255;
    // Only line pixels can go: each pass reads those left, not the page.
    std::vector<cv::Point> left;
    cv::findNonZero(thin, left);
    std::vector<cv::Point> going;
    for (bool changed = true; changed;) {
        changed = false;
        for (int pass = 0; pass < 2; ++pass) {
            going.clear();
            for (const cv::Point p : left) {
                const uchar* above = thin.ptr<uchar>(p.y - 1);
                const uchar* row = thin.ptr<uchar>(p.y);
                const uchar* below = thin.ptr<uchar>(p.y + 1);
                const int x = p.x;
                // The eight neighbours clockwise from the one above.
                const int n[8] = {above[x], above[x + 1], row[x + 1], below[x + 1],
                                  below[x], below[x - 1], row[x - 1], above[x - 1]};
                int count = 0, turns = 0;
                for (int k = 0; k < 8; ++k) {
                    count += n[k];
                    turns += !n[k] && n[(k + 1) % 8] ? 1 : 0;
                }
                const bool side = pass == 0 ? !(n[0] && n[2] && n[4]) && !(n[2] && n[4] && n[6])
                                            : !(n[0] && n[2] && n[6]) && !(n[0] && n[4] && n[6]);
                if (count >= 2 && count <= 6 && turns == 1 && side)
                    going.push_back(p);
            }
            for (const cv::Point p : going)
                thin.at<uchar>(p) = 0;
            if (!going.empty()) {
                std::erase_if(left, [&](cv::Point p) { return thin.at<uchar>(p) == 0; });
                changed = true;
            }
        }
    }
    return thin(cv::Rect(1, 1, mask.cols, mask.rows)) * 255;
}

// Short branches off a longer line that end free (the twigs of a stem
// traced from its bark, the teeth of a comb of hatching): to the eye, crumbs
// of a scribble. Shorter than `longest`, along the middle of the lines;
// none that touches the outline (`onOutline`).
cv::Mat Twigs(const cv::Mat& lines, double longest, const std::function<bool(cv::Point)>& onOutline)
{
    const cv::Mat middle = Thinned(lines);
    constexpr int kAround[8][2] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};
    const auto on = [&](cv::Point p) {
        return p.x >= 0 && p.y >= 0 && p.x < middle.cols && p.y < middle.rows && middle.at<uchar>(p) != 0;
    };
    // How many separate lines leave a point: 1 at an end, 2 along a line, 3
    // or more where lines meet.
    const auto ways = [&](cv::Point p) {
        int count = 0;
        for (int k = 0; k < 8; ++k)
            count += !on(p + cv::Point(kAround[k][0], kAround[k][1])) &&
                             on(p + cv::Point(kAround[(k + 1) % 8][0], kAround[(k + 1) % 8][1]))
                         ? 1
                         : 0;
        return count;
    };
    // Each free end's branch, as far as the line it meets, when it meets one soon.
    std::vector<cv::Point> points;
    cv::findNonZero(middle, points);
    std::map<std::pair<int, int>, std::vector<std::vector<cv::Point>>> branchesAt;
    for (const cv::Point end : points) {
        if (ways(end) != 1)
            continue;
        std::vector<cv::Point> branch{end};
        std::optional<cv::Point> meets;
        while (!meets && static_cast<double>(branch.size()) <= longest) {
            std::optional<cv::Point> next;
            for (int k = 0; k < 8; ++k) {
                const cv::Point q = branch.back() + cv::Point(kAround[k][0], kAround[k][1]);
                if (on(q) && std::find(branch.begin(), branch.end(), q) == branch.end() && (!next || k % 2 == 0))
                    next = q;
            }
            if (!next)
                break;
            if (ways(*next) >= 3)
                meets = next;
            else
                branch.push_back(*next);
        }
        if (meets && std::none_of(branch.begin(), branch.end(), onOutline))
            branchesAt[{meets->x, meets->y}].push_back(std::move(branch));
    }
    // Where a line goes on through, every short branch off it is a twig;
    // where it ends in short branches, the longest carries it on.
    cv::Mat twigs = cv::Mat::zeros(lines.size(), CV_8U);
    for (auto& [at, branches] : branchesAt) {
        std::sort(branches.begin(), branches.end(), [](const auto& a, const auto& b) { return a.size() < b.size(); });
        const int through = ways(cv::Point(at.first, at.second)) - static_cast<int>(branches.size());
        const std::size_t twigCount = through >= 2 ? branches.size() : branches.size() - 1;
        for (std::size_t i = 0; i < twigCount; ++i)
            for (const cv::Point p : branches[i])
                twigs.at<uchar>(p) = 255;
    }
    // The strokes along those branches, not the line they leave.
    cv::Mat gone = cv::Mat::zeros(lines.size(), CV_8U);
    const int margin = kLineWidth + 4;
    const cv::Rect box = cv::boundingRect(twigs);
    if (box.empty())
        return gone;
    const cv::Rect around =
        cv::Rect(box.x - margin, box.y - margin, box.width + 2 * margin, box.height + 2 * margin) &
        cv::Rect(0, 0, lines.cols, lines.rows);
    cv::Mat reach, keep;
    cv::dilate(twigs(around), reach, Disc(margin));
    cv::dilate(middle(around) & ~twigs(around), keep, Disc(kLineWidth));
    gone(around) = lines(around) & reach & ~keep;
    return gone;
}

}  // namespace

QImage DotsLines(const TracedDrawing& drawing, const std::vector<Dot>& dots)
{
    if (drawing.InnerLines().isNull())
        return QImage();
    cv::Mat lines = View(drawing.InnerLines()).clone();
    // What lies within the tolerance of the child's line (dot 1 to the last, open).
    const double tolerated = PageRules::kNearOutline * std::hypot(drawing.Extent().width(), drawing.Extent().height()) - kRounding;
    std::vector<cv::Point> path;
    path.reserve(dots.size());
    for (const Dot& dot : dots)
        path.emplace_back(dot.position.x(), dot.position.y());
    // The line drawn as wide as that, with round ends and joins.
    cv::Mat near = cv::Mat::zeros(lines.size(), CV_8U);
    cv::polylines(near, path, false, 255, 2 * std::max(0, static_cast<int>(tolerated)) + 1, cv::LINE_8);

    // The outline's band, stretch by stretch between two dots along the
    // outline: a stretch the child's line passes near all along is left to
    // the child; any other stays drawn whole, so that no speck of it is left.
    std::vector<std::size_t> ends;
    ends.reserve(dots.size());
    for (const Dot& dot : dots)
        ends.push_back(drawing.OutlineIndexNear(dot.position));
    std::sort(ends.begin(), ends.end());
    const auto stretchOf = [&](std::size_t index) {
        if (ends.empty())
            return std::size_t{0};
        const auto after = std::upper_bound(ends.begin(), ends.end(), index);
        return after == ends.begin() ? ends.size() - 1 : static_cast<std::size_t>(after - ends.begin()) - 1;
    };
    std::vector<uchar> drawn(std::max<std::size_t>(ends.size(), 1), ends.empty() ? 1 : 0);
    // Followed is judged on the band's outer edge, as the eye sees an
    // outline: a thick stroke's inner edge is no line of its own.
    for (const BandPixel& pixel : drawing.OutlineBand())
        if (drawing.EdgeDistance(pixel.at) <= 1 && !near.at<uchar>(pixel.at.y(), pixel.at.x()))
            drawn[stretchOf(pixel.outlineIndex)] = 1;
    // Drawn as wide as the page's other lines: a thick stroke drawn whole,
    // once the dots cut it, leaves blobs read as dots or numbers.
    cv::Mat shown = cv::Mat::zeros(lines.size(), CV_8U);
    for (const BandPixel& pixel : drawing.OutlineBand())
        if (drawn[stretchOf(pixel.outlineIndex)] && drawing.EdgeDistance(pixel.at) < kLineWidth)
            shown.at<uchar>(pixel.at.y(), pixel.at.x()) = 255;
    lines |= shown;

    // A line that met the outline at a slant keeps a sliver where the
    // outline went: too thin to be a line, it goes too.
    cv::morphologyEx(lines, lines, cv::MORPH_OPEN, Disc(3));
    const DotSize size = DotSizeFor(dots.size());
    lines &= ~Twigs(lines, 1.5 * DigitHeight(size), [&](cv::Point p) {
        return shown.at<uchar>(p) != 0 || drawing.EdgeDistance(QPoint(p.x, p.y)) <= kLineWidth;
    });
    // The lines as the dots will leave them.
    cv::Mat ink = lines.clone();
    for (std::size_t i = 0; i < dots.size(); ++i)
        cv::circle(ink, path[i], static_cast<int>(std::ceil(RadiusOf(i, size) + PageRules::kClearance)), 0, cv::FILLED);
    const auto leaveOut = [&](const cv::Mat& gone) {
        lines &= ~gone;
        ink &= ~gone;
    };
    // Areas that would look like dots.
    leaveOut(FilledAreas(ink, View(drawing.Lines()), near));
    // Nor is a stub no bigger than a number beside the path kept (a line cut
    // where it met the outline, a tip between two dots): read as a number, it
    // would puzzle.
    cv::Mat parts, stats, centres;
    const int pieces = cv::connectedComponentsWithStats(ink, parts, stats, centres, 8, CV_32S);
    const int stub = static_cast<int>(3 * size.radius);
    std::vector<uchar> cut(static_cast<std::size_t>(pieces), 0);
    for (int i = 1; i < pieces; ++i)
        cut[static_cast<std::size_t>(i)] =
            std::max(stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT)) <= stub;
    for (int y = 0; y < ink.rows; ++y) {
        const int* part = parts.ptr<int>(y);
        const uchar* within = near.ptr<uchar>(y);
        for (int x = 0; x < ink.cols; ++x)
            if (!within[x])
                cut[static_cast<std::size_t>(part[x])] = 0;
    }
    cv::Mat stubs(ink.size(), CV_8U);
    for (int y = 0; y < ink.rows; ++y) {
        const int* part = parts.ptr<int>(y);
        uchar* out = stubs.ptr<uchar>(y);
        for (int x = 0; x < ink.cols; ++x)
            out[x] = cut[static_cast<std::size_t>(part[x])] ? 255 : 0;
    }
    leaveOut(stubs);
    leaveOut(Fragments(ink, drawing, near, shown, path, size));
    // What is left of a line under a dot's rim once the rest of it went
    // shows as a crescent round the dot, a mark of its own: it goes too.
    cv::Mat rims = cv::Mat::zeros(lines.size(), CV_8U);
    for (std::size_t i = 0; i < dots.size(); ++i)
        cv::circle(rims, path[i], static_cast<int>(std::ceil(RadiusOf(i, size) + PageRules::kClearance)) + 1, 255,
                   cv::FILLED);
    cv::Mat rimParts;
    const int rimCount = cv::connectedComponents(lines, rimParts, 8, CV_32S);
    std::vector<uchar> outside(static_cast<std::size_t>(rimCount), 0);
    for (int y = 0; y < lines.rows; ++y) {
        const int* part = rimParts.ptr<int>(y);
        const uchar* rim = rims.ptr<uchar>(y);
        for (int x = 0; x < lines.cols; ++x)
            outside[static_cast<std::size_t>(part[x])] |= rim[x] ? 0 : 1;
    }
    for (int y = 0; y < lines.rows; ++y) {
        const int* part = rimParts.ptr<int>(y);
        uchar* line = lines.ptr<uchar>(y);
        for (int x = 0; x < lines.cols; ++x)
            if (!outside[static_cast<std::size_t>(part[x])])
                line[x] = 0;
    }

    QImage mask(lines.cols, lines.rows, QImage::Format_Grayscale8);
    for (int y = 0; y < lines.rows; ++y)
        std::copy_n(lines.ptr<uchar>(y), lines.cols, mask.scanLine(y));
    return mask;
}

}  // namespace vorlane
