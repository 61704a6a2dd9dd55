#include "LineArt.h"

#include "base/Errors.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <numeric>

namespace vorlane {

namespace {

// The width of every black line of the picture to colour: wide enough that a
// fill never leaks through a diagonal step, thin enough to look drawn.
constexpr int kLineWidth = 5;
// How deep the outer outline's band reaches in from the outside.
constexpr int kBandDepth = 7;

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

// Colour regions of clip art, told apart by a few representative colours;
// regions too small or too thin for a child's fill melt into their
// neighbours. Returns where two regions meet.
cv::Mat RegionBoundaries(const cv::Mat& bgr, const cv::Mat& lines)
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
    cv::Mat boundaries = cv::Mat::zeros(bgr.size(), CV_8U);
    const int clusters = std::min(8, samples.rows / 8);
    if (clusters < 2)
        return boundaries;
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
        cv::Mat core;
        cv::erode(mask, core, Ellipse(5));
        std::vector<float> id(static_cast<size_t>(count), 0);
        for (int y = 0; y < mask.rows; ++y) {
            const int* label = labels.ptr<int>(y);
            const uchar* inner = core.ptr<uchar>(y);
            for (int x = 0; x < mask.cols; ++x)
                if (inner[x] && id[static_cast<size_t>(label[x])] == 0 &&
                    stats.at<int>(label[x], cv::CC_STAT_AREA) >= smallest)
                    id[static_cast<size_t>(label[x])] = next++;
        }
        for (int y = 0; y < mask.rows; ++y) {
            const int* label = labels.ptr<int>(y);
            float* out = regions.ptr<float>(y);
            for (int x = 0; x < mask.cols; ++x)
                if (label[x] > 0)
                    out[x] = id[static_cast<size_t>(label[x])];
        }
    }
    // Lines and melted regions take the region next to them.
    for (int pass = 0; pass < 64; ++pass) {
        const cv::Mat unassigned = regions == 0;
        if (cv::countNonZero(unassigned) == 0)
            break;
        cv::Mat grown;
        cv::dilate(regions, grown, cv::Mat());
        grown.copyTo(regions, unassigned);
    }
    const cv::Rect left(0, 0, bgr.cols - 1, bgr.rows), right(1, 0, bgr.cols - 1, bgr.rows);
    const cv::Rect top(0, 0, bgr.cols, bgr.rows - 1), bottom(0, 1, bgr.cols, bgr.rows - 1);
    cv::Mat across = regions(left) != regions(right);
    boundaries(left) |= across;
    cv::Mat down = regions(top) != regions(bottom);
    boundaries(top) |= down;
    return boundaries;
}

// Lines of black-and-white line art and the borders between the colours of
// clip art. Large dark areas count as colours, so that they can be filled.
cv::Mat CleanLines(const cv::Mat& bgr)
{
    const cv::Mat ink = DarkInk(bgr);
    cv::Mat thick;
    cv::morphologyEx(ink, thick, cv::MORPH_OPEN, Ellipse(9));
    const cv::Mat lines = ink & ~thick;
    return lines | RegionBoundaries(bgr, lines);
}

// Thins white shapes on black to lines one pixel wide (Zhang and Suen).
void Thin(cv::Mat& image)
{
    cv::Mat padded;
    cv::copyMakeBorder(image, padded, 1, 1, 1, 1, cv::BORDER_CONSTANT, 0);
    padded = padded / 255;
    const int stride = padded.cols;
    std::vector<int> live;
    for (int y = 1; y < padded.rows - 1; ++y)
        for (int x = 1; x < padded.cols - 1; ++x)
            if (padded.at<uchar>(y, x))
                live.push_back(y * stride + x);
    uchar* p = padded.data;
    std::vector<int> removed;
    for (bool changed = true; changed;) {
        changed = false;
        for (int step = 0; step < 2; ++step) {
            removed.clear();
            for (int i : live) {
                if (!p[i])
                    continue;
                const int n[8] = {p[i - stride],     p[i - stride + 1], p[i + 1], p[i + stride + 1],
                                  p[i + stride],     p[i + stride - 1], p[i - 1], p[i - stride - 1]};
                const int count = n[0] + n[1] + n[2] + n[3] + n[4] + n[5] + n[6] + n[7];
                if (count < 2 || count > 6)
                    continue;
                int rises = 0;
                for (int k = 0; k < 8; ++k)
                    rises += !n[k] && n[(k + 1) % 8];
                if (rises != 1)
                    continue;
                const bool free = step == 0 ? (!(n[0] && n[2] && n[4]) && !(n[2] && n[4] && n[6]))
                                            : (!(n[0] && n[2] && n[6]) && !(n[0] && n[4] && n[6]));
                if (free)
                    removed.push_back(i);
            }
            for (int i : removed)
                p[i] = 0;
            changed = changed || !removed.empty();
        }
        std::erase_if(live, [p](int i) { return !p[i]; });
    }
    image = padded(cv::Rect(1, 1, image.cols, image.rows)) * 255;
}

// Every line the same width; gaps narrower than the width closed.
cv::Mat EvenLines(const cv::Mat& lines)
{
    cv::Mat closed;
    cv::dilate(lines, closed, Ellipse(kLineWidth));
    Thin(closed);
    cv::Mat even;
    cv::dilate(closed, even, Ellipse(kLineWidth));
    return even;
}

// Regions too small for a child's fill become part of the lines around them.
void FillSmallHoles(cv::Mat& ink, int smallest)
{
    cv::Mat labels, stats, centroids;
    const cv::Mat paper = ink == 0;
    cv::connectedComponentsWithStats(paper, labels, stats, centroids, 4, CV_32S);
    for (int y = 0; y < ink.rows; ++y) {
        const int* label = labels.ptr<int>(y);
        uchar* out = ink.ptr<uchar>(y);
        for (int x = 0; x < ink.cols; ++x)
            if (label[x] > 0 && stats.at<int>(label[x], cv::CC_STAT_AREA) < smallest)
                out[x] = 255;
    }
}

// Everything the paper round the drawing does not reach: lines and what they enclose.
cv::Mat Shape(const cv::Mat& ink)
{
    cv::Mat outside = ink == 0;
    cv::floodFill(outside, cv::Point(0, 0), 128, nullptr, 0, 0, 4);
    return outside != 128;
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

    // The drawing's largest piece, holes filled: what the outline goes round.
    cv::Mat shape = Shape(ink);
    std::vector<cv::Point> around = LargestOutside(shape);
    if (around.empty())
        throw EVorlaneError("Ce dessin n'a pas de traits à suivre.");
    // A rectangle round the whole drawing (a colouring page's border, a
    // backdrop) is a frame: the outline goes round the drawing inside it, when
    // there is one of some size. The frame stays in the picture.
    const cv::Rect box = cv::boundingRect(around);
    if (cv::contourArea(around) > 0.95 * box.area() && box.width > 0.9 * place.width &&
        box.height > 0.9 * place.height) {
        cv::Mat inside = cv::Mat::zeros(ink.size(), CV_8U);
        cv::rectangle(inside, box, 255, cv::FILLED);
        cv::erode(inside, inside, Ellipse(4 * kLineWidth + 1));
        const cv::Mat framed = Shape(ink & inside);
        std::vector<cv::Point> drawing = LargestOutside(framed);
        const cv::Rect extent = cv::boundingRect(drawing);
        if (!drawing.empty() && std::max(extent.width, extent.height) > 0.4 * std::max(box.width, box.height)) {
            shape = framed;
            around = std::move(drawing);
        }
    }
    cv::Mat piece = cv::Mat::zeros(ink.size(), CV_8U);
    cv::drawContours(piece, std::vector<std::vector<cv::Point>>{around}, 0, 255, cv::FILLED);
    piece &= shape;
    // The outline runs inside its black line, so that every dot is on black.
    cv::Mat inner;
    cv::erode(piece, inner, Ellipse(kLineWidth));
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
    for (const cv::Point& point : outline)
        ink.at<uchar>(point) = 255;

    cv::Mat deep;
    cv::erode(piece, deep, Ellipse(2 * kBandDepth + 1));
    const cv::Mat band = piece & ~deep & ink;

    LineArt art;
    art.pictureToColour = BlackOnWhite(ink);
    art.innerLines = BlackOnWhite(ink & ~band);
    art.outlineBand = QImage(band.cols, band.rows, QImage::Format_Grayscale8);
    for (int y = 0; y < band.rows; ++y)
        std::copy_n(band.ptr<uchar>(y), band.cols, art.outlineBand.scanLine(y));
    cv::Mat far(ink.size(), CV_8U, cv::Scalar(255));
    for (const cv::Point& point : outline)
        far.at<uchar>(point) = 0;
    cv::Mat distance;
    cv::distanceTransform(far, distance, cv::DIST_L2, cv::DIST_MASK_3);
    art.outlineDistance.assign(distance.begin<float>(), distance.end<float>());
    art.outline.reserve(outline.size());
    for (const cv::Point& point : outline)
        art.outline.emplace_back(point.x, point.y);
    return art;
}

}  // namespace vorlane
