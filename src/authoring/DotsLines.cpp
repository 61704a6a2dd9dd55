#include "DotsLines.h"

#include "DotStyle.h"
#include "LineArt.h"
#include "PageRules.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

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
// another keeps only its edge.
cv::Mat FilledAreas(const cv::Mat& ink, const cv::Mat& drawing, const cv::Mat& nearPath)
{
    constexpr double kLargest = 26;  // radius, in pixels, of the largest area taken for a dot
    constexpr double kOutstanding = 0.5;  // at most this share of the ring round it is ink
    cv::Mat filled;
    cv::morphologyEx(ink, filled, cv::MORPH_OPEN, Disc(kLineWidth + 2));
    cv::Mat areas, stats, centres;
    const int count = cv::connectedComponentsWithStats(filled, areas, stats, centres, 8, CV_32S);
    // How much of the ring round each area is ink.
    cv::Mat grown, ring;
    areas.convertTo(grown, CV_32F);
    cv::dilate(grown, grown, Disc(5));
    ring = (grown > 0) & (areas == 0);
    std::vector<int> ringSize(static_cast<size_t>(count), 0), ringInk(static_cast<size_t>(count), 0);
    for (int y = 0; y < filled.rows; ++y) {
        const float* owner = grown.ptr<float>(y);
        const uchar* onRing = ring.ptr<uchar>(y);
        const uchar* dark = ink.ptr<uchar>(y);
        for (int x = 0; x < filled.cols; ++x)
            if (onRing[x]) {
                ++ringSize[static_cast<size_t>(owner[x])];
                ringInk[static_cast<size_t>(owner[x])] += dark[x] ? 1 : 0;
            }
    }
    cv::Mat pieces, pieceStats;
    const int pieceCount = cv::connectedComponentsWithStats(drawing, pieces, pieceStats, centres, 8, CV_32S);
    std::vector<uchar> dotLike(static_cast<size_t>(count), 0), alone(static_cast<size_t>(pieceCount), 0);
    for (int i = 1; i < count; ++i) {
        const int width = stats.at<int>(i, cv::CC_STAT_WIDTH), height = stats.at<int>(i, cv::CC_STAT_HEIGHT);
        dotLike[static_cast<size_t>(i)] = stats.at<int>(i, cv::CC_STAT_AREA) <= CV_PI * kLargest * kLargest &&
                                          2 * std::min(width, height) >= std::max(width, height) &&
                                          ringInk[static_cast<size_t>(i)] <= kOutstanding * ringSize[static_cast<size_t>(i)];
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
    const std::vector<QPoint>& outline = drawing.Outline();
    std::vector<std::size_t> ends;
    ends.reserve(dots.size());
    for (const Dot& dot : dots)
        ends.push_back(static_cast<std::size_t>(std::distance(
            outline.begin(), std::min_element(outline.begin(), outline.end(), [&](QPoint a, QPoint b) {
                return (a - dot.position).manhattanLength() < (b - dot.position).manhattanLength();
            }))));
    std::sort(ends.begin(), ends.end());
    const auto stretchOf = [&](std::size_t index) {
        if (ends.empty())
            return std::size_t{0};
        const auto after = std::upper_bound(ends.begin(), ends.end(), index);
        return after == ends.begin() ? ends.size() - 1 : static_cast<std::size_t>(after - ends.begin()) - 1;
    };
    std::vector<uchar> drawn(std::max<std::size_t>(ends.size(), 1), ends.empty() ? 1 : 0);
    for (const BandPixel& pixel : drawing.OutlineBand())
        if (!near.at<uchar>(pixel.at.y(), pixel.at.x()))
            drawn[stretchOf(pixel.outlineIndex)] = 1;
    for (const BandPixel& pixel : drawing.OutlineBand())
        if (drawn[stretchOf(pixel.outlineIndex)])
            lines.at<uchar>(pixel.at.y(), pixel.at.x()) = 255;

    // A line that met the outline at a slant keeps a sliver where the
    // outline went: too thin to be a line, it goes too.
    cv::morphologyEx(lines, lines, cv::MORPH_OPEN, Disc(3));
    // The lines as the dots will leave them.
    cv::Mat ink = lines.clone();
    const DotSize size = DotSizeFor(dots.size());
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

    QImage mask(lines.cols, lines.rows, QImage::Format_Grayscale8);
    for (int y = 0; y < lines.rows; ++y)
        std::copy_n(lines.ptr<uchar>(y), lines.cols, mask.scanLine(y));
    return mask;
}

}  // namespace vorlane
