// The atelier's rubber: strokes a parent takes out of the dots page or the
// picture to colour, and whether that opened the picture to colour.
#include "TracedDrawing.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace vorlane {

namespace {

// How far from a line a click still takes it.
constexpr int kReach = 8;
// A stroke spanning more than this share of the drawing's larger side goes
// piece by piece, as the outline does: taken whole at one click, it would
// take much of the drawing with it.
constexpr double kLongStroke = 0.4;
// Figure pixels a fill from outside may reach beyond those it reached before
// any rubbing, before the picture counts as open: a slip at a corner is no leak.
constexpr int kLeak = 40;
// How far beside the outline's band a line counts as part of the outline.
constexpr int kCorridor = 12;

cv::Mat Disc(int size)
{
    return cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(size, size));
}

cv::Mat Matrix(const QImage& mask)
{
    cv::Mat matrix(mask.height(), mask.width(), CV_8U);
    for (int y = 0; y < mask.height(); ++y)
        std::copy_n(mask.constScanLine(y), mask.width(), matrix.ptr<uchar>(y));
    return matrix;
}

QImage Mask(const cv::Mat& matrix)
{
    QImage mask(matrix.cols, matrix.rows, QImage::Format_Grayscale8);
    for (int y = 0; y < matrix.rows; ++y)
        std::copy_n(matrix.ptr<uchar>(y), matrix.cols, mask.scanLine(y));
    return mask;
}

cv::Mat Band(const std::vector<BandPixel>& band, cv::Size size)
{
    cv::Mat mask = cv::Mat::zeros(size, CV_8U);
    for (const BandPixel& pixel : band)
        mask.at<uchar>(pixel.at.y(), pixel.at.x()) = 255;
    return mask;
}

// Where paint poured outside the drawing would run: the background joined to
// the picture's edge, side by side as a paint bucket spreads.
cv::Mat Outside(const QImage& lines)
{
    const cv::Mat open = Matrix(lines) == 0;
    cv::Mat areas;
    const int count = cv::connectedComponents(open, areas, 4, CV_32S);
    std::vector<uchar> edge(static_cast<std::size_t>(count), 0);
    for (int y = 0; y < areas.rows; ++y)
        for (int x = 0; x < areas.cols; x += (y == 0 || y == areas.rows - 1) ? 1 : std::max(1, areas.cols - 1))
            edge[static_cast<std::size_t>(areas.at<int>(y, x))] = open.at<uchar>(y, x);
    cv::Mat outside(areas.size(), CV_8U);
    for (int y = 0; y < areas.rows; ++y) {
        const int* area = areas.ptr<int>(y);
        uchar* out = outside.ptr<uchar>(y);
        for (int x = 0; x < areas.cols; ++x)
            out[x] = edge[static_cast<std::size_t>(area[x])] ? 255 : 0;
    }
    return outside;
}

// How much of the figure that paint reaches; the rubbed-out pixels
// themselves do not count, only what lies beyond them.
int Reach(const cv::Mat& outside, const QImage& figure, const QImage& rubbed)
{
    return cv::countNonZero(outside & Matrix(figure) & ~Matrix(rubbed));
}

}  // namespace

std::optional<TracedDrawing> TracedDrawing::Erased(DrawingPage page, const std::vector<QPoint>& path) const
{
    const QImage& pageLines = page == DrawingPage::Dots ? m_innerLines : m_lines;
    if (path.empty() || pageLines.isNull())
        return std::nullopt;
    // What the parent sees as strokes: the page's lines apart from the
    // outline's band, which is rubbed out piece by piece, and apart from what
    // runs along beside it (the inside edge of a thick outline), which would
    // join every stroke that meets the outline into one.
    const cv::Mat lines = Matrix(pageLines);
    cv::Mat band = Band(m_outlineBand, lines.size());
    if (page == DrawingPage::Colour)
        band &= lines;
    cv::Mat corridor;
    cv::dilate(band, corridor, Disc(2 * kCorridor + 1));
    const cv::Mat offBand = lines & ~band;
    const cv::Mat strokes = offBand & ~corridor;
    const cv::Mat erasable = lines | band;

    cv::Mat rubbed = cv::Mat::zeros(lines.size(), CV_8U);
    if (path.size() == 1) {
        const QPoint click = path.front();
        std::optional<cv::Point> nearest;
        int nearestDistance = kReach * kReach + 1;
        for (int y = std::max(0, click.y() - kReach); y <= std::min(lines.rows - 1, click.y() + kReach); ++y)
            for (int x = std::max(0, click.x() - kReach); x <= std::min(lines.cols - 1, click.x() + kReach); ++x) {
                const int distance = (x - click.x()) * (x - click.x()) + (y - click.y()) * (y - click.y());
                if (erasable.at<uchar>(y, x) && distance < nearestDistance) {
                    nearestDistance = distance;
                    nearest = cv::Point(x, y);
                }
            }
        if (!nearest)
            return std::nullopt;
        if (strokes.at<uchar>(*nearest)) {
            cv::Mat parts, stats, centres;
            cv::connectedComponentsWithStats(strokes, parts, stats, centres, 8, CV_32S);
            const int part = parts.at<int>(*nearest);
            const int span = std::max(stats.at<int>(part, cv::CC_STAT_WIDTH), stats.at<int>(part, cv::CC_STAT_HEIGHT));
            if (span <= kLongStroke * std::max(m_extent.width(), m_extent.height())) {
                // With its ends up to the outline, not the outline itself.
                rubbed = parts == part;
                for (int step = 0; step < kCorridor + 1; ++step) {
                    cv::dilate(rubbed, rubbed, Disc(3));
                    rubbed &= offBand;
                }
            }
        }
        if (cv::countNonZero(rubbed) == 0)
            cv::circle(rubbed, *nearest, kRubberRadius, 255, cv::FILLED);
    } else {
        std::vector<cv::Point> points;
        points.reserve(path.size());
        for (const QPoint& point : path)
            points.emplace_back(point.x(), point.y());
        cv::polylines(rubbed, points, false, 255, 2 * kRubberRadius + 1, cv::LINE_8);
        for (const cv::Point& point : points)
            cv::circle(rubbed, point, kRubberRadius, 255, cv::FILLED);
    }
    rubbed &= erasable;
    if (cv::countNonZero(rubbed) == 0)
        return std::nullopt;
    return Erased(page, Mask(rubbed));
}

TracedDrawing TracedDrawing::Erased(DrawingPage page, const QImage& pixels) const
{
    TracedDrawing erased = *this;
    if (pixels.size() != PictureSize() || m_lines.isNull() || m_innerLines.isNull())
        return erased;
    const QImage rubbed = pixels.convertToFormat(QImage::Format_Grayscale8);
    QImage& kept = erased.m_erased[static_cast<std::size_t>(page)];
    if (kept.isNull()) {
        kept = QImage(PictureSize(), QImage::Format_Grayscale8);
        kept.fill(0);
    }
    // The picture to colour as it was before any rubbing is the measure of
    // what a fill from outside may reach.
    if (page == DrawingPage::Colour && erased.m_closedReach < 0)
        erased.m_closedReach = Reach(Outside(m_lines), m_figure, kept);
    for (int y = 0; y < rubbed.height(); ++y) {
        const uchar* gone = rubbed.constScanLine(y);
        uchar* all = kept.scanLine(y);
        uchar* lines = page == DrawingPage::Dots ? erased.m_innerLines.scanLine(y) : erased.m_lines.scanLine(y);
        auto* colour = page == DrawingPage::Colour ? reinterpret_cast<QRgb*>(erased.m_pictureToColour.scanLine(y)) : nullptr;
        for (int x = 0; x < rubbed.width(); ++x) {
            if (gone[x] == 0)
                continue;
            all[x] = 255;
            lines[x] = 0;
            if (colour != nullptr)
                colour[x] = qRgb(255, 255, 255);
        }
    }
    if (page == DrawingPage::Dots) {
        std::erase_if(erased.m_outlineBand,
                      [&](const BandPixel& pixel) { return rubbed.constScanLine(pixel.at.y())[pixel.at.x()] != 0; });
        return erased;
    }

    erased.m_openings.clear();
    const cv::Mat outside = Outside(erased.m_lines);
    if (Reach(outside, m_figure, kept) <= erased.m_closedReach + kLeak)
        return erased;
    // Where the outline was rubbed through, one mark a gap; lines rubbed
    // out beyond it are not gaps of their own.
    cv::Mat outline = Band(m_outlineBand, outside.size());
    if (cv::countNonZero(Matrix(kept) & outside & outline) == 0)
        cv::dilate(Matrix(m_figure), outline, Disc(7));
    cv::Mat gaps;
    cv::dilate(Matrix(kept) & outside & outline, gaps, Disc(2 * kRubberRadius + 1));
    cv::Mat parts, stats, centres;
    const int count = cv::connectedComponentsWithStats(gaps, parts, stats, centres, 8, CV_32S);
    for (int part = 1; part < count; ++part)
        erased.m_openings.emplace_back(qRound(centres.at<double>(part, 0)), qRound(centres.at<double>(part, 1)));
    return erased;
}

}  // namespace vorlane
