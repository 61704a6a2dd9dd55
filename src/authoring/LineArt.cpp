#include "LineArt.h"

#include "PageRules.h"

#include "base/Errors.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numeric>

namespace vorlane {

namespace {

// How deep the outer outline's band reaches in from the outside.
constexpr int kBandDepth = 7;
// Parts of the drawing thinner than three dot radii get no dots (odd, for a
// centred disc).
constexpr int kThinPart = 19;
// Gaps narrower than this between parts of the drawing are bridged by the
// child's path (between two legs, in an outline drawn with gaps), and wider
// ones when the drawing is mostly gaps; never wider than twice what the
// child's line may stray from the drawing's edge.
constexpr int kNarrowGap = 31;
// A figure covers at least this share of the hull of the drawing's largest
// line, else the drawing's gaps are bridged wider.
constexpr double kSubstantial = 0.35;
// A frame holds a page that is mostly blank (this share of it at least).
constexpr double kBlankPage = 0.6;

cv::Mat Ellipse(int size)
{
    return cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(size, size));
}

cv::Mat Bgr(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const cv::Mat view(rgb.height(), rgb.width(), CV_8UC4, const_cast<uchar*>(rgb.constBits()),
                       static_cast<size_t>(rgb.bytesPerLine()));
    cv::Mat bgr;
    cv::cvtColor(view, bgr, cv::COLOR_BGRA2BGR);
    return bgr;
}

QImage BlackOnWhite(const cv::Mat& ink)
{
    QImage image(ink.cols, ink.rows, QImage::Format_RGB32);
    for (int y = 0; y < ink.rows; ++y) {
        const uchar* in = ink.ptr<uchar>(y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < ink.cols; ++x)
            out[x] = in[x] ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    }
    return image;
}

// A photograph or scan has grain: neighbouring pixels seldom agree, where a
// drawing made on a computer is mostly flat colour or smooth gradients.
// Without grain, a page that is grey nearly everywhere was photographed too.
bool LooksPhotographed(const cv::Mat& bgr)
{
    if (bgr.cols < 2)
        return false;
    cv::Mat difference;
    cv::absdiff(bgr.colRange(0, bgr.cols - 1), bgr.colRange(1, bgr.cols), difference);
    cv::Mat largest = difference.reshape(1, static_cast<int>(difference.total()));
    cv::reduce(largest, largest, 1, cv::REDUCE_MAX);
    const double flat = cv::countNonZero(largest <= 1) / static_cast<double>(largest.total());
    if (flat < 0.5)
        return true;
    // A clean scan under uneven light: a grey page, hardly any of it white.
    cv::Mat hsv;
    cv::cvtColor(bgr, hsv, cv::COLOR_BGR2HSV);
    cv::Mat white, grey;
    cv::inRange(hsv, cv::Scalar(0, 0, 235), cv::Scalar(180, 30, 255), white);
    cv::inRange(hsv, cv::Scalar(0, 0, 0), cv::Scalar(180, 40, 255), grey);
    const double total = static_cast<double>(bgr.total());
    return cv::countNonZero(white) < 0.25 * total && cv::countNonZero(grey) > 0.9 * total;
}

// Dark strokes of a photographed page, whatever its light: each pixel is
// compared with its neighbourhood, not with one threshold.
cv::Mat PhotoInk(const cv::Mat& bgr)
{
    cv::Mat gray;
    cv::cvtColor(bgr, gray, cv::COLOR_BGR2GRAY);
    cv::medianBlur(gray, gray, 3);
    const int block = std::max(15, std::min(bgr.cols, bgr.rows) / 16) | 1;
    cv::Mat ink;
    cv::adaptiveThreshold(gray, ink, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY_INV, block, 14);
    return ink;
}

// Dark, greyish pixels: the strokes of line art.
cv::Mat DarkInk(const cv::Mat& bgr)
{
    cv::Mat hsv;
    cv::cvtColor(bgr, hsv, cv::COLOR_BGR2HSV);
    std::array<cv::Mat, 3> channels;
    cv::split(hsv, channels);
    const cv::Mat& saturation = channels[1];
    const cv::Mat& value = channels[2];
    return (value < 100) | ((value < 170) & (saturation < 60));
}

void RemoveSpecks(cv::Mat& ink, int smallest)
{
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8, CV_32S);
    std::vector<uchar> keep(static_cast<size_t>(count), 0);
    for (int i = 1; i < count; ++i)
        keep[static_cast<size_t>(i)] = stats.at<int>(i, cv::CC_STAT_AREA) >= smallest ? 255 : 0;
    for (int y = 0; y < ink.rows; ++y) {
        const int* label = labels.ptr<int>(y);
        uchar* out = ink.ptr<uchar>(y);
        for (int x = 0; x < ink.cols; ++x)
            out[x] = keep[static_cast<size_t>(label[x])];
    }
}

// The middle of white shapes on black, with each pixel's distance to the
// shape's edge: the crest of that distance, the pixels higher than their
// neighbours across it (where it curves down most). OpenCV's thinning is in a
// contrib module whose Debian package pulls in GDAL and, through it, a GPL
// library.
cv::Mat Ridge(const cv::Mat& shapes, cv::Mat& distance)
{
    cv::distanceTransform(shapes, distance, cv::DIST_L2, cv::DIST_MASK_5);
    // Smoothed, so that a bump of a ragged edge raises no spur.
    cv::Mat height;
    cv::GaussianBlur(distance, height, cv::Size(9, 9), 2.0);
    cv::Mat x1, y1, xx, yy, xy;
    cv::Sobel(height, x1, CV_32F, 1, 0, 3, 1.0 / 8);
    cv::Sobel(height, y1, CV_32F, 0, 1, 3, 1.0 / 8);
    cv::Sobel(height, xx, CV_32F, 2, 0);
    cv::Sobel(height, yy, CV_32F, 0, 2);
    cv::Sobel(height, xy, CV_32F, 1, 1);
    cv::Mat top;
    cv::dilate(height, top, Ellipse(5));
    cv::Mat ridge = cv::Mat::zeros(shapes.size(), CV_8U);
    for (int y = 1; y + 1 < shapes.rows; ++y)
        for (int x = 1; x + 1 < shapes.cols; ++x) {
            const float here = height.at<float>(y, x);
            // A spur that a bump of the edge raises climbs steeply to the
            // crest; a crest is level, or high (a narrowing closing a gap).
            if (distance.at<float>(y, x) < 1.5f ||
                (here < 0.8f * top.at<float>(y, x) && std::hypot(x1.at<float>(y, x), y1.at<float>(y, x)) > 0.35f))
                continue;
            // Across the crest: the direction of the steepest fall of the slope.
            const float a = xx.at<float>(y, x), b = xy.at<float>(y, x), c = yy.at<float>(y, x);
            const float fall = (a + c) / 2 - std::sqrt((a - c) * (a - c) / 4 + b * b);
            const float across = std::abs(b) > 1e-6f ? std::atan2(b, fall - c) : (a < c ? 0.0f : 1.5708f);
            const int octant = static_cast<int>(std::lround(across / 0.785398f)) & 3;
            const cv::Point step = std::array{cv::Point(1, 0), cv::Point(1, 1), cv::Point(0, 1), cv::Point(-1, 1)}[octant];
            const float before = height.at<float>(y - step.y, x - step.x), after = height.at<float>(y + step.y, x + step.x);
            // Not lower than either neighbour, higher than one: a plateau two
            // pixels wide is a crest, a flat edge is not.
            if (here >= before && here >= after && (here > before || here > after))
                ridge.at<uchar>(y, x) = 255;
        }
    return ridge;
}

// The colour regions of clip art, with the lines that part them.
struct Regions {
    cv::Mat boundaries;  // where two regions meet
    cv::Mat strokes;     // the middles of regions drawn as strokes of a pen
};

// A region no wider than this nearly everywhere, and long, is a stroke of a
// felt pen or a brush: it becomes one line along its middle rather than a
// tube of two lines with a sliver to colour between them.
constexpr float kStrokeHalfWidth = 8;
constexpr double kStrokeLength = 4;  // area at least this many squares of its width
// A change of colour faster than this, in Lab units a pixel, is an edge of the drawing.
constexpr float kSharpEdge = 6;

// Shading is a colour fading into another light: the representative colours
// cut a smooth gradient into bands whose borders no edge of the drawing
// explains. Such borders are not lines a child follows or colours between, so
// bands melt together where the drawing is smooth across their whole border
// and their hues agree; a sharp edge (a lemon's segment, a shell's plate)
// stays. The paper round the figure never melts: its border is the silhouette.
void MeltShading(const cv::Mat& lab, cv::Mat& regions)
{
    double most = 0;
    cv::minMaxLoc(regions, nullptr, &most);
    const auto count = static_cast<std::size_t>(most) + 1;
    if (count < 3)
        return;
    // How sharply the colour changes at each pixel, the strongest nearby: a
    // border drawn a pixel off the edge still meets it.
    cv::Mat smooth, change = cv::Mat::zeros(lab.size(), CV_32F);
    cv::GaussianBlur(lab, smooth, cv::Size(3, 3), 0);
    std::vector<cv::Mat> channels;
    cv::split(smooth, channels);
    for (const cv::Mat& channel : channels) {
        cv::Mat dx, dy;
        cv::Sobel(channel, dx, CV_32F, 1, 0);
        cv::Sobel(channel, dy, CV_32F, 0, 1);
        change += (dx.mul(dx) + dy.mul(dy)) / 64;  // Sobel weighs a step 8 times
    }
    cv::sqrt(change, change);
    cv::dilate(change, change, Ellipse(5));

    struct Region {
        double l = 0, a = 0, b = 0;
        long area = 0;
        bool paper = false;
    };
    struct Border {
        long length = 0, sharp = 0;
    };
    std::vector<Region> region(count);
    std::map<std::pair<std::size_t, std::size_t>, Border> borders;
    for (int y = 0; y < regions.rows; ++y) {
        const float* id = regions.ptr<float>(y);
        const float* below = y + 1 < regions.rows ? regions.ptr<float>(y + 1) : nullptr;
        const cv::Vec3b* colour = lab.ptr<cv::Vec3b>(y);
        const float* step = change.ptr<float>(y);
        for (int x = 0; x < regions.cols; ++x) {
            const auto here = static_cast<std::size_t>(id[x]);
            Region& r = region[here];
            r.l += colour[x][0];
            r.a += colour[x][1] - 128.0;
            r.b += colour[x][2] - 128.0;
            ++r.area;
            if (x == 0 || y == 0 || x + 1 == regions.cols || y + 1 == regions.rows)
                r.paper = true;
            for (const float* next : {x + 1 < regions.cols ? id + x + 1 : nullptr, below ? below + x : nullptr}) {
                if (!next || static_cast<std::size_t>(*next) == here)
                    continue;
                const auto there = static_cast<std::size_t>(*next);
                Border& border = borders[{std::min(here, there), std::max(here, there)}];
                ++border.length;
                border.sharp += step[x] > kSharpEdge ? 1 : 0;
            }
        }
    }
    for (Region& r : region)
        if (r.area > 0) {
            r.l /= static_cast<double>(r.area);
            r.a /= static_cast<double>(r.area);
            r.b /= static_cast<double>(r.area);
        }
    std::vector<std::size_t> into(count);
    std::iota(into.begin(), into.end(), 0);
    const auto root = [&into](std::size_t i) {
        while (into[i] != i)
            i = into[i] = into[into[i]];
        return i;
    };
    // Greys of any lightness are one shading; a colour's bands keep its hue.
    const auto sameHue = [](const Region& first, const Region& second) {
        const double c1 = std::hypot(first.a, first.b), c2 = std::hypot(second.a, second.b);
        if (std::min(c1, c2) < 5)
            return std::max(c1, c2) < 16;
        return std::abs(std::remainder(std::atan2(first.b, first.a) - std::atan2(second.b, second.a), 2 * M_PI)) < 0.5;
    };
    for (const auto& [pair, border] : borders) {
        const Region& first = region[pair.first];
        const Region& second = region[pair.second];
        if (pair.first == 0 || first.paper || second.paper || border.sharp * 3 > border.length)
            continue;
        if (sameHue(first, second))
            into[root(pair.second)] = root(pair.first);
    }
    for (int y = 0; y < regions.rows; ++y) {
        float* id = regions.ptr<float>(y);
        for (int x = 0; x < regions.cols; ++x)
            id[x] = static_cast<float>(root(static_cast<std::size_t>(id[x])));
    }
}

// Colour regions of clip art, told apart by a few representative colours;
// regions too small or too thin for a child's fill melt into their
// neighbours, and strokes become their middle line.
Regions FindRegions(const cv::Mat& bgr, const cv::Mat& lines)
{
    cv::Mat lab;
    cv::cvtColor(bgr, lab, cv::COLOR_BGR2Lab);
    cv::Mat samples(0, 3, CV_32F);
    for (int y = 0; y < lab.rows; y += 3)
        for (int x = 0; x < lab.cols; x += 3)
            if (!lines.at<uchar>(y, x)) {
                const cv::Vec3b pixel = lab.at<cv::Vec3b>(y, x);
                const float row[3] = {static_cast<float>(pixel[0]), static_cast<float>(pixel[1]),
                                      static_cast<float>(pixel[2])};
                samples.push_back(cv::Mat(1, 3, CV_32F, const_cast<float*>(row)));
            }
    Regions found{cv::Mat::zeros(bgr.size(), CV_8U), cv::Mat::zeros(bgr.size(), CV_8U)};
    const int clusters = std::min(8, samples.rows / 8);
    if (clusters < 2)
        return found;
    cv::Mat sampleLabels, centres;
    // The same drawing always gives the same picture; OpenCV's generator is
    // left as it was found.
    const cv::RNG before = cv::theRNG();
    cv::theRNG().state = 0x5EED;
    cv::kmeans(samples, clusters, sampleLabels, cv::TermCriteria(cv::TermCriteria::EPS + cv::TermCriteria::COUNT, 12, 0.5),
               1, cv::KMEANS_PP_CENTERS, centres);
    cv::theRNG() = before;
    // Colours a child would call the same are one colour.
    std::vector<int> same(static_cast<size_t>(clusters));
    std::iota(same.begin(), same.end(), 0);
    for (int a = 0; a < clusters; ++a)
        for (int b = 0; b < a; ++b)
            if (cv::norm(centres.row(a), centres.row(b)) < 14 && same[static_cast<size_t>(b)] == b)
                same[static_cast<size_t>(a)] = same[static_cast<size_t>(b)];

    cv::Mat cluster(bgr.size(), CV_8U);
    for (int y = 0; y < lab.rows; ++y)
        for (int x = 0; x < lab.cols; ++x) {
            const cv::Vec3b pixel = lab.at<cv::Vec3b>(y, x);
            int best = 0;
            float bestDistance = 1e30f;
            for (int c = 0; c < clusters; ++c) {
                const float* centre = centres.ptr<float>(c);
                const float dl = pixel[0] - centre[0], da = pixel[1] - centre[1], db = pixel[2] - centre[2];
                const float distance = dl * dl + da * da + db * db;
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = c;
                }
            }
            cluster.at<uchar>(y, x) = static_cast<uchar>(same[static_cast<size_t>(best)]);
        }

    const int smallest = std::max(120, static_cast<int>(bgr.total() / 1500));
    cv::Mat regions = cv::Mat::zeros(bgr.size(), CV_32F);
    float next = 1;
    for (int c = 0; c < clusters; ++c) {
        if (same[static_cast<size_t>(c)] != c)
            continue;
        const cv::Mat mask = (cluster == c) & ~lines;
        cv::Mat labels, stats, centroids;
        const int count = cv::connectedComponentsWithStats(mask, labels, stats, centroids, 4, CV_32S);
        cv::Mat distance;
        const cv::Mat middle = Ridge(mask, distance);
        // How wide each region typically is: most of its middle no wider.
        std::vector<std::vector<float>> widths(static_cast<size_t>(count));
        for (int y = 0; y < mask.rows; ++y) {
            const int* label = labels.ptr<int>(y);
            const uchar* onMiddle = middle.ptr<uchar>(y);
            const float* depth = distance.ptr<float>(y);
            for (int x = 0; x < mask.cols; ++x)
                if (onMiddle[x] && label[x] > 0)
                    widths[static_cast<size_t>(label[x])].push_back(depth[x]);
        }
        // A stroke is long and thin, and drawn on one colour (a felt pen's
        // line on the paper); a thin band between two colours is shading.
        std::vector<uchar> stroke(static_cast<size_t>(count), 0);
        for (int i = 1; i < count; ++i) {
            auto& depths = widths[static_cast<size_t>(i)];
            if (depths.empty())
                continue;
            const auto typical = depths.begin() + static_cast<long>(depths.size() * 4 / 5);
            std::nth_element(depths.begin(), typical, depths.end());
            const double width = 2.0 * *typical;
            stroke[static_cast<size_t>(i)] =
                *typical <= kStrokeHalfWidth && stats.at<int>(i, cv::CC_STAT_AREA) >= kStrokeLength * width * width;
        }
        if (std::find(stroke.begin(), stroke.end(), 1) != stroke.end()) {
            cv::Mat owner;
            labels.convertTo(owner, CV_32F);
            cv::dilate(owner, owner, cv::Mat());
            std::vector<std::array<int, 8>> around(static_cast<size_t>(count), std::array<int, 8>{});
            for (int y = 0; y < mask.rows; ++y) {
                const int* label = labels.ptr<int>(y);
                const float* next = owner.ptr<float>(y);
                const uchar* colour = cluster.ptr<uchar>(y);
                const uchar* line = lines.ptr<uchar>(y);
                for (int x = 0; x < mask.cols; ++x)
                    if (label[x] == 0 && next[x] > 0 && !line[x])
                        ++around[static_cast<size_t>(next[x])][colour[x]];
            }
            for (int i = 1; i < count; ++i) {
                const auto& colours = around[static_cast<size_t>(i)];
                const int total = std::accumulate(colours.begin(), colours.end(), 0);
                if (*std::max_element(colours.begin(), colours.end()) < 0.8 * total)
                    stroke[static_cast<size_t>(i)] = 0;
            }
        }
        cv::Mat core;
        cv::erode(mask, core, Ellipse(5));
        std::vector<float> id(static_cast<size_t>(count), 0);
        for (int y = 0; y < mask.rows; ++y) {
            const int* label = labels.ptr<int>(y);
            const uchar* inner = core.ptr<uchar>(y);
            const uchar* onMiddle = middle.ptr<uchar>(y);
            uchar* strokes = found.strokes.ptr<uchar>(y);
            for (int x = 0; x < mask.cols; ++x) {
                const auto region = static_cast<size_t>(label[x]);
                if (stroke[region]) {
                    strokes[x] = onMiddle[x];
                    continue;
                }
                if (inner[x] && id[region] == 0 && stats.at<int>(label[x], cv::CC_STAT_AREA) >= smallest)
                    id[region] = next++;
            }
        }
        for (int y = 0; y < mask.rows; ++y) {
            const int* label = labels.ptr<int>(y);
            float* out = regions.ptr<float>(y);
            for (int x = 0; x < mask.cols; ++x)
                if (label[x] > 0)
                    out[x] = id[static_cast<size_t>(label[x])];
        }
    }
    // Lines, strokes and melted regions take the region next to them.
    for (int pass = 0; pass < 64; ++pass) {
        const cv::Mat unassigned = regions == 0;
        if (cv::countNonZero(unassigned) == 0)
            break;
        cv::Mat grown;
        cv::dilate(regions, grown, cv::Mat());
        grown.copyTo(regions, unassigned);
    }
    MeltShading(lab, regions);
    const cv::Rect left(0, 0, bgr.cols - 1, bgr.rows), right(1, 0, bgr.cols - 1, bgr.rows);
    const cv::Rect top(0, 0, bgr.cols, bgr.rows - 1), bottom(0, 1, bgr.cols, bgr.rows - 1);
    cv::Mat across = regions(left) != regions(right);
    found.boundaries(left) |= across;
    cv::Mat down = regions(top) != regions(bottom);
    found.boundaries(top) |= down;
    // A stroke between two regions already has their border along its middle.
    cv::Mat bordered;
    cv::dilate(found.boundaries, bordered, Ellipse(7));
    found.strokes &= ~bordered;
    return found;
}

// Lines of black-and-white line art, the borders between the colours of
// clip art and the middles of its strokes. Large dark areas count as colours,
// so that they can be filled.
cv::Mat CleanLines(const cv::Mat& bgr)
{
    const cv::Mat ink = DarkInk(bgr);
    cv::Mat thick;
    cv::morphologyEx(ink, thick, cv::MORPH_OPEN, Ellipse(9));
    const cv::Mat lines = ink & ~thick;
    const Regions regions = FindRegions(bgr, lines);
    return lines | regions.boundaries | regions.strokes;
}

// Every line the same width, along the middle of what was drawn; gaps
// narrower than the width closed.
cv::Mat EvenLines(const cv::Mat& lines)
{
    cv::Mat closed;
    cv::dilate(lines, closed, Ellipse(kLineWidth));
    cv::Mat distance, even;
    cv::dilate(Ridge(closed, distance), even, Ellipse(kLineWidth));
    return even;
}

// The paper's regions (four-connected) and the depth of each one's deepest
// pixel: half its width at its widest.
struct PaperRegions {
    explicit PaperRegions(const cv::Mat& ink)
    {
        cv::Mat centroids, depth;
        const cv::Mat paper = ink == 0;
        count = cv::connectedComponentsWithStats(paper, labels, stats, centroids, 4, CV_32S);
        cv::distanceTransform(paper, depth, cv::DIST_L2, cv::DIST_MASK_5);
        halfWidth.assign(static_cast<size_t>(count), 0);
        for (int y = 0; y < ink.rows; ++y) {
            const int* label = labels.ptr<int>(y);
            const float* inside = depth.ptr<float>(y);
            for (int x = 0; x < ink.cols; ++x)
                halfWidth[static_cast<size_t>(label[x])] = std::max(halfWidth[static_cast<size_t>(label[x])], inside[x]);
        }
    }
    int Area(int i) const { return stats.at<int>(i, cv::CC_STAT_AREA); }
    bool TouchesBorder(int i, cv::Size size) const
    {
        const int left = stats.at<int>(i, cv::CC_STAT_LEFT), top = stats.at<int>(i, cv::CC_STAT_TOP);
        return left == 0 || top == 0 || left + stats.at<int>(i, cv::CC_STAT_WIDTH) == size.width ||
               top + stats.at<int>(i, cv::CC_STAT_HEIGHT) == size.height;
    }
    // Every pixel of the regions `chosen` marks, made ink.
    void Ink(cv::Mat& ink, const std::vector<uchar>& chosen) const
    {
        for (int y = 0; y < ink.rows; ++y) {
            const int* label = labels.ptr<int>(y);
            uchar* out = ink.ptr<uchar>(y);
            for (int x = 0; x < ink.cols; ++x)
                if (chosen[static_cast<size_t>(label[x])])
                    out[x] = 255;
        }
    }

    int count = 0;
    cv::Mat labels, stats;
    std::vector<float> halfWidth;
};

// Regions too small for a child's fill become part of the lines around them,
// except the inside of a small closed shape (an eye, a button), which stays
// so that the shape keeps its outline instead of becoming a blob.
void FillSmallHoles(cv::Mat& ink, int smallest)
{
    constexpr float kRoundHole = 3;  // half the width of the narrowest hole kept
    const PaperRegions paper(ink);
    std::vector<uchar> small(static_cast<size_t>(paper.count), 0);
    for (int i = 1; i < paper.count; ++i)
        small[static_cast<size_t>(i)] = paper.Area(i) < smallest && paper.halfWidth[static_cast<size_t>(i)] < kRoundHole;
    paper.Ink(ink, small);
}

// Everything the paper round the drawing does not reach: lines and what they enclose.
cv::Mat Shape(const cv::Mat& ink)
{
    cv::Mat outside = ink == 0;
    cv::floodFill(outside, cv::Point(0, 0), 128, nullptr, 0, 0, 4);
    return outside != 128;
}

// Two lines drawn close side by side along the figure's edge (a thick
// outline drawn as its own outline, a double outline) enclose a long strip
// no child colours, and leave the inner line drawn beside the child's: the
// strip and its two lines become one line along their middle. Such strips
// inside the figure (a window's frame, a porthole's ring) stay.
void MergeDoubleOutlines(cv::Mat& ink)
{
    constexpr float kWidest = 7;  // half the width of the widest strip merged
    constexpr double kLong = 6;   // a strip's area is at least this many squares of its width
    const PaperRegions paper(ink);
    cv::Mat fromOutside;
    cv::distanceTransform(Shape(ink), fromOutside, cv::DIST_L2, cv::DIST_MASK_5);
    std::vector<int> alongEdge(static_cast<size_t>(paper.count), 0);
    for (int y = 0; y < ink.rows; ++y) {
        const int* label = paper.labels.ptr<int>(y);
        const float* depth = fromOutside.ptr<float>(y);
        for (int x = 0; x < ink.cols; ++x) {
            const auto i = static_cast<size_t>(label[x]);
            alongEdge[i] += depth[x] <= 2 * paper.halfWidth[i] + kLineWidth + 2 ? 1 : 0;
        }
    }
    std::vector<uchar> strip(static_cast<size_t>(paper.count), 0);
    bool any = false;
    for (int i = 1; i < paper.count; ++i) {
        const auto half = static_cast<double>(paper.halfWidth[static_cast<size_t>(i)]);
        strip[static_cast<size_t>(i)] = half <= kWidest && paper.Area(i) >= kLong * 4 * half * half &&
                                        2 * alongEdge[static_cast<size_t>(i)] >= paper.Area(i) &&
                                        !paper.TouchesBorder(i, ink.size());
        any = any || strip[static_cast<size_t>(i)];
    }
    if (!any)
        return;
    paper.Ink(ink, strip);
    ink = EvenLines(ink);
}

// The pieces of a shape too small beside its largest to be part of the
// figure, as the picture judge sees them.
cv::Mat Specks(const cv::Mat& shape)
{
    cv::Mat pieces, stats, centres;
    const int count = cv::connectedComponentsWithStats(shape, pieces, stats, centres, 8, CV_32S);
    int largest = 0;
    for (int i = 1; i < count; ++i)
        largest = std::max(largest, stats.at<int>(i, cv::CC_STAT_AREA));
    cv::Mat specks = cv::Mat::zeros(shape.size(), CV_8U);
    for (int y = 0; y < shape.rows; ++y)
        for (int x = 0; x < shape.cols; ++x)
            if (const int piece = pieces.at<int>(y, x); piece > 0 && stats.at<int>(piece, cv::CC_STAT_AREA) * PageRules::kSpeck < largest)
                specks.at<uchar>(y, x) = 255;
    return specks;
}

// The same, with the gaps narrower than `gap` in its lines closed (an
// outline drawn with gaps still has an inside): the lines are thickened to
// close them, and what they enclose thinned back.
cv::Mat BridgedShape(const cv::Mat& ink, int gap)
{
    cv::Mat thick, shape;
    cv::dilate(ink, thick, Ellipse(gap));
    cv::erode(Shape(thick), shape, Ellipse(gap));
    return shape | Shape(ink);
}

std::vector<cv::Point> LargestOutside(const cv::Mat& mask)
{
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(mask.clone(), contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
    std::vector<cv::Point> largest;
    double largestArea = -1;
    for (auto& contour : contours) {
        const double area = cv::contourArea(contour) + static_cast<double>(contour.size());
        if (area > largestArea) {
            largestArea = area;
            largest = std::move(contour);
        }
    }
    return largest;
}

// The figure the child goes round: the piece without its parts thinner than
// three dot radii (whiskers, antennae, stems, a ground line, the band between
// a double outline) and with its gaps as narrow bridged, so that the path
// never runs out along a thin part and back, nor into a slit and out. A
// drawing made mostly of thin lines keeps them all.
cv::Mat Figure(const cv::Mat& piece, int gap)
{
    cv::Mat opened;
    cv::morphologyEx(piece, opened, cv::MORPH_OPEN, Ellipse(kThinPart));
    cv::morphologyEx(opened, opened, cv::MORPH_CLOSE, Ellipse(gap));
    const std::vector<cv::Point> around = LargestOutside(opened);
    if (around.empty() || cv::contourArea(around) < 0.3 * cv::countNonZero(piece))
        return piece;
    cv::Mat figure = cv::Mat::zeros(piece.size(), CV_8U);
    cv::drawContours(figure, std::vector<std::vector<cv::Point>>{around}, 0, 255, cv::FILLED);
    return figure;
}

// The figure of the drawing's largest piece, gaps narrower than `gap`
// bridged. A rectangle round the whole drawing on blank paper (a colouring
// page's border) is a frame: the figure is the drawing inside it, when there
// is one of some size; the frame stays in the picture. A rectangle filled
// with colour is a thing drawn (a box, a game, a van from above).
cv::Mat FindFigure(const cv::Mat& ink, const cv::Mat& paper, int gap, const cv::Rect& place)
{
    cv::Mat shape = BridgedShape(ink, gap);
    std::vector<cv::Point> around = LargestOutside(shape);
    if (around.empty())
        throw EVorlaneError("Ce dessin n'a pas de traits à suivre.");
    const cv::Rect box = cv::boundingRect(around);
    if (cv::contourArea(around) > 0.95 * box.area() && box.width > 0.9 * place.width &&
        box.height > 0.9 * place.height) {
        cv::Mat inside = cv::Mat::zeros(ink.size(), CV_8U);
        cv::rectangle(inside, box, 255, cv::FILLED);
        cv::erode(inside, inside, Ellipse(4 * kLineWidth + 1));
        const cv::Mat framed = cv::countNonZero(paper & inside) > kBlankPage * cv::countNonZero(inside)
                                   ? BridgedShape(ink & inside, gap)
                                   : cv::Mat();
        std::vector<cv::Point> drawing = framed.empty() ? std::vector<cv::Point>() : LargestOutside(framed);
        const cv::Rect extent = cv::boundingRect(drawing);
        if (!drawing.empty() && std::max(extent.width, extent.height) > 0.4 * std::max(box.width, box.height)) {
            shape = framed;
            around = std::move(drawing);
        }
    }
    cv::Mat piece = cv::Mat::zeros(ink.size(), CV_8U);
    cv::drawContours(piece, std::vector<std::vector<cv::Point>>{around}, 0, 255, cv::FILLED);
    return Figure(piece & shape, gap);
}

// Where the outline crosses a gap of the drawing's lines into its inside, a
// line closes the gap: the child's fill stays inside, and dots can go there.
// Where it crosses the mouth of a narrow bay (between two legs), nothing is
// drawn: only a few pixels of paper would be shut in.
void CloseGaps(cv::Mat& ink, const std::vector<cv::Point>& outline, int figureArea)
{
    constexpr double kInside = 0.05;  // of the figure's area: shut in behind a gap, not a bay
    // The runs of the outline over paper, each with a black point at both ends.
    std::vector<std::vector<cv::Point>> runs;
    const std::size_t count = outline.size();
    std::size_t start = 0;
    while (start < count && !ink.at<uchar>(outline[start]))
        ++start;
    for (std::size_t step = 1; start < count && step < count; ++step) {
        if (ink.at<uchar>(outline[(start + step) % count]))
            continue;
        std::vector<cv::Point> run{outline[(start + step - 1) % count]};
        for (; step < count && !ink.at<uchar>(outline[(start + step) % count]); ++step)
            run.push_back(outline[(start + step) % count]);
        run.push_back(outline[(start + step) % count]);
        runs.push_back(std::move(run));
    }
    if (runs.empty())
        return;
    // What closing them all shuts in, piece by piece.
    cv::Mat closed = ink.clone();
    cv::polylines(closed, runs, false, 255, kLineWidth, cv::LINE_8);
    const cv::Mat shutIn = ~Shape(ink) & Shape(closed) & ~closed;
    cv::Mat pieces, stats, centres;
    cv::connectedComponentsWithStats(shutIn, pieces, stats, centres, 4, CV_32S);
    const int reach = kLineWidth + 4;
    for (const std::vector<cv::Point>& run : runs) {
        const cv::Rect box = (cv::boundingRect(run) + cv::Size(2 * reach, 2 * reach) - cv::Point(reach, reach)) &
                             cv::Rect(cv::Point(), ink.size());
        cv::Mat beside = cv::Mat::zeros(box.size(), CV_8U);
        std::vector<cv::Point> local;
        for (const cv::Point& point : run)
            local.push_back(point - box.tl());
        cv::polylines(beside, local, false, 255, reach, cv::LINE_8);
        bool inside = false;
        for (int y = 0; y < box.height && !inside; ++y)
            for (int x = 0; x < box.width && !inside; ++x) {
                const int piece = pieces.at<int>(box.y + y, box.x + x);
                inside = beside.at<uchar>(y, x) && piece > 0 && stats.at<int>(piece, cv::CC_STAT_AREA) >= kInside * figureArea;
            }
        if (inside)
            cv::polylines(ink, run, false, 255, kLineWidth, cv::LINE_8);
    }
}

// The area of the hull of the drawing's largest line: what a figure that
// stands for the drawing covers a good part of.
double InkHullArea(const cv::Mat& ink)
{
    cv::Mat labels, stats, centres;
    const int count = cv::connectedComponentsWithStats(ink, labels, stats, centres, 8, CV_32S);
    int largest = 0;
    for (int i = 1; i < count; ++i)
        if (largest == 0 || stats.at<int>(i, cv::CC_STAT_AREA) > stats.at<int>(largest, cv::CC_STAT_AREA))
            largest = i;
    std::vector<cv::Point> points, hull;
    cv::findNonZero(labels == largest, points);
    if (largest == 0 || points.size() < 3)
        return 0;
    cv::convexHull(points, hull);
    return cv::contourArea(hull);
}

QImage Grey(const cv::Mat& mask)
{
    QImage image(mask.cols, mask.rows, QImage::Format_Grayscale8);
    for (int y = 0; y < mask.rows; ++y)
        std::copy_n(mask.ptr<uchar>(y), mask.cols, image.scanLine(y));
    return image;
}

}  // namespace

QRectF DrawingBounds(const QImage& page)
{
    const cv::Mat bgr = Bgr(page);
    cv::Mat gray;
    cv::cvtColor(bgr, gray, cv::COLOR_BGR2GRAY);
    cv::Scalar mean, deviation;
    cv::meanStdDev(gray, mean, deviation);
    if (deviation[0] < 4 && mean[0] < 128)
        throw EVorlaneError("Ce dessin est tout noir : il n'a pas de traits à suivre.");
    cv::Mat content;
    if (LooksPhotographed(bgr)) {
        content = PhotoInk(bgr);
        RemoveSpecks(content, std::max(8, static_cast<int>(bgr.total() / 5000)));
    } else {
        cv::Mat hsv;
        cv::cvtColor(bgr, hsv, cv::COLOR_BGR2HSV);
        cv::inRange(hsv, cv::Scalar(0, 0, 0), cv::Scalar(180, 40, 235), content);
        content |= DarkInk(bgr);
        cv::Mat coloured;
        cv::inRange(hsv, cv::Scalar(0, 41, 0), cv::Scalar(180, 255, 255), coloured);
        content |= coloured;
        RemoveSpecks(content, 3);
    }
    if (cv::countNonZero(content) == 0)
        throw EVorlaneError("Ce dessin est tout blanc : il n'y a rien à tracer.");
    const cv::Rect box = cv::boundingRect(content);
    const double room = 0.02 * std::max(bgr.cols, bgr.rows) + 2;
    const double left = std::max(0.0, box.x - room), top = std::max(0.0, box.y - room);
    const double right = std::min<double>(bgr.cols, box.x + box.width + room);
    const double bottom = std::min<double>(bgr.rows, box.y + box.height + room);
    return QRectF(left / bgr.cols, top / bgr.rows, (right - left) / bgr.cols, (bottom - top) / bgr.rows);
}

LineArt TraceLineArt(const QImage& drawing, QSize pictureSize)
{
    const cv::Mat bgr = Bgr(drawing);
    const bool photographed = LooksPhotographed(bgr);
    cv::Mat lines = photographed ? PhotoInk(bgr) : CleanLines(bgr);
    RemoveSpecks(lines, photographed ? std::max(30, static_cast<int>(bgr.total() / 8000)) : 6);
    lines = EvenLines(lines);

    cv::Mat ink = cv::Mat::zeros(pictureSize.height(), pictureSize.width(), CV_8U);
    const cv::Rect place((ink.cols - lines.cols) / 2, (ink.rows - lines.rows) / 2, lines.cols, lines.rows);
    lines.copyTo(ink(place));
    FillSmallHoles(ink, std::max(60, static_cast<int>(ink.total() / 4000)));
    MergeDoubleOutlines(ink);

    // Gaps in the lines are bridged as narrow as will do: an outline drawn
    // with wide gaps (a quick sketch) still has an inside to go round.
    // Where the drawing leaves the paper blank.
    cv::Mat paper(ink.size(), CV_8U, cv::Scalar(255)), blank;
    cv::inRange(bgr, cv::Scalar(235, 235, 235), cv::Scalar(255, 255, 255), blank);
    blank.copyTo(paper(place));
    // No wider than the child's line may stray from the drawing's edge when
    // it crosses one.
    const cv::Rect bounds = cv::boundingRect(ink);
    const int widest = static_cast<int>(2 * (PageRules::kNearOutline * std::hypot(bounds.width, bounds.height) - 1)) | 1;
    const double hull = InkHullArea(ink);
    cv::Mat figure;
    int bridged = 0;
    for (const int wanted : {kNarrowGap, kNarrowGap + 16, kNarrowGap + 32}) {
        const int gap = std::max(kThinPart, std::min(wanted, widest));
        cv::Mat found = FindFigure(ink, paper, gap, place);
        if (figure.empty() || cv::countNonZero(found) > cv::countNonZero(figure)) {
            figure = std::move(found);
            bridged = gap;
        }
        if (cv::countNonZero(figure) >= kSubstantial * hull || gap < wanted)
            break;
    }
    // An outline broken along a stretch wider than that still reads closed
    // to the eye: a part behind the break at least twice as wide as the
    // break is figure (narrower, it is a bay between two parts), and the
    // break is closed below, so the child's line need not stray across it.
    // Bridged widest first: a part that bridging adds is no deeper when
    // bridged narrower, so one bridging mostly tells there is none.
    const auto added = [&](int gap) {
        std::pair<cv::Mat, double> found{FindFigure(ink, paper, gap, place), 0.0};
        cv::Mat depth;
        cv::distanceTransform(found.first & ~figure, depth, cv::DIST_L2, cv::DIST_MASK_3);
        cv::minMaxLoc(depth, nullptr, &found.second);
        return found;
    };
    if (const auto wide = added(bridged + 32); wide.second >= bridged + 16) {
        if (auto narrow = added(bridged + 16); narrow.second >= bridged + 16)
            figure = std::move(narrow.first);
        else if (wide.second >= bridged + 32)
            figure = wide.first;
    }
    // The outline runs inside the figure's black line, so that the dots can sit on black.
    cv::Mat inner;
    cv::erode(figure, inner, Ellipse(kLineWidth));
    std::vector<cv::Point> outline = LargestOutside(inner);
    const cv::Rect extent = cv::boundingRect(outline);
    if (outline.size() < 8 || std::max(extent.width, extent.height) < 48)
        throw EVorlaneError("Ce dessin est trop petit ou trop maigre pour y placer des points.");
    // Clockwise on the screen (y downwards).
    double twiceArea = 0;
    for (size_t i = 0; i < outline.size(); ++i) {
        const cv::Point& a = outline[i];
        const cv::Point& b = outline[(i + 1) % outline.size()];
        twiceArea += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
    }
    if (twiceArea < 0)
        std::reverse(outline.begin(), outline.end());
    CloseGaps(ink, outline, cv::countNonZero(figure));
    // A gap of a few pixels between two lines is lost to the eye but not to
    // a fill: closed, the picture to colour holds each colour where it goes.
    cv::Mat closed;
    cv::morphologyEx(ink, closed, cv::MORPH_CLOSE, Ellipse(2 * static_cast<int>(PageRules::kLeakGap) + 1));
    ink |= closed;

    // The outline's band: the lines along the figure's edge, each across its
    // whole width (where the middle of a line runs, the line goes).
    // A stroke thicker than the picture's lines reaches that much deeper:
    // its middle is as much the outline as a thin one's.
    cv::Mat halfWidth, depth;
    const cv::Mat middle = Ridge(ink, halfWidth);
    cv::distanceTransform(figure, depth, cv::DIST_L2, cv::DIST_MASK_5);
    cv::Mat middleDistance, nearestMiddle;
    cv::distanceTransform(~middle, middleDistance, nearestMiddle, cv::DIST_L2, cv::DIST_MASK_5, cv::DIST_LABEL_PIXEL);
    std::vector<uchar> inBand(static_cast<std::size_t>(cv::countNonZero(middle)) + 1, 0);
    for (int y = 0; y < ink.rows; ++y)
        for (int x = 0; x < ink.cols; ++x)
            if (middle.at<uchar>(y, x)) {
                const float thicker = std::max(0.0f, halfWidth.at<float>(y, x) - kLineWidth / 2.0f);
                inBand[static_cast<std::size_t>(nearestMiddle.at<int>(y, x))] =
                    figure.at<uchar>(y, x) && depth.at<float>(y, x) <= kBandDepth + thicker ? 255 : 0;
            }
    cv::Mat band = cv::Mat::zeros(ink.size(), CV_8U);
    for (int y = 0; y < ink.rows; ++y)
        for (int x = 0; x < ink.cols; ++x)
            if (ink.at<uchar>(y, x) && inBand[static_cast<std::size_t>(nearestMiddle.at<int>(y, x))])
                band.at<uchar>(y, x) = 255;

    LineArt art;
    art.pictureToColour = BlackOnWhite(ink);
    art.innerLines = Grey(ink & ~band);
    art.lines = Grey(ink);
    art.figure = Grey(figure);
    art.extent = QRect(bounds.x, bounds.y, bounds.width, bounds.height);
    // Which outline point is nearest each pixel.
    cv::Mat far(ink.size(), CV_8U, cv::Scalar(255));
    for (const cv::Point& point : outline)
        far.at<uchar>(point) = 0;
    cv::Mat distance, nearest;
    cv::distanceTransform(far, distance, nearest, cv::DIST_L2, cv::DIST_MASK_5, cv::DIST_LABEL_PIXEL);
    // How far each pixel is from the drawing's edge: its lines next to the
    // page's outside, which the child's line must keep near. Specks beside
    // the figure (a crumb, a twinkle) are decoration, not an edge to follow.
    cv::Mat edge, edgeDistance;
    const cv::Mat shape = Shape(ink);
    cv::dilate(~shape, edge, cv::Mat());
    edge &= ink & ~Specks(shape);
    cv::distanceTransform(~edge, edgeDistance, cv::DIST_L2, cv::DIST_MASK_5);
    art.edgeDistance.assign(edgeDistance.begin<float>(), edgeDistance.end<float>());
    std::vector<std::size_t> indexOf(outline.size() + 1, 0);
    for (std::size_t i = 0; i < outline.size(); ++i)
        indexOf[static_cast<std::size_t>(nearest.at<int>(outline[i]))] = i;
    for (int y = 0; y < band.rows; ++y)
        for (int x = 0; x < band.cols; ++x)
            if (band.at<uchar>(y, x))
                art.outlineBand.push_back({QPoint(x, y), indexOf[static_cast<std::size_t>(nearest.at<int>(y, x))]});
    art.outline.reserve(outline.size());
    for (const cv::Point& point : outline)
        art.outline.emplace_back(point.x, point.y);
    return art;
}

}  // namespace vorlane
