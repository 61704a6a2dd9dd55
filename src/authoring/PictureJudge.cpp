#include "PictureJudge.h"

#include "DotPicture.h"
#include "DotStyle.h"
#include "PageRules.h"

#include "base/Errors.h"
#include "content/ContentPaths.h"
#include "content/ThemeDat.h"
#include "display/TDIB.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <numbers>
#include <numeric>
#include <set>

namespace vorlane {

namespace {

using namespace PageRules;

// Darker than this on the dots page is ink, anti-aliased edges included; darker
// than kDark is what a child sees as black (the finished picture's lines too).
constexpr int kInk = 160;
constexpr int kDark = 128;
// Pictures of kFewDots dots or fewer are for the youngest: the big dots (drawn
// at radius 9, measured 8 or more) and the big labels (26 pixels, whose
// tallest glyphs are 19 pixels high; the small labels' are 13).
constexpr double kBigDotRadius = 8;
constexpr double kBigLabelHeight = 16;
// The small dots' radius: the size a look-alike is measured against when the
// page's own dots cannot be measured.
constexpr double kSmallDotRadius = 6;
// Bigger pictures are judged at a smaller scale: the measures are relative,
// and a user's folder may hold a bitmap of 16384 pixels a side.
constexpr int kLargestSide = 2048;
// Glyphs closer than this, in parts of their height, read as one label.
constexpr double kGlyphGap = 0.35;
// A line of the finished picture is drawn on the dots page when this share of
// it is inked there; a label over a line the page leaves out inks less.
constexpr double kDrawnLine = 0.8;
// Most dots named in one reason.
constexpr std::size_t kMostNamed = 8;

using Mask = cv::Mat;  // CV_8U, 255 where set

// One grey for a bitmap read from a file and a page drawn in memory, so that
// a page is judged alike in the atelier and once written.
uchar GreyOf(std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return static_cast<uchar>((r * 11 + g * 16 + b * 5) / 32);
}

}  // namespace

QImage JudgedPage::GreyPicture(const TDIB& bitmap)
{
    std::array<uchar, 256> palette{};  // an index beyond the palette reads as black
    for (std::size_t i = 0; i < std::min<std::size_t>(bitmap.Palette().size(), palette.size()); ++i) {
        const std::uint32_t colour = bitmap.Palette()[i];
        palette[i] = GreyOf(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    }
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_Grayscale8);
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* in = bitmap.ScanLine(y);
        uchar* out = image.scanLine(y);
        if (bitmap.IsIndexed())
            for (int x = 0; x < bitmap.Width(); ++x)
                out[x] = palette[in[x]];
        else
            for (int x = 0; x < bitmap.Width(); ++x, in += 3)
                out[x] = GreyOf(in[2], in[1], in[0]);
    }
    return image;
}

namespace {

QImage LoadGrey(const std::string& folder, const std::string& name)
{
    TDIB bitmap;
    bitmap.LoadBitmapFile(ResolveContentFile(folder + "/" + name));
    if (bitmap.Empty())
        throw EVorlaneError(name + " : image vide");
    return JudgedPage::GreyPicture(bitmap);
}

cv::Mat Grey(const QImage& image, QSize size)
{
    cv::Mat grey(size.height(), size.width(), CV_8U, cv::Scalar(0));
    const QSize shared = size.boundedTo(image.size());
    if (image.format() == QImage::Format_Grayscale8) {
        for (int y = 0; y < shared.height(); ++y)
            std::copy_n(image.constScanLine(y), shared.width(), grey.ptr<uchar>(y));
        return grey;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < shared.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* out = grey.ptr<uchar>(y);
        for (int x = 0; x < shared.width(); ++x)
            out[x] = GreyOf(qRed(in[x]), qGreen(in[x]), qBlue(in[x]));
    }
    return grey;
}

// "point 3", "points 3, 4 et 9", at most kMostNamed of them.
std::string DotList(const std::set<int>& dots)
{
    std::string text = dots.size() > 1 ? "points " : "point ";
    std::size_t named = 0;
    for (auto it = dots.begin(); it != dots.end(); ++it, ++named) {
        if (named == kMostNamed) {
            text += "…";
            break;
        }
        if (named > 0)
            text += std::next(it) == dots.end() ? " et " : ", ";
        text += std::to_string(*it);
    }
    return text;
}

// "du point 3", "des points 3 et 4".
std::string NearDots(const std::set<int>& dots)
{
    return (dots.size() > 1 ? "des " : "du ") + DotList(dots);
}

// "3,4 %", as French writes it.
std::string Percent(double share)
{
    const long tenths = std::lround(1000 * share);
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " %";
}

QPointF Q(cv::Point2d p)
{
    return {p.x, p.y};
}

// The radius of the filled disc centred on `centre`: how far the ink goes all
// round before the circles through it turn mostly white. 0 where no dot is drawn.
double DrawnRadius(const Mask& ink, cv::Point centre)
{
    constexpr int kSamples = 32;
    constexpr int kWidestHalves = 80;  // 40 pixels, in half-pixel steps
    double radius = 0;
    for (int halves = 1; halves <= kWidestHalves; ++halves) {
        const double r = halves / 2.0;
        int inked = 0;
        for (int s = 0; s < kSamples; ++s) {
            const double angle = 2 * std::numbers::pi * s / kSamples;
            const int x = centre.x + static_cast<int>(std::lround(r * std::cos(angle)));
            const int y = centre.y + static_cast<int>(std::lround(r * std::sin(angle)));
            inked += x >= 0 && y >= 0 && x < ink.cols && y < ink.rows && ink.at<uchar>(y, x) != 0;
        }
        if (inked < kSamples * 4 / 5)
            break;
        radius = r;
    }
    return radius;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

Mask Dilated(const Mask& mask, int radius = 1)
{
    Mask out;
    cv::dilate(mask, out, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(2 * radius + 1, 2 * radius + 1)));
    return out;
}

// How far each pixel is from a mask's pixels, worked out at half the
// resolution: the criteria it serves are tens of pixels wide, and the full
// transform would cost most of the judge's time.
class DistanceMap {
public:
    DistanceMap() = default;
    explicit DistanceMap(const Mask& to)
    {
        Mask half;
        cv::resize(to, half, cv::Size((to.cols + 1) / 2, (to.rows + 1) / 2), 0, 0, cv::INTER_AREA);
        cv::distanceTransform(half == 0, m_half, cv::DIST_L2, cv::DIST_MASK_3);
    }
    double At(cv::Point p) const
    {
        const int x = std::clamp(p.x / 2, 0, m_half.cols - 1), y = std::clamp(p.y / 2, 0, m_half.rows - 1);
        return 2.0 * m_half.at<float>(y, x);
    }
    // The distances at half the resolution, in half pixels.
    const cv::Mat& Half() const { return m_half; }

private:
    cv::Mat m_half;  // CV_32F
};

// Where the glyphs of the labels are: components of the ink that neither the
// dots nor the finished picture explain, gathered the way a reader groups
// them: glyphs side by side on one line, or one over the other (the dot of an i).
struct Label {
    cv::Rect box;
    int area = 0;
    int glyphs = 0;
    bool touchingDot = false, touchingLine = false;
    int dot = -1;   // index of the dot it was given to
    double gap = 0; // from that dot's edge
};

class Grouping {
public:
    explicit Grouping(std::size_t count) : m_parent(count) { std::iota(m_parent.begin(), m_parent.end(), 0); }
    std::size_t Root(std::size_t i)
    {
        while (m_parent[i] != i)
            i = m_parent[i] = m_parent[m_parent[i]];
        return i;
    }
    void Join(std::size_t a, std::size_t b) { m_parent[Root(a)] = Root(b); }

private:
    std::vector<std::size_t> m_parent;
};

bool ReadTogether(const cv::Rect& a, const cv::Rect& b)
{
    const int height = std::max(a.height, b.height);
    const int width = std::min(a.width, b.width);
    const double reach = kGlyphGap * height;
    const int overlapY = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    const int overlapX = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const int gapX = -overlapX;
    const int gapY = -overlapY;
    const bool sideBySide = overlapY >= std::min(a.height, b.height) / 2 && gapX <= reach;
    const bool stacked = overlapX >= width / 2 && gapY <= reach;
    return sideBySide || stacked;
}

class Judgement {
public:
    explicit Judgement(const JudgedPage& page) { Prepare(page); }

    PageVerdict Run()
    {
        if (m_dots.empty()) {
            Fail(Criterion::Similarity, "l'image est vide", {});
            return m_verdict;
        }
        if (m_points.empty()) {
            Fail(Criterion::Similarity, "l'image n'a aucun point", {});
            return m_verdict;
        }
        // Measured at the picture's edge, such a dot would pass for one on it.
        if (!m_outside.empty()) {
            Fail(Criterion::Similarity,
                 (m_outside.size() > 1 ? "les " : "le ") + DotList(m_outside) +
                     (m_outside.size() > 1 ? " sont" : " est") + " hors de l'image",
                 m_outside);
            m_verdict.suggestion = "Replacez les points sur le dessin.";
            return m_verdict;
        }
        MeasureDots();
        MeasureOutline();
        MeasureLabels();
        MeasureLookAlikes();
        MeasurePath();
        MeasureOnOutline();
        MeasureParts();
        MeasureColouring();
        MeasureClutter();
        MeasureSizes();
        Suggest();
        return m_verdict;
    }

private:
    void Prepare(const JudgedPage& page)
    {
        const QSize size(std::min(page.dotsPicture.width(), page.finishedPicture.width()),
                         std::min(page.dotsPicture.height(), page.finishedPicture.height()));
        if (size.width() <= 0 || size.height() <= 0)
            return;
        m_dots = Grey(page.dotsPicture, size);
        m_finished = Grey(page.finishedPicture, size);
        const int side = std::max(size.width(), size.height());
        if (side > kLargestSide) {
            m_scale = static_cast<double>(kLargestSide) / side;
            const cv::Size scaled(std::max(1, static_cast<int>(std::lround(size.width() * m_scale))),
                                  std::max(1, static_cast<int>(std::lround(size.height() * m_scale))));
            cv::resize(m_dots, m_dots, scaled, 0, 0, cv::INTER_AREA);
            cv::resize(m_finished, m_finished, scaled, 0, 0, cv::INTER_AREA);
        }
        for (std::size_t i = 0; i < page.dots.size(); ++i) {
            const QPoint& dot = page.dots[i];
            if (!QRect(QPoint(), size).contains(dot))
                m_outside.insert(Number(i));
            m_points.emplace_back(std::clamp(static_cast<int>(std::lround(dot.x() * m_scale)), 0, m_dots.cols - 1),
                                  std::clamp(static_cast<int>(std::lround(dot.y() * m_scale)), 0, m_dots.rows - 1));
        }
        m_lineWidth = std::max(1.0, page.lineWidth * m_scale);
    }

    void Fail(Criterion criterion, const std::string& reason, const std::set<int>& dots)
    {
        CriterionResult& result = m_verdict[criterion];
        result.passed = false;
        result.reason = result.reason.empty() ? reason : result.reason + " ; " + reason;
        for (const int dot : dots)
            if (std::find(result.dots.begin(), result.dots.end(), dot) == result.dots.end())
                result.dots.push_back(dot);
        std::sort(result.dots.begin(), result.dots.end());
    }

    std::size_t Count() const { return m_points.size(); }
    int Number(std::size_t index) const { return static_cast<int>(index) + 1; }
    cv::Point2d At(std::size_t index) const { return cv::Point2d(m_points[index]); }

    // The dots as drawn: each one's radius, the page's usual radius, and the
    // discs they cover.
    void MeasureDots()
    {
        cv::compare(m_dots, kInk, m_ink, cv::CMP_LT);
        std::vector<double> radii;
        for (const cv::Point& point : m_points) {
            m_radii.push_back(DrawnRadius(m_ink, point));
            if (m_radii.size() > 1 || Count() == 1)
                radii.push_back(m_radii.back());
        }
        m_verdict.dotRadius = Median(radii) / m_scale;
        m_radius = Median(radii) > 1 ? Median(radii) : kSmallDotRadius * m_scale;
        m_discs = Mask::zeros(m_ink.size(), CV_8U);
        for (std::size_t i = 0; i < Count(); ++i)
            cv::circle(m_discs, m_points[i], static_cast<int>(std::ceil(m_radii[i] + 1.5)), 255, cv::FILLED);
    }

    // What a fill of the background reaches, from the picture's edge.
    static Mask Background(const Mask& lines)
    {
        Mask open;
        cv::copyMakeBorder(lines, open, 1, 1, 1, 1, cv::BORDER_CONSTANT, 0);
        open = open == 0;
        cv::floodFill(open, cv::Point(0, 0), 128, nullptr, 0, 0, 4);
        return open(cv::Rect(1, 1, lines.cols, lines.rows)) == 128;
    }

    // Similarity and obfuscation: the outer outline (the finished picture's
    // black next to the page's outside) against the child's line and the dots page.
    void MeasureOutline()
    {
        cv::compare(m_finished, kDark, m_lines, cv::CMP_LT);
        // The lines as the eye closes them: a gap of a few pixels does not
        // open the figure to the eye, only to a fill (judged below).
        const int size = 2 * static_cast<int>(kLeakGap) + 1;
        cv::morphologyEx(m_lines, m_closed, cv::MORPH_CLOSE,
                         cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(size, size)));
        m_closed |= m_lines;
        const Mask outside = Background(m_lines);
        Mask outline = m_lines & Dilated(outside);
        m_figure = Background(m_closed) == 0;
        m_toLines = DistanceMap(m_lines);

        // The pieces of the drawing; specks beside the main figure (a bubble, a
        // star's twinkle) are decoration, not outline to follow.
        cv::Mat pieceIds, stats, centroids;
        const int found = cv::connectedComponentsWithStats(outside == 0, pieceIds, stats, centroids, 8, CV_32S);
        int largest = 0;
        for (int c = 1; c < found; ++c)
            largest = std::max(largest, stats.at<int>(c, cv::CC_STAT_AREA));
        std::vector<uchar> speck(static_cast<std::size_t>(std::max(found, 1)), 0);
        for (int c = 1; c < found; ++c) {
            speck[static_cast<std::size_t>(c)] = stats.at<int>(c, cv::CC_STAT_AREA) * kSpeck < largest;
            m_verdict.pieces += speck[static_cast<std::size_t>(c)] ? 0 : 1;
        }
        for (int y = 0; y < outline.rows; ++y) {
            uchar* row = outline.ptr<uchar>(y);
            uchar* figure = m_figure.ptr<uchar>(y);
            const int* ids = pieceIds.ptr<int>(y);
            for (int x = 0; x < outline.cols; ++x)
                if (speck[static_cast<std::size_t>(ids[x])])
                    row[x] = figure[x] = 0;
        }

        const int outlinePixels = cv::countNonZero(outline);
        if (outlinePixels == 0) {
            Fail(Criterion::Similarity, "l'image finie n'a pas de contour noir", {});
            return;
        }
        const Mask shown = outline & Dilated(m_ink & ~m_discs);
        m_outline = outline;
        m_shown = shown;
        m_verdict.shownOutline = static_cast<double>(cv::countNonZero(shown)) / outlinePixels;

        const cv::Rect bounds = cv::boundingRect(outline);
        const double diagonal = std::hypot(bounds.width, bounds.height);
        const double tolerance = kNearOutline * diagonal;
        std::set<int> concerned;
        double worst = 0;

        // The parts of the outline the dots page leaves to the child, against
        // the child's line (dot 1 to the last, not closed).
        Mask polyline(m_lines.size(), CV_8U, cv::Scalar(0));
        std::vector<cv::Point> path(m_points.begin(), m_points.end());
        cv::polylines(polyline, path, false, 255, 1, cv::LINE_8);
        const DistanceMap toPolyline(polyline);
        MeasureGivenAway(toPolyline, tolerance);
        std::vector<cv::Point> hidden;
        cv::findNonZero(outline & ~shown, hidden);
        for (const cv::Point& pixel : hidden) {
            const double d = toPolyline.At(pixel);
            worst = std::max(worst, d);
            if (d <= tolerance)
                continue;
            const std::size_t nearest = NearestSegment(cv::Point2d(pixel));
            concerned.insert({Number(nearest), Number(std::min(nearest + 1, Count() - 1))});
        }
        // The child's line, every pixel, against the whole outline.
        const DistanceMap toOutline(outline);
        for (std::size_t i = 0; i + 1 < Count(); ++i) {
            const int steps = std::max(1, static_cast<int>(cv::norm(At(i + 1) - At(i))));
            for (int s = 0; s <= steps; ++s) {
                const cv::Point2d p = At(i) + (At(i + 1) - At(i)) * (static_cast<double>(s) / steps);
                const double d = toOutline.At(cv::Point(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))));
                worst = std::max(worst, d);
                if (d > tolerance)
                    concerned.insert({Number(i), Number(i + 1)});
            }
        }
        m_verdict[Criterion::Similarity].figure = 100 * worst / diagonal;
        if (!concerned.empty())
            Fail(Criterion::Similarity,
                 "le trait de l'enfant s'écarte du contour du dessin de " + Percent(worst / diagonal) +
                     " (3 % au plus) : " + DotList(concerned),
                 concerned);
    }

    // Little left to discover when the dots page shows much of the outline:
    // the dots concerned are those of the sides along what it shows.
    void MeasureGivenAway(const DistanceMap& toPolyline, double tolerance)
    {
        // The outline the child draws: along their line. A tail or a handle
        // drawn beside it is not theirs to draw.
        std::vector<cv::Point> along, shown;
        cv::findNonZero(m_outline, along);
        std::size_t drawn = 0, shownAlong = 0;
        for (const cv::Point& pixel : along)
            if (toPolyline.At(pixel) <= tolerance) {
                ++drawn;
                if (m_shown.at<uchar>(pixel) != 0) {
                    ++shownAlong;
                    shown.push_back(pixel);
                }
            }
        CriterionResult& result = m_verdict[Criterion::GivenAway];
        result.figure = drawn > 0 ? static_cast<double>(shownAlong) / static_cast<double>(drawn) : 0;
        if (result.figure <= kMostGivenAway)
            return;
        std::set<int> concerned;
        constexpr std::size_t kEvery = 8;  // enough to find the sides, a few times faster
        for (std::size_t k = 0; k < shown.size(); k += kEvery) {
            const std::size_t nearest = NearestSegment(cv::Point2d(shown[k]));
            concerned.insert({Number(nearest), Number(std::min(nearest + 1, Count() - 1))});
        }
        Fail(Criterion::GivenAway, "plus d'un tiers du contour est déjà tracé sur la page des points", concerned);
    }

    // The segment of the child's line nearest a point: i for dot i to dot i
    // + 1, the last to the first too when `closed`.
    std::size_t NearestSegment(cv::Point2d p, bool closed = false) const
    {
        std::size_t nearest = 0;
        double best = cv::norm(p - At(0));
        for (std::size_t i = 0; i + (closed ? 0 : 1) < Count(); ++i)
            if (const double d = SegmentDistance(Q(p), Q(At(i)), Q(At((i + 1) % Count()))); d < best) {
                best = d;
                nearest = i;
            }
        return nearest;
    }

    // Gap from dot j's edge to a label's box.
    double Gap(const Label& label, std::size_t j) const
    {
        const cv::Rect& box = label.box;
        return BoxDistance(QRectF(box.x, box.y, box.width - 1, box.height - 1), Q(At(j))) - std::max(m_radii[j], 1.0);
    }

    // The lines drawn on the dots page: ink over the finished picture's lines
    // in pieces that cover them nearly whole. A piece no bigger than a label,
    // on a line mostly left out, is a label over that line.
    Mask DrawnLines() const
    {
        cv::Mat parts, partStats, centroids;
        const int partCount = cv::connectedComponentsWithStats(m_ink & Dilated(m_lines) & ~m_discs, parts, partStats,
                                                               centroids, 8, CV_32S);
        cv::Mat lines;
        const int lineCount = cv::connectedComponents(m_lines, lines, 8, CV_32S);
        std::vector<int> linePixels(static_cast<std::size_t>(lineCount)), lineInked(linePixels.size());
        cv::Mat inked, around;
        cv::boxFilter((m_lines & m_ink) / 255, inked, CV_32F, cv::Size(7, 7), cv::Point(-1, -1), false);
        cv::boxFilter(m_lines / 255, around, CV_32F, cv::Size(7, 7), cv::Point(-1, -1), false);
        std::vector<double> cover(static_cast<std::size_t>(partCount), 0);
        std::vector<int> lineOf(cover.size(), 0);
        for (int y = 0; y < parts.rows; ++y) {
            const int* partRow = parts.ptr<int>(y);
            const int* lineRow = lines.ptr<int>(y);
            const uchar* inkRow = m_ink.ptr<uchar>(y);
            const float* inkedRow = inked.ptr<float>(y);
            const float* aroundRow = around.ptr<float>(y);
            for (int x = 0; x < parts.cols; ++x) {
                const auto line = static_cast<std::size_t>(lineRow[x]);
                linePixels[line] += 1;
                lineInked[line] += inkRow[x] != 0;
                if (const auto part = static_cast<std::size_t>(partRow[x]); part > 0) {
                    if (aroundRow[x] > 0)
                        cover[part] += inkedRow[x] / aroundRow[x];
                    if (line > 0)
                        lineOf[part] = static_cast<int>(line);
                }
            }
        }
        std::vector<uchar> drawn(cover.size(), 0);
        for (std::size_t part = 1; part < cover.size(); ++part) {
            const int area = partStats.at<int>(static_cast<int>(part), cv::CC_STAT_AREA);
            const int side = std::max(partStats.at<int>(static_cast<int>(part), cv::CC_STAT_WIDTH),
                                      partStats.at<int>(static_cast<int>(part), cv::CC_STAT_HEIGHT));
            const auto line = static_cast<std::size_t>(lineOf[part]);
            const bool mostlyShown = 2 * lineInked[line] >= linePixels[line];
            drawn[part] = cover[part] >= kDrawnLine * area && (side > 3 * m_radius || mostlyShown) ? 255 : 0;
        }
        Mask mask(parts.size(), CV_8U);
        for (int y = 0; y < parts.rows; ++y) {
            const int* partRow = parts.ptr<int>(y);
            uchar* out = mask.ptr<uchar>(y);
            for (int x = 0; x < parts.cols; ++x)
                out[x] = drawn[static_cast<std::size_t>(partRow[x])];
        }
        return mask;
    }

    void MeasureLabels()
    {
        m_drawn = DrawnLines();
        const Mask& drawn = m_drawn;
        // What neither the dots nor the lines drawn explain.
        const Mask rest = m_ink & ~m_discs & ~drawn;
        cv::Mat glyphIds, stats;
        cv::Mat centroids;
        const int found = cv::connectedComponentsWithStats(rest, glyphIds, stats, centroids, 8, CV_32S);
        std::vector<int> glyphs;  // component ids worth reading
        for (int c = 1; c < found; ++c)
            if (stats.at<int>(c, cv::CC_STAT_AREA) >= 3)
                glyphs.push_back(c);
        const auto box = [&](int c) {
            return cv::Rect(stats.at<int>(c, cv::CC_STAT_LEFT), stats.at<int>(c, cv::CC_STAT_TOP),
                            stats.at<int>(c, cv::CC_STAT_WIDTH), stats.at<int>(c, cv::CC_STAT_HEIGHT));
        };
        // Glyphs are few on a sane page; a page of thousands of specks has no
        // readable labels anyway, and grouping them would take long.
        constexpr std::size_t kMostGlyphs = 3000;
        if (glyphs.size() > kMostGlyphs) {
            std::partial_sort(glyphs.begin(), glyphs.begin() + kMostGlyphs, glyphs.end(), [&](int a, int b) {
                return stats.at<int>(a, cv::CC_STAT_AREA) > stats.at<int>(b, cv::CC_STAT_AREA);
            });
            glyphs.resize(kMostGlyphs);
        }
        Grouping grouping(glyphs.size());
        for (std::size_t a = 0; a < glyphs.size(); ++a)
            for (std::size_t b = a + 1; b < glyphs.size(); ++b)
                if (ReadTogether(box(glyphs[a]), box(glyphs[b])))
                    grouping.Join(a, b);
        std::vector<int> groupOf(static_cast<std::size_t>(found), -1);
        std::vector<Label> groups;
        std::vector<int> groupIndex(glyphs.size(), -1);
        for (std::size_t a = 0; a < glyphs.size(); ++a) {
            const std::size_t root = grouping.Root(a);
            if (groupIndex[root] < 0) {
                groupIndex[root] = static_cast<int>(groups.size());
                groups.push_back({box(glyphs[a]), 0});
            }
            Label& label = groups[static_cast<std::size_t>(groupIndex[root])];
            label.box |= box(glyphs[a]);
            label.area += stats.at<int>(glyphs[a], cv::CC_STAT_AREA);
            label.glyphs += 1;
            groupOf[static_cast<std::size_t>(glyphs[a])] = groupIndex[root];
        }

        // A label is read beside a dot within a few dot radii; beyond, ink is
        // something else (a signature, a detail drawn only here).
        const double reach = 6 * m_radius;
        std::vector<std::size_t> near;
        for (std::size_t g = 0; g < groups.size(); ++g)
            for (std::size_t j = 0; j < Count(); ++j)
                if (Gap(groups[g], j) <= reach) {
                    near.push_back(g);
                    break;
                }
        std::vector<double> areas, heights;
        for (const std::size_t g : near) {
            areas.push_back(groups[g].area);
            heights.push_back(groups[g].box.height);
        }
        const double typicalArea = Median(areas);
        const double typicalHeight = Median(heights);
        std::vector<std::size_t> candidates;
        for (const std::size_t g : near)
            if (groups[g].area >= 0.2 * typicalArea && groups[g].box.height >= 0.3 * typicalHeight)
                candidates.push_back(g);

        // What a label must not touch: the lines drawn and the child's line,
        // and the dots.
        const Mask nearDrawn = Dilated(drawn);
        Mask lines = nearDrawn.clone();
        cv::polylines(lines, std::vector<cv::Point>(m_points.begin(), m_points.end()), false, 255,
                      static_cast<int>(std::lround(m_lineWidth)) + 2, cv::LINE_8);
        Mask dots = Mask::zeros(drawn.size(), CV_8U);
        for (std::size_t i = 0; i < Count(); ++i)
            cv::circle(dots, m_points[i], static_cast<int>(std::lround(m_radii[i] + 1)), 255, cv::FILLED);
        for (int y = 0; y < glyphIds.rows; ++y)
            for (int x = 0; x < glyphIds.cols; ++x)
                if (const int id = glyphIds.at<int>(y, x); id > 0 && groupOf[static_cast<std::size_t>(id)] >= 0) {
                    Label& label = groups[static_cast<std::size_t>(groupOf[static_cast<std::size_t>(id)])];
                    label.touchingLine = label.touchingLine || lines.at<uchar>(y, x) != 0;
                    label.touchingDot = label.touchingDot || dots.at<uchar>(y, x) != 0;
                }

        // Each dot takes the nearest label not yet taken, nearest pairs first.
        struct Pair {
            double gap;
            std::size_t group, dot;
        };
        std::vector<Pair> pairs;
        for (const std::size_t g : candidates)
            for (std::size_t j = 0; j < Count(); ++j)
                if (const double gap = Gap(groups[g], j); gap <= reach)
                    pairs.push_back({gap, g, j});
        std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.gap < b.gap; });
        std::vector<int> labelOf(Count(), -1);
        for (const Pair& pair : pairs)
            if (labelOf[pair.dot] < 0 && groups[pair.group].dot < 0) {
                labelOf[pair.dot] = static_cast<int>(pair.group);
                groups[pair.group].dot = static_cast<int>(pair.dot);
                groups[pair.group].gap = pair.gap;
            }

        std::set<int> all;
        const auto tell = [&](const std::set<int>& dots, const std::string& reason) {
            if (dots.empty())
                return;
            all.insert(dots.begin(), dots.end());
            Fail(Criterion::Labels, reason, dots);
        };
        std::set<int> missing, touchingLine, touchingDot, dotOnLine;
        std::set<std::pair<int, int>> nearer, asNear, together;  // (dot, other dot)
        for (std::size_t i = 0; i < Count(); ++i) {
            if (labelOf[i] < 0) {
                missing.insert(Number(i));
                continue;
            }
            const Label& label = groups[static_cast<std::size_t>(labelOf[i])];
            // A stroke read together with a number is no measure of its size.
            if (label.box.height <= 2 * typicalHeight)
                m_verdict.labelHeight = std::max(m_verdict.labelHeight, label.box.height / m_scale);
            // A dot on a line drawn is what the label beside it touches when
            // the label is but a stub of that line.
            if (label.touchingDot && cv::countNonZero(nearDrawn(label.box & cv::Rect(0, 0, drawn.cols, drawn.rows))) > 0 &&
                label.glyphs == 1 && Gap(label, i) <= 1)
                dotOnLine.insert(Number(i));
            else if (label.touchingLine)
                touchingLine.insert(Number(i));
            else if (label.touchingDot)
                touchingDot.insert(Number(i));
            // Plainly its own as the eye reads it: from the label's centre,
            // every other dot clearly further than its own.
            const cv::Point2d centre(label.box.x + label.box.width / 2.0, label.box.y + label.box.height / 2.0);
            const double own = cv::norm(centre - At(i));
            for (std::size_t j = 0; j < Count(); ++j) {
                if (j == i)
                    continue;
                const double other = cv::norm(centre - At(j));
                if (other < own)
                    nearer.insert({Number(i), Number(j)});
                else if (other < kOwnLabel * own || Gap(label, j) < label.gap + m_radius)
                    asNear.insert({Number(i), Number(j)});
            }
        }
        // Labels of two dots side by side on one line, or one over the
        // other, read as one number; so does a label made of glyphs that
        // were meant for two dots, one left without.
        const auto dotIn = [&](const QRectF& box) {
            return std::any_of(m_points.begin(), m_points.end(),
                               [&](cv::Point p) { return box.contains(QPointF(p.x, p.y)); });
        };
        const auto rect = [](const cv::Rect& r) { return QRectF(r.x, r.y, r.width - 1, r.height - 1); };
        for (std::size_t a = 0; a < groups.size(); ++a)
            for (std::size_t b = a + 1; b < groups.size(); ++b)
                if (groups[a].dot >= 0 && groups[b].dot >= 0 &&
                    ReadAsOne(rect(groups[a].box), rect(groups[b].box), typicalHeight, dotIn))
                    together.insert(std::minmax(Number(static_cast<std::size_t>(groups[a].dot)),
                                                Number(static_cast<std::size_t>(groups[b].dot))));
        for (const int number : std::set<int>(missing)) {
            const auto i = static_cast<std::size_t>(number - 1);
            for (const std::size_t g : candidates)
                if (const int owner = groups[g].dot; owner >= 0 && groups[g].glyphs > 1 && Gap(groups[g], i) <= reach &&
                                                     Gap(groups[g], i) < groups[g].gap + typicalHeight) {
                    together.insert(std::minmax(number, Number(static_cast<std::size_t>(owner))));
                    missing.erase(number);
                    break;
                }
        }
        // A mark of a label's size near a dot reads as its number, or as a
        // second one: a stray stroke, a detail drawn only here.
        std::set<int> loose;
        for (const std::size_t g : near) {
            const Label& mark = groups[g];
            if (mark.dot >= 0 || mark.area < 0.2 * typicalArea || mark.box.height < 0.5 * typicalHeight ||
                mark.box.height > 2 * typicalHeight)
                continue;
            std::size_t nearest = 0;
            for (std::size_t j = 1; j < Count(); ++j)
                if (Gap(mark, j) < Gap(mark, nearest))
                    nearest = j;
            if (Gap(mark, nearest) <= kLooseMarkReach * typicalHeight)
                loose.insert(Number(nearest));
        }

        m_labelHeight = typicalHeight;
        tell(missing, "pas de numéro à côté : " + DotList(missing));
        const auto number = [](int dot) { return "le numéro du point " + std::to_string(dot); };
        tell(Dots(nearer), PairList(nearer, [&](int dot, int other) {
                 return number(dot) + " est plus près du point " + std::to_string(other) + " que du sien";
             }));
        tell(Dots(asNear), PairList(asNear, [&](int dot, int other) {
                 return number(dot) + " est presque aussi près du point " + std::to_string(other);
             }));
        tell(Dots(together), PairList(together, [](int a, int b) {
                 return "les numéros des points " + std::to_string(a) + " et " + std::to_string(b) +
                        " se lisent comme un seul nombre";
             }));
        tell(loose, "une marque de la taille d'un numéro près " + NearDots(loose) + " se lit comme un numéro");
        tell(touchingLine, "numéro qui touche un trait : " + DotList(touchingLine));
        tell(touchingDot, "numéro qui touche un point : " + DotList(touchingDot));
        tell(dotOnLine, (dotOnLine.size() > 1 ? "les " : "le ") + DotList(dotOnLine) +
                            (dotOnLine.size() > 1 ? " touchent" : " touche") + " un trait du dessin");
        m_verdict[Criterion::Labels].figure = static_cast<double>(all.size());
    }

    static std::set<int> Dots(const std::set<std::pair<int, int>>& pairs)
    {
        std::set<int> dots;
        for (const auto& [a, b] : pairs)
            dots.insert({a, b});
        return dots;
    }

    // "le numéro du point 8 est plus près du point 9 que du sien ; ...": the
    // first few pairs, each told by `tell`.
    static std::string PairList(const std::set<std::pair<int, int>>& pairs,
                                const std::function<std::string(int, int)>& tell)
    {
        std::string text;
        std::size_t named = 0;
        for (const auto& [dot, other] : pairs) {
            if (named++ == kMostNamed / 2)
                return text + " ; …";
            text += (text.empty() ? "" : " ; ") + tell(dot, other);
        }
        return text;
    }

    // A component's box widened by `room` on every side, within the page.
    static cv::Rect Around(const cv::Mat& stats, int component, int room, cv::Size page)
    {
        return cv::Rect(stats.at<int>(component, cv::CC_STAT_LEFT) - room, stats.at<int>(component, cv::CC_STAT_TOP) - room,
                        stats.at<int>(component, cv::CC_STAT_WIDTH) + 2 * room,
                        stats.at<int>(component, cv::CC_STAT_HEIGHT) + 2 * room) &
               cv::Rect(cv::Point(), page);
    }

    // A blob that stands alone, as a dot does, rather than where lines meet:
    // little of the ring around it is dark.
    static bool Standalone(const Mask& dark, const cv::Mat& ids, int blob, const cv::Mat& stats)
    {
        const cv::Rect box = Around(stats, blob, 4, dark.size());
        const Mask shape = ids(box) == blob;
        Mask near, far;
        cv::dilate(shape, near, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(kRingFrom, kRingFrom)));
        cv::dilate(shape, far, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(kRingTo, kRingTo)));
        const Mask ring = far & ~near;
        return cv::countNonZero(ring & dark(box)) <= kAloneInk * cv::countNonZero(ring);
    }

    // Dark, filled, roughly round and of a dot's size, where no dot is. The
    // blobs of a dot's size where lines meet are kept for the clutter's count.
    void MeasureLookAlikes()
    {
        Mask dark;
        cv::compare(m_dots, kDark, dark, cv::CMP_LT);
        Mask discs = Mask::zeros(dark.size(), CV_8U);
        for (std::size_t i = 0; i < Count(); ++i)
            cv::circle(discs, m_points[i], static_cast<int>(std::ceil(m_radii[i] + 2)), 255, cv::FILLED);
        dark &= ~discs;
        // Thinner than a good part of a dot: lines and the strokes of the labels.
        const int core = std::max(2, static_cast<int>(0.6 * m_radius));
        Mask filled;
        cv::morphologyEx(dark, filled, cv::MORPH_OPEN,
                         cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * core + 1, 2 * core + 1)));
        cv::Mat ids, stats, centroids;
        const int found = cv::connectedComponentsWithStats(filled, ids, stats, centroids, 8, CV_32S);
        // A blob where lines meet that is a blot of ink, not the plain
        // meeting of lines: twice as wide as a line somewhere.
        const auto blot = [&](int blob) {
            const cv::Rect box = Around(stats, blob, static_cast<int>(std::ceil(2 * m_lineWidth)) + 2, dark.size());
            cv::Mat depth;
            cv::distanceTransform(dark(box), depth, cv::DIST_L2, cv::DIST_MASK_3);
            double deepest = 0;
            cv::minMaxLoc(depth, nullptr, &deepest, nullptr, nullptr, ids(box) == blob);
            return deepest >= m_lineWidth;
        };
        std::set<int> near, blotted;
        int blobs = 0;
        for (int c = 1; c < found; ++c) {
            const double width = stats.at<int>(c, cv::CC_STAT_WIDTH);
            const double height = stats.at<int>(c, cv::CC_STAT_HEIGHT);
            const double area = stats.at<int>(c, cv::CC_STAT_AREA);
            const double radius = std::sqrt(area / std::numbers::pi);
            const double fill = area / (std::numbers::pi * width * height / 4);
            if (radius < 0.6 * m_radius || radius > 3 * m_radius)
                continue;
            const cv::Point2d centre(centroids.at<double>(c, 0), centroids.at<double>(c, 1));
            std::size_t nearest = 0;
            for (std::size_t i = 1; i < Count(); ++i)
                if (cv::norm(At(i) - centre) < cv::norm(At(nearest) - centre))
                    nearest = i;
            if (!Standalone(dark, ids, c, stats)) {
                m_joints.push_back(Place(centre));
                if (cv::norm(At(nearest) - centre) <= kBlobBesideDot * m_radius && blot(c)) {
                    blotted.insert(Number(nearest));
                    m_verdict[Criterion::LookAlikes].places.push_back(m_joints.back());
                }
                continue;
            }
            if (std::min(width, height) < 0.6 * std::max(width, height) || fill < 0.75 || fill > 1.15)
                continue;
            ++blobs;
            near.insert(Number(nearest));
        }
        m_verdict[Criterion::LookAlikes].figure = blobs;
        if (blobs > 0)
            Fail(Criterion::LookAlikes,
                 std::to_string(blobs) +
                     (blobs > 1 ? " taches rondes qu'on prendrait pour des points, près "
                                : " tache ronde qu'on prendrait pour un point, près ") +
                     NearDots(near),
                 near);
        m_blotted = !blotted.empty();
        if (m_blotted)
            Fail(Criterion::LookAlikes,
                 (blotted.size() > 1 ? "des taches d'encre collées aux " : "une tache d'encre collée au ") +
                     DotList(blotted) + (blotted.size() > 1 ? " se confondent avec eux" : " se confond avec lui"),
                 blotted);
    }

    // What the dots page gives away or hides the figure under: lines drawn
    // beside the child's line (an outline already there, which the path only
    // doubles), and lines drawn inside it (shading, hatching, texture).
    void MeasureClutter()
    {
        const Mask& drawn = m_drawn;  // measured with the labels
        const cv::Rect bounds = cv::boundingRect(m_lines);
        // A little wider than the child's line may stray: an outline doubled
        // stands just beyond it.
        const double near = kNearOutline * 1.3 * std::hypot(bounds.width, bounds.height);
        const DistanceMap toDrawn(drawn);
        double length = 0, walked = 0, beside = 0;
        std::set<int> doubled;
        for (std::size_t i = 0; i + 1 < Count(); ++i) {
            const double segment = cv::norm(At(i + 1) - At(i));
            length += segment;
            // Near the dots every line meets the outline: only the stretch between counts.
            double sideWalked = 0, sideBeside = 0;
            for (double s = 2 * m_radius; s + 2 * m_radius <= segment; s += 2) {
                const cv::Point2d p = At(i) + (At(i + 1) - At(i)) * (s / segment);
                sideWalked += 2;
                if (toDrawn.At(cv::Point(static_cast<int>(p.x), static_cast<int>(p.y))) <= near)
                    sideBeside += 2;
            }
            walked += sideWalked;
            beside += sideBeside;
            if (sideWalked > 0 && 2 * sideBeside > sideWalked)
                doubled.insert({Number(i), Number(i + 1)});
        }
        m_verdict.alongside = walked > 0 ? beside / walked : 0;
        if (m_verdict.alongside > kMostDoubled)
            Fail(Criterion::GivenAway, "le dessin est déjà tracé le long du trait de l'enfant, qui ne ferait que le doubler",
                 doubled);

        Mask inside(m_lines.size(), CV_8U, cv::Scalar(0));
        const std::vector<cv::Point> path(m_points.begin(), m_points.end());
        cv::fillPoly(inside, std::vector<std::vector<cv::Point>>{path}, 255);
        Mask polyline(m_lines.size(), CV_8U, cv::Scalar(0));
        cv::polylines(polyline, path, true, 255, 1, cv::LINE_8);
        const DistanceMap toPath(polyline);
        std::vector<cv::Point> within;
        cv::findNonZero(drawn & inside, within);
        const auto far = std::count_if(within.begin(), within.end(), [&](cv::Point p) { return toPath.At(p) > near; });
        const double inner = static_cast<double>(far) / std::max(1.0, m_lineWidth);
        m_verdict.clutter = inner / std::max(1.0, length);
        const Enclosed enclosed = EnclosedShapes();
        std::vector<QPoint>& places = m_verdict[Criterion::GivenAway].places;
        m_cells = static_cast<int>(enclosed.cells.size());
        if (m_verdict.clutter > kMostClutter || m_cells > kMostCells) {
            Fail(Criterion::GivenAway, "des hachures, des ombres ou trop de traits encombrent le dessin", {});
            if (m_cells > kMostCells)
                places.insert(places.end(), enclosed.cells.begin(), enclosed.cells.end());
        }
        m_knots = static_cast<int>(enclosed.knots.size());
        if (m_knots > kMostKnots) {
            Fail(Criterion::GivenAway, "des traits emmêlés font des nœuds sur le dessin", {});
            places.insert(places.end(), enclosed.knots.begin(), enclosed.knots.end());
        }
        if (m_joints.size() > static_cast<std::size_t>(kMostJoints)) {
            Fail(Criterion::GivenAway, "des pâtés d'encre, là où des traits se rejoignent, encombrent le dessin", {});
            places.insert(places.end(), m_joints.begin(), m_joints.end());
        }
        std::vector<QPoint> heavy;
        m_thickInk = ThickInk(heavy);
        if (m_thickInk > kMostThickInk) {
            Fail(Criterion::GivenAway, "des traits trop épais font des taches d'encre sur le dessin", {});
            places.insert(places.end(), heavy.begin(), heavy.end());
        }
        std::vector<QPoint> crumbs;
        m_flecks = Flecks(crumbs);
        if (m_flecks > kMostFlecks) {
            Fail(Criterion::GivenAway, "des petites marques éparses sur la page se prennent pour des points ou des numéros",
                 {});
            places.insert(places.end(), crumbs.begin(), crumbs.end());
        }
        // Each sign of a busy page may come near its limit on a good one;
        // several near theirs at once, and the eye sees a busy page.
        m_load = m_verdict.clutter / kMostClutter + static_cast<double>(m_cells) / kMostCells +
                 static_cast<double>(m_knots) / kMostKnots + static_cast<double>(m_joints.size()) / kMostJoints +
                 m_thickInk / kMostThickInk + static_cast<double>(m_flecks) / kMostFlecks;
        if (m_verdict[Criterion::GivenAway].passed && m_load > kMostBusy) {
            Fail(Criterion::GivenAway,
                 "le dessin est trop chargé : traits intérieurs, petites cases, nœuds, pâtés et traits épais, acceptables "
                 "un à un, l'encombrent ensemble",
                 {});
            places.insert(places.end(), enclosed.cells.begin(), enclosed.cells.end());
            places.insert(places.end(), enclosed.knots.begin(), enclosed.knots.end());
            places.insert(places.end(), m_joints.begin(), m_joints.end());
            places.insert(places.end(), heavy.begin(), heavy.end());
            places.insert(places.end(), crumbs.begin(), crumbs.end());
        }
    }

    // What the lines of the dots page close, as the eye sees it: shapes
    // narrower than a dot spacing (a few are eyes, buttons, windows; many are
    // the bricks, scales or cells of a texture, which hide the figure), and
    // pinholes of a few pixels, left where strokes knot and scribble.
    struct Enclosed {
        std::vector<QPoint> cells, knots;
    };
    Enclosed EnclosedShapes() const
    {
        constexpr int kPinhole = 12;
        const double widest = kDotSpacing * m_radius;
        Enclosed enclosed;
        // Outside the lines' bounds all is background.
        const cv::Rect box = cv::boundingRect(m_drawn);
        if (box.empty())
            return enclosed;
        const Mask lines = m_drawn(box);
        cv::Mat ids, stats, centres;
        const int found = cv::connectedComponentsWithStats((lines == 0) & ~Background(lines), ids, stats, centres, 4, CV_32S);
        for (int c = 1; c < found; ++c) {
            const int area = stats.at<int>(c, cv::CC_STAT_AREA);
            const QPoint at = Place(cv::Point2d(box.x + centres.at<double>(c, 0), box.y + centres.at<double>(c, 1)));
            if (area < kPinhole)
                enclosed.knots.push_back(at);
            else if (area < widest * widest)
                enclosed.cells.push_back(at);
        }
        return enclosed;
    }

    // The strokes of the dots page thicker than two lines and longer than a
    // blob (a brush's bars, shapes filled heavy), in squares of that width.
    double ThickInk(std::vector<QPoint>& where) const
    {
        const int width = 2 * static_cast<int>(std::lround(m_lineWidth)) + 1;
        const cv::Rect box = cv::boundingRect(m_drawn);
        if (box.empty())
            return 0;
        Mask thick;
        cv::morphologyEx(m_drawn(box), thick, cv::MORPH_OPEN,
                         cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(width, width)));
        cv::Mat ids, stats, centres;
        const int found = cv::connectedComponentsWithStats(thick, ids, stats, centres, 8, CV_32S);
        double area = 0;
        for (int c = 1; c < found; ++c)
            if (std::max(stats.at<int>(c, cv::CC_STAT_WIDTH), stats.at<int>(c, cv::CC_STAT_HEIGHT)) >= 3 * width) {
                area += stats.at<int>(c, cv::CC_STAT_AREA);
                where.push_back(Place(cv::Point2d(box.x + centres.at<double>(c, 0), box.y + centres.at<double>(c, 1))));
            }
        return area / (width * width);
    }

    // Scraps drawn on the dots page smaller than a label, with no hole (a
    // ring is an eye, a bubble, a seed), away from every other line: the
    // crumbs of shading or texture the tracing leaves, which a child takes
    // for dots or numbers.
    int Flecks(std::vector<QPoint>& where) const
    {
        if (m_labelHeight <= 0)
            return 0;
        cv::Mat ids, stats, centres;
        const int found = cv::connectedComponentsWithStats(m_drawn, ids, stats, centres, 8, CV_32S);
        const auto box = [&](int c) {
            return cv::Rect(stats.at<int>(c, cv::CC_STAT_LEFT), stats.at<int>(c, cv::CC_STAT_TOP),
                            stats.at<int>(c, cv::CC_STAT_WIDTH), stats.at<int>(c, cv::CC_STAT_HEIGHT));
        };
        std::vector<int> scraps;
        Mask lines = m_drawn.clone();
        for (int c = 1; c < found; ++c) {
            if (std::max(box(c).width, box(c).height) >= m_labelHeight)
                continue;
            const Mask scrap = ids(box(c)) == c;
            if (cv::countNonZero(scrap | Background(scrap)) == box(c).area()) {
                scraps.push_back(c);
                lines(box(c)).setTo(0, ids(box(c)) == c);
            }
        }
        if (scraps.size() <= static_cast<std::size_t>(kMostFlecks))
            return static_cast<int>(scraps.size());
        // Beside a line, a scrap belongs to it (a sun's rays round its disc).
        cv::Mat toLines;
        cv::distanceTransform(lines == 0, toLines, cv::DIST_L2, cv::DIST_MASK_3);
        int flecks = 0;
        for (const int c : scraps) {
            double nearest = 0;
            cv::minMaxLoc(toLines(box(c)), &nearest, nullptr, nullptr, nullptr, ids(box(c)) == c);
            if (nearest > m_labelHeight) {
                ++flecks;
                where.push_back(Place(cv::Point2d(centres.at<double>(c, 0), centres.at<double>(c, 1))));
            }
        }
        return flecks;
    }

    // The child's line neither crosses itself nor turns back on itself.
    void MeasurePath()
    {
        std::set<int> crossings, turns, outAndBack;
        int faults = 0;
        for (std::size_t i = 0; i + 1 < Count(); ++i)
            for (std::size_t j = i + 2; j + 1 < Count(); ++j) {
                if (SegmentsMeet(Q(At(i)), Q(At(i + 1)), Q(At(j)), Q(At(j + 1)))) {
                    ++faults;
                    crossings.insert({Number(i), Number(i + 1), Number(j), Number(j + 1)});
                }
            }
        const double longEnough = kLongSide * m_radius;
        for (std::size_t i = 1; i + 1 < Count(); ++i) {
            if (cv::norm(At(i - 1) - At(i)) > longEnough && cv::norm(At(i + 1) - At(i)) > longEnough &&
                Turn(Q(At(i - 1)), Q(At(i)), Q(At(i + 1))) > kTurnBack) {
                ++faults;
                turns.insert(Number(i));
            } else if (OutAndBack(Q(At(i - 1)), Q(At(i)), Q(At(i + 1)), m_radius)) {
                ++faults;
                outAndBack.insert(Number(i));
            }
        }
        m_verdict[Criterion::CleanPath].figure = faults;
        if (!crossings.empty())
            Fail(Criterion::CleanPath, "le trait se croise : " + DotList(crossings), crossings);
        if (!turns.empty())
            Fail(Criterion::CleanPath, "le trait revient sur lui-même : " + DotList(turns), turns);
        if (!outAndBack.empty())
            Fail(Criterion::CleanPath,
                 "le trait part et revient le long d'une partie mince : " + DotList(outAndBack), outAndBack);
    }

    // The child's line follows the outline: it crosses no line drawn on the
    // dots page away from the lines left to the child (a whisker or a tail
    // drawn over the outline is crossed where the child's line belongs), and
    // does not cut through the figure far from every line.
    void MeasureOnOutline()
    {
        if (m_outline.empty() || m_drawn.empty())
            return;
        const DistanceMap& toLines = m_toLines;
        const DistanceMap toLeft(m_lines & ~Dilated(m_drawn, 2));
        const double far = kInsideReach * m_radius;
        // Beside each dot the page's lines may meet the child's; a dot's
        // radius and a pen's width further, they do not.
        const double skip = m_radius + m_lineWidth;
        const double side = m_lineWidth / 2 + 2;
        const auto drawnAt = [&](cv::Point2d p) {
            const int x = static_cast<int>(std::lround(p.x)), y = static_cast<int>(std::lround(p.y));
            return x >= 0 && y >= 0 && x < m_drawn.cols && y < m_drawn.rows && m_drawn.at<uchar>(y, x) != 0;
        };
        std::set<std::pair<int, int>> crossing, through;
        int faults = 0;
        for (std::size_t i = 0; i + 1 < Count(); ++i) {
            const cv::Point2d a = At(i), b = At(i + 1);
            const double length = cv::norm(b - a);
            if (length <= 2 * skip)
                continue;
            const cv::Point2d along = (b - a) / length, across(-along.y, along.x);
            bool crosses = false, strays = false;
            for (double t = skip; t <= length - skip && !(crosses && strays); t += 1) {
                const cv::Point2d p = a + along * t;
                const cv::Point pixel(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
                if (drawnAt(p) && toLeft.At(pixel) > m_radius)
                    for (const double k : {side, side + 2})
                        crosses = crosses || (drawnAt(p + across * k) && drawnAt(p - across * k));
                strays = strays || (m_figure.at<uchar>(pixel) != 0 && toLines.At(pixel) > far);
            }
            if (crosses)
                crossing.insert({Number(i), Number(i + 1)});
            if (strays)
                through.insert({Number(i), Number(i + 1)});
            faults += (crosses ? 1 : 0) + (strays ? 1 : 0);
        }
        m_verdict[Criterion::OnOutline].figure = faults;
        const auto sides = [](const std::set<std::pair<int, int>>& pairs) {
            std::string text;
            for (const auto& [a, b] : pairs)
                text += (text.empty() ? "" : ", ") + std::to_string(a) + "–" + std::to_string(b);
            return text;
        };
        if (!crossing.empty())
            Fail(Criterion::OnOutline, "le trait de l'enfant coupe un trait du dessin entre les points " + sides(crossing),
                 Dots(crossing));
        if (!through.empty())
            Fail(Criterion::OnOutline,
                 "le trait de l'enfant traverse le dessin loin du contour entre les points " + sides(through),
                 Dots(through));
    }

    // Every part kept: between the child's line (closed) and the outer
    // outline no region wider than the dots' spacing, unless the dots page
    // draws it. Cut off, a part is lost (an ear, a leg); bridged, a gap
    // between parts is (two legs made one).
    void MeasureParts()
    {
        if (m_outline.empty() || Count() < 3)
            return;
        Mask path = Mask::zeros(m_figure.size(), CV_8U);
        cv::fillPoly(path, std::vector<std::vector<cv::Point>>{m_points}, 255);
        const Mask cut = m_figure & ~path, bridged = path & ~m_figure;
        const Mask between = cut | bridged;
        // Worked out round the regions only (a pixel's margin of nothing
        // about them): the rest of the page is far from every part.
        cv::Mat depth = cv::Mat::zeros(between.size(), CV_32F);
        const cv::Rect around = (cv::boundingRect(between) + cv::Size(2, 2) - cv::Point(1, 1)) &
                                cv::Rect(0, 0, between.cols, between.rows);
        cv::Mat within = depth(around);
        cv::distanceTransform(between(around), within, cv::DIST_L2, cv::DIST_MASK_3);
        // With no pixel outside them, OpenCV puts every pixel some 8 000 away;
        // no part is wider than the picture.
        cv::min(depth, std::max(depth.cols, depth.rows) / 2.0, depth);
        // Strips along the line, as wide as its pen, are no part.
        const Mask cores = depth > std::max(3.0, m_lineWidth);
        cv::Mat ids, stats, centroids;
        const int found = cv::connectedComponentsWithStats(cores, ids, stats, centroids, 8, CV_32S);
        std::vector<double> deepest(static_cast<std::size_t>(found), 0);
        std::vector<cv::Point> where(deepest.size());
        for (int y = 0; y < ids.rows; ++y) {
            const int* row = ids.ptr<int>(y);
            const float* d = depth.ptr<float>(y);
            for (int x = 0; x < ids.cols; ++x)
                if (const auto c = static_cast<std::size_t>(row[x]); c > 0 && d[x] > deepest[c]) {
                    deepest[c] = d[x];
                    where[c] = cv::Point(x, y);
                }
        }
        std::set<int> lost, filled;
        double widest = 0;
        for (std::size_t c = 1; c < deepest.size(); ++c) {
            if (2 * deepest[c] <= kDotSpacing * m_radius)
                continue;
            // Drawn on the dots page: most of the outline round it shows.
            const int reach = static_cast<int>(std::ceil(deepest[c])) + static_cast<int>(std::lround(m_lineWidth)) + 2;
            const cv::Rect box = cv::Rect(stats.at<int>(static_cast<int>(c), cv::CC_STAT_LEFT) - reach,
                                          stats.at<int>(static_cast<int>(c), cv::CC_STAT_TOP) - reach,
                                          stats.at<int>(static_cast<int>(c), cv::CC_STAT_WIDTH) + 2 * reach,
                                          stats.at<int>(static_cast<int>(c), cv::CC_STAT_HEIGHT) + 2 * reach) &
                                 cv::Rect(0, 0, ids.cols, ids.rows);
            Mask around;
            cv::dilate(ids(box) == static_cast<int>(c), around,
                       cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * reach + 1, 2 * reach + 1)));
            const int outline = cv::countNonZero(around & m_outline(box));
            if (outline > 0 && 2 * cv::countNonZero(around & m_shown(box)) >= outline)
                continue;
            widest = std::max(widest, 2 * deepest[c]);
            const std::size_t segment = NearestSegment(cv::Point2d(where[c]), true);
            const std::set<int> dots{Number(segment), Number((segment + 1) % Count())};
            (cut.at<uchar>(where[c]) != 0 ? lost : filled).insert(dots.begin(), dots.end());
        }
        m_verdict[Criterion::Parts].figure = widest / m_scale;
        if (!lost.empty())
            Fail(Criterion::Parts, "une partie du dessin est coupée par le trait près " + NearDots(lost), lost);
        if (!filled.empty())
            Fail(Criterion::Parts, "un creux du dessin est fermé par le trait près " + NearDots(filled), filled);
    }

    // The picture to colour holds the colour where a child puts it: its lines
    // close the figure against the background, and every region against its
    // neighbours. A line ending a few pixels short of another leaves a gap a
    // fill goes through (a leak).
    void MeasureColouring()
    {
        if (m_outline.empty())
            return;
        const Mask& closed = m_closed;
        cv::Mat regions, stats, centroids;
        const int found = cv::connectedComponentsWithStats(closed == 0, regions, stats, centroids, 4, CV_32S);
        // Regions worth a colour of their own (a square two dot radii wide),
        // and the background's (those that reach the picture's edge).
        const double least = 4 * m_radius * m_radius;
        std::vector<uchar> big(static_cast<std::size_t>(found), 0), background(big.size(), 0);
        for (int c = 1; c < found; ++c) {
            big[static_cast<std::size_t>(c)] = stats.at<int>(c, cv::CC_STAT_AREA) >= least;
            const int left = stats.at<int>(c, cv::CC_STAT_LEFT), top = stats.at<int>(c, cv::CC_STAT_TOP);
            background[static_cast<std::size_t>(c)] =
                left == 0 || top == 0 || left + stats.at<int>(c, cv::CC_STAT_WIDTH) == regions.cols ||
                top + stats.at<int>(c, cv::CC_STAT_HEIGHT) == regions.rows;
        }
        // The gaps: what closing the lines added, each between the regions
        // it touches.
        cv::Mat gaps, gapStats, gapCentres;
        const int gapCount = cv::connectedComponentsWithStats(closed & ~m_lines, gaps, gapStats, gapCentres, 8, CV_32S);
        std::vector<std::set<int>> touches(static_cast<std::size_t>(gapCount));
        for (int y = 0; y < gaps.rows; ++y)
            for (int x = 0; x < gaps.cols; ++x)
                if (const int gap = gaps.at<int>(y, x); gap > 0)
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx) {
                            const int nx = x + dx, ny = y + dy;
                            if (nx < 0 || ny < 0 || nx >= gaps.cols || ny >= gaps.rows)
                                continue;
                            if (const int region = regions.at<int>(ny, nx);
                                region > 0 && big[static_cast<std::size_t>(region)])
                                touches[static_cast<std::size_t>(gap)].insert(region);
                        }
        std::set<int> open, leaks;
        int faults = 0;
        for (int gap = 1; gap < gapCount; ++gap) {
            const std::set<int>& between = touches[static_cast<std::size_t>(gap)];
            if (between.size() < 2)
                continue;
            ++faults;
            const cv::Point2d centre(gapCentres.at<double>(gap, 0), gapCentres.at<double>(gap, 1));
            const bool outer = std::any_of(between.begin(), between.end(),
                                           [&](int region) { return background[static_cast<std::size_t>(region)] != 0; });
            (outer ? open : leaks).insert(Number(NearestDot(centre)));
        }
        std::vector<QPoint>& places = m_verdict[Criterion::Colouring].places;
        faults += MeasureBrokenOutline(open, places);
        m_verdict[Criterion::Colouring].figure = faults;
        if (!open.empty())
            Fail(Criterion::Colouring,
                 "le contour de l'image à colorier est ouvert près " + NearDots(open) + " : le fond coule dans le dessin",
                 open);
        if (!leaks.empty())
            Fail(Criterion::Colouring,
                 "une fente dans l'image à colorier près " + NearDots(leaks) + " laisse passer la couleur d'une partie à l'autre",
                 leaks);
    }

    // An outline broken along a stretch still reads closed to the eye, but a
    // fill of the background pours through the break into the figure. Lines
    // thickened by half a break's width shut it; the part behind, as wide as
    // a part the eye would miss and at least twice as deep as the break is
    // wide, is figure that takes the background's colour (narrower, it is a
    // bay of the background: the space between two legs). Thickened a little
    // for small parts, then a lot; the nearest dot to each break joins `open`.
    // Worked out at half the resolution, as breaks and parts are tens of
    // pixels wide. Returns the breaks found.
    int MeasureBrokenOutline(std::set<int>& open, std::vector<QPoint>& places) const
    {
        const cv::Mat& toLines = m_toLines.Half();
        const cv::Size size = toLines.size();
        const double radius = m_radius / 2, partWidth = kDotSpacing * radius;
        // Breaks narrower than this (in half pixels) are mended already by
        // the closing, or were sought before.
        double narrowest = kLeakGap;
        for (const double step : {1.0, 3.0}) {
            const double half = step * kBrokenOutline * radius;
            if (2 * half <= kLeakGap)
                continue;
            const double deepEnough = std::max(partWidth / 2, 2 * narrowest);
            narrowest = 2 * half;
            // Beyond the thickened lines: the background where it reaches
            // the edge, elsewhere parts shut off, deep as the lines are far.
            cv::Mat parts, stats, centres;
            const int count = cv::connectedComponentsWithStats(toLines > half, parts, stats, centres, 4, CV_32S);
            std::vector<float> deepest(static_cast<std::size_t>(count), 0);
            std::vector<uchar> leaky(deepest.size(), 0);
            for (int y = 0; y < parts.rows; ++y) {
                const int* part = parts.ptr<int>(y);
                const float* d = toLines.ptr<float>(y);
                // What a fill of the background reaches through gaps a
                // closing does not mend.
                const uchar* enclosed = m_figure.ptr<uchar>(std::min(2 * y, m_figure.rows - 1));
                for (int x = 0; x < parts.cols; ++x) {
                    const auto c = static_cast<std::size_t>(part[x]);
                    deepest[c] = std::max(deepest[c], d[x]);
                    leaky[c] |= enclosed[std::min(2 * x, m_figure.cols - 1)] == 0;
                }
            }
            std::vector<uchar> isBackground(deepest.size(), 0), isPoured(deepest.size(), 0);
            bool any = false;
            for (int c = 1; c < count; ++c) {
                const int left = stats.at<int>(c, cv::CC_STAT_LEFT), top = stats.at<int>(c, cv::CC_STAT_TOP);
                const auto i = static_cast<std::size_t>(c);
                isBackground[i] = left == 0 || top == 0 || left + stats.at<int>(c, cv::CC_STAT_WIDTH) == parts.cols ||
                                  top + stats.at<int>(c, cv::CC_STAT_HEIGHT) == parts.rows;
                isPoured[i] = !isBackground[i] && leaky[i] && deepest[i] > deepEnough;
                any |= isPoured[i] != 0;
            }
            if (!any)
                continue;
            Mask poured(size, CV_8U), background(size, CV_8U);
            for (int y = 0; y < parts.rows; ++y) {
                const int* part = parts.ptr<int>(y);
                uchar* inside = poured.ptr<uchar>(y);
                uchar* outside = background.ptr<uchar>(y);
                for (int x = 0; x < parts.cols; ++x) {
                    inside[x] = isPoured[static_cast<std::size_t>(part[x])] ? 255 : 0;
                    outside[x] = isBackground[static_cast<std::size_t>(part[x])] ? 255 : 0;
                }
            }
            // Across a line the background lies two half-widths and the
            // line's own from the part; across a break of width w, only
            // 2·√(half² − w²/4). Past a line's mere tip it lies two
            // half-widths away too: a pixel less is no break.
            cv::Mat toFigure;
            cv::distanceTransform(poured == 0, toFigure, cv::DIST_L2, cv::DIST_MASK_3);
            cv::Mat breaks;
            const int breakCount = cv::connectedComponents(background & (toFigure < 2 * half - 1), breaks, 8, CV_32S);
            std::vector<float> crossing(static_cast<std::size_t>(breakCount), std::numeric_limits<float>::max());
            std::vector<cv::Point> where(crossing.size());
            for (int y = 0; y < breaks.rows; ++y) {
                const int* id = breaks.ptr<int>(y);
                const float* d = toFigure.ptr<float>(y);
                for (int x = 0; x < breaks.cols; ++x)
                    if (const auto b = static_cast<std::size_t>(id[x]); b > 0 && d[x] < crossing[b]) {
                        crossing[b] = d[x];
                        where[b] = cv::Point(x, y);
                    }
            }
            int found = 0;
            for (std::size_t b = 1; b < crossing.size(); ++b) {
                const double width = std::sqrt(std::max(0.0, 4 * half * half - double(crossing[b]) * crossing[b]));
                if (DeepestAcross(parts, poured, deepest, where[b], crossing[b] + 1) < 2 * width)
                    continue;
                ++found;
                open.insert(Number(NearestDot(cv::Point2d(2 * where[b]))));
                places.push_back(Place(cv::Point2d(2 * where[b])));
            }
            if (found > 0)
                return found;
        }
        return 0;
    }

    // The depth of the part of `poured` nearest to `from`, within `reach`.
    static float DeepestAcross(const cv::Mat& parts, const Mask& poured, const std::vector<float>& deepest,
                               cv::Point from, float reach)
    {
        const int r = static_cast<int>(std::ceil(reach));
        const cv::Rect window =
            cv::Rect(from.x - r, from.y - r, 2 * r + 1, 2 * r + 1) & cv::Rect(0, 0, parts.cols, parts.rows);
        double nearest = std::numeric_limits<double>::max();
        float depth = 0;
        for (int y = window.y; y < window.y + window.height; ++y)
            for (int x = window.x; x < window.x + window.width; ++x)
                if (const double d = std::hypot(x - from.x, y - from.y); poured.at<uchar>(y, x) != 0 && d < nearest) {
                    nearest = d;
                    depth = deepest[static_cast<std::size_t>(parts.at<int>(y, x))];
                }
        return depth;
    }

    // A point of the page as measured, in the page's own pixels.
    QPoint Place(cv::Point2d p) const
    {
        return QPoint(static_cast<int>(std::lround(p.x / m_scale)), static_cast<int>(std::lround(p.y / m_scale)));
    }

    std::size_t NearestDot(cv::Point2d p) const
    {
        std::size_t nearest = 0;
        for (std::size_t i = 1; i < Count(); ++i)
            if (cv::norm(At(i) - p) < cv::norm(At(nearest) - p))
                nearest = i;
        return nearest;
    }

    void MeasureSizes()
    {
        CriterionResult& result = m_verdict[Criterion::Sizes];
        result.figure = m_verdict.dotRadius;
        if (Count() > kFewDots)
            return;
        const bool smallDots = m_verdict.dotRadius < kBigDotRadius;
        const bool smallLabels = m_verdict.labelHeight > 0 && m_verdict.labelHeight < kBigLabelHeight;
        if (smallDots || smallLabels)
            Fail(Criterion::Sizes,
                 std::string(smallDots && smallLabels ? "points et numéros trop petits"
                             : smallDots               ? "points trop petits"
                                                       : "numéros trop petits") +
                     " pour une image de " + std::to_string(kFewDots) + " points ou moins",
                 {});
    }

    // Advice that would make the page pass: more dots for what was lost,
    // fewer for numbers crowded among many, else what to mend by hand.
    void Suggest()
    {
        const auto failed = [&](Criterion criterion) { return !m_verdict[criterion].passed; };
        std::vector<std::string> advice;
        if (failed(Criterion::Similarity) && m_verdict.pieces > 1)
            advice.push_back("Le dessin est en " + std::to_string(m_verdict.pieces) +
                             " morceaux et seul le plus grand reçoit des points : essayez un dessin d'un seul tenant.");
        else if (failed(Criterion::Similarity) || failed(Criterion::Parts))
            advice.push_back(Count() < static_cast<std::size_t>(kMostDots) ? "Essayez plus de points." : "Essayez un dessin plus simple.");
        else if (failed(Criterion::Labels) && Count() > kFewDots && m_verdict[Criterion::Labels].dots.size() > 2)
            advice.push_back("Essayez moins de points.");
        else if (failed(Criterion::Labels))
            advice.push_back("Déplacez les points dont le numéro est en cause.");
        if (failed(Criterion::CleanPath) || failed(Criterion::OnOutline))
            advice.push_back("Déplacez les points pour que le trait suive le contour.");
        if (m_verdict[Criterion::LookAlikes].figure > 0)
            advice.push_back("Dessinez les taches rondes en cercles vides.");
        if (m_blotted)
            advice.push_back("Gommez la tache, ou déplacez le point qu'elle touche.");
        if (failed(Criterion::GivenAway) &&
            (m_verdict.clutter > kMostClutter || m_flecks > kMostFlecks || m_cells > kMostCells || m_knots > kMostKnots ||
             m_thickInk > kMostThickInk || m_joints.size() > static_cast<std::size_t>(kMostJoints) || m_load > kMostBusy))
            advice.push_back("Gommez les traits en trop, ou prenez un dessin plus simple.");
        else if (failed(Criterion::GivenAway))
            advice.push_back("Laissez plus de contour à découvrir.");
        if (failed(Criterion::Colouring))
            advice.push_back("Fermez les traits de l'image à colorier.");
        if (failed(Criterion::Sizes))
            advice.push_back("Prenez de gros points et de gros numéros.");
        std::string& text = m_verdict.suggestion;
        for (const std::string& one : advice)
            if (text.find(one) == std::string::npos)
                text += (text.empty() ? "" : " ") + one;
    }

    cv::Mat m_dots, m_finished;  // grey
    std::vector<cv::Point> m_points;
    std::set<int> m_outside;  // dots outside the picture, numbered from 1
    double m_lineWidth = 1;
    double m_scale = 1;  // of the pixels here to the files' pixels
    Mask m_ink, m_discs, m_lines;
    Mask m_closed;   // the lines with their gaps of a few pixels closed
    Mask m_figure;   // the finished picture's figure, filled, without its specks
    Mask m_outline;  // its outer outline; empty when it has none
    Mask m_shown;    // the part of it the dots page shows
    Mask m_drawn;    // the lines drawn on the dots page
    DistanceMap m_toLines;
    double m_labelHeight = 0;  // the usual label's, in pixels
    int m_flecks = 0;
    int m_cells = 0;   // the small closed shapes drawn on the dots page
    int m_knots = 0;   // the pinholes in its lines
    std::vector<QPoint> m_joints;  // the blobs where its lines meet
    double m_thickInk = 0;         // its strokes thicker than two lines
    double m_load = 0;             // all of these, each in shares of its limit
    bool m_blotted = false;        // a blob where lines meet stands against a dot
    std::vector<double> m_radii;
    double m_radius = kSmallDotRadius;
    PageVerdict m_verdict;
};

}  // namespace

JudgedPage JudgedPage::Read(const std::string& themeFolder, int number)
{
    constexpr int kMostPoints = 9999;
    const auto picture = static_cast<std::uint32_t>(std::max(0, number));
    const std::string datPath = ResolveContentFile(themeFolder + "/theme.dat");
    if (!std::filesystem::is_regular_file(datPath))
        throw EFOpenError(datPath);
    const ThemeDat dat(datPath);
    JudgedPage page;
    page.dotsPicture = LoadGrey(themeFolder, PointsFileName(picture));
    page.finishedPicture = LoadGrey(themeFolder, ImageFileName(picture));
    const std::int32_t count = dat.NombrePoints(picture);
    if (count < 1 || count > kMostPoints)
        throw EVorlaneError(ImageSection(picture) + " : " + std::to_string(count) + " points");
    page.lineWidth = 1;
    for (std::int32_t p = 1; p <= count; ++p) {
        const ThemePoint point = dat.Point(picture, static_cast<std::uint32_t>(p));
        if (point.X < 0 || point.Y < 0)
            throw EVorlaneError(ImageSection(picture) + " : le point " + std::to_string(p) + " est inutilisable");
        page.dots.emplace_back(point.X, point.Y);
        page.lineWidth = std::max(page.lineWidth, point.Ligne);
    }
    return page;
}

bool PageVerdict::Good() const
{
    return std::all_of(criteria.begin(), criteria.end(), [](const CriterionResult& result) { return result.passed; });
}

std::vector<std::string> PageVerdict::Reasons() const
{
    std::vector<std::string> reasons;
    for (const CriterionResult& result : criteria)
        if (!result.passed)
            reasons.push_back(result.reason);
    return reasons;
}

std::string PageVerdict::Line() const
{
    if (Good())
        return "Qualité : bonne";
    std::string line = "Qualité : à revoir — ";
    const std::vector<std::string> reasons = Reasons();
    for (std::size_t i = 0; i < reasons.size(); ++i)
        line += (i == 0 ? "" : " ; ") + reasons[i];
    return line + "." + (suggestion.empty() ? "" : " " + suggestion);
}

const char* CriterionName(Criterion criterion)
{
    switch (criterion) {
    case Criterion::Similarity:
        return "ressemblance";
    case Criterion::Labels:
        return "numéros";
    case Criterion::LookAlikes:
        return "faux points";
    case Criterion::CleanPath:
        return "trait";
    case Criterion::Sizes:
        return "tailles";
    case Criterion::OnOutline:
        return "sur le contour";
    case Criterion::Parts:
        return "parties";
    case Criterion::GivenAway:
        return "déjà tracé";
    case Criterion::Colouring:
        return "coloriage";
    }
    return "";
}

PageVerdict PictureJudge::Judge(const JudgedPage& page)
{
    // A page from a user's folder may be odder than any measured here: the
    // image library's refusal is a page to look at, not the end of a check.
    try {
        return Judgement(page).Run();
    } catch (const cv::Exception&) {
        PageVerdict verdict;
        verdict[Criterion::Similarity] = {false, 0, {}, "l'image n'a pas pu être jugée", {}};
        return verdict;
    }
}

PageVerdict PictureJudge::JudgeThemePicture(const std::string& themeFolder, int number)
{
    return Judge(JudgedPage::Read(themeFolder, number));
}

}  // namespace vorlane
