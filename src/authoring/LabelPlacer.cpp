#include "LabelPlacer.h"

#include "OutlineMeasures.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace vorlane {

using namespace PageRules;

namespace {

// Pixels more than a dot radius between a label's nearest other dot and its own.
constexpr double kOwnMargin = 1.5;

// The outward normal of the figure's outline at the outline point nearest `at`.
QPointF Outward(const std::vector<QPoint>& outline, QPoint at)
{
    if (outline.size() < 3)
        return QPointF(0, -1);
    std::size_t nearest = 0;
    for (std::size_t i = 1; i < outline.size(); ++i)
        if (Nearer(outline[i], outline[nearest], at))
            nearest = i;
    const std::size_t reach = std::min<std::size_t>(8, outline.size() / 3);
    const QPointF along = QPointF(outline[(nearest + reach) % outline.size()] -
                                  outline[(nearest + outline.size() - reach) % outline.size()]);
    // The outline turns clockwise on the screen: the outside is on its left.
    const QPointF outward(along.y(), -along.x());
    const double length = std::hypot(outward.x(), outward.y());
    return length > 0 ? outward / length : QPointF(0, -1);
}

}  // namespace

LabelPlacer::LabelPlacer(const TracedDrawing& drawing, const std::vector<Dot>& dots, const DotOptions& options,
                         const QImage& lines)
    : m_drawing(drawing), m_dots(dots), m_options(options), m_size(DotSizeFor(dots.size())),
      m_lines(lines), m_figure(drawing.Figure()), m_font(LabelFont(m_size.labelSize)),
      m_inside(lines.rect().adjusted(2, 2, -2, -2)),
      m_height(QFontMetricsF(m_font).tightBoundingRect(QStringLiteral("0")).height()),
      m_apart(std::max(kClearance, kLabelsApart * m_height)), m_lineApart(std::max(kClearance, kLabelFromLine * m_height))
{
}

std::vector<Label> LabelPlacer::Place() const
{
    std::vector<Label> labels;
    for (std::size_t i = 0; i < m_dots.size(); ++i)
        labels.push_back(PlaceOne(i, labels));
    // A label crowded out by its neighbours' takes its place first, and
    // they find theirs after it, when all three are then plain.
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (labels[i].plain)
            continue;
        std::vector<Label> tried = labels;
        const std::size_t first = i > 0 ? i - 1 : i, last = std::min(i + 1, labels.size() - 1);
        for (std::size_t k = first; k <= last; ++k)
            tried[k] = Label{};
        tried[i] = PlaceOne(i, tried);
        bool plain = tried[i].plain;
        for (std::size_t k = first; k <= last && plain; ++k)
            if (k != i) {
                tried[k] = PlaceOne(k, tried);
                plain = tried[k].plain;
            }
        if (plain)
            labels = std::move(tried);
    }
    return labels;
}

std::optional<Label> LabelPlacer::Outside(std::size_t i, const std::vector<Label>& labels) const
{
    Label label = Glyphs(i);
    const QRectF ink = label.glyphs.boundingRect();
    const QPointF at = Centre(i);
    const QPointF outward = Outward(m_drawing.Outline(), m_dots[i].position);
    const double gap = RadiusOf(i, m_size) + kClearance + 1;
    // Nearest the normal and the dot first.
    for (const double turn : {0.0, 15.0, -15.0, 30.0, -30.0, 45.0, -45.0, 60.0, -60.0, 80.0, -80.0, 100.0,
                              -100.0, 125.0, -125.0})
        for (const double ring : {0.0, 4.0, 9.0, 15.0}) {
            const double angle = turn * std::numbers::pi / 180;
            const QPointF dir(outward.x() * std::cos(angle) - outward.y() * std::sin(angle),
                              outward.x() * std::sin(angle) + outward.y() * std::cos(angle));
            // From the box's centre to its edge along dir.
            const double reach = std::min(std::abs(dir.x()) > 1e-9 ? ink.width() / 2 / std::abs(dir.x()) : 1e9,
                                          std::abs(dir.y()) > 1e-9 ? ink.height() / 2 / std::abs(dir.y()) : 1e9);
            QRectF box(0, 0, ink.width(), ink.height());
            box.moveCenter(at + dir * (gap + reach + ring));
            if (Fits(box, labels, m_apart) && Owned(i, box) && m_figure.Sum(Pixels(box)) == 0) {
                label.glyphs.translate(box.center() - ink.center());
                label.box = box;
                label.plain = true;
                return label;
            }
        }
    return std::nullopt;
}

bool LabelPlacer::StillPlain(const std::vector<Label>& labels) const
{
    for (std::size_t j = 0; j < labels.size(); ++j)
        if (labels[j].plain && !(Clear(labels[j].box) && Owned(j, labels[j].box)))
            return false;
    return true;
}

Label LabelPlacer::PlaceOne(std::size_t i, const std::vector<Label>& labels) const
{
    if (auto outside = Outside(i, labels))
        return *outside;
    // A crowded place: the spot nearest the dot that is plainly its own,
    // outside the figure if it can, clear of the lines by the full
    // distance if it can, at least touching none.
    Label label = Glyphs(i);
    const QRectF ink = label.glyphs.boundingRect();
    const QPointF at = Centre(i);
    QRectF best;
    double bestScore = std::numeric_limits<double>::max();
    constexpr int kDirections = 32;
    for (const double ring : {0.0, 3.0, 6.0, 10.0, 15.0, 21.0, 28.0}) {
        for (int d = 0; d < kDirections; ++d) {
            const double angle = 2 * std::numbers::pi * d / kDirections;
            const QPointF dir(std::cos(angle), std::sin(angle));
            const double reach = std::min(std::abs(dir.x()) > 1e-9 ? ink.width() / 2 / std::abs(dir.x()) : 1e9,
                                          std::abs(dir.y()) > 1e-9 ? ink.height() / 2 / std::abs(dir.y()) : 1e9);
            QRectF box(0, 0, ink.width(), ink.height());
            box.moveCenter(at + dir * (RadiusOf(i, m_size) + kClearance + 1 + reach + ring));
            if (!m_inside.contains(Pixels(box)))
                continue;
            const double score = ring + (Owned(i, box) ? 0 : 1000) +
                                 (Fits(box, labels, m_apart) ? 0 : Fits(box, labels, kClearance) ? 50 : 10000) +
                                 (m_figure.Sum(Pixels(box)) == 0 ? 0 : 20);
            if (score < bestScore) {
                bestScore = score;
                best = box;
            }
        }
    }
    if (best.isNull()) {  // at least inside the picture
        best = QRectF(0, 0, ink.width(), ink.height());
        best.moveCenter(at);
        best.moveLeft(std::clamp(best.left(), 2.0, m_lines.Width() - 3 - best.width()));
        best.moveTop(std::clamp(best.top(), 2.0, m_lines.Height() - 3 - best.height()));
    }
    label.glyphs.translate(best.center() - ink.center());
    label.box = best;
    label.plain = Owned(i, best) && Fits(best, labels, kClearance);
    return label;
}

Label LabelPlacer::Glyphs(std::size_t i) const
{
    Label label;
    label.text = DotLabel(m_options, static_cast<int>(i));
    label.glyphs = LabelGlyphs(m_font, label.text);
    return label;
}

QRect LabelPlacer::Pixels(const QRectF& box, double margin)
{
    return box.adjusted(-margin, -margin, margin, margin).toAlignedRect();
}

bool LabelPlacer::Clear(const QRectF& box) const
{
    const double halfPen = m_options.lineWidth / 2.0 + kClearance;
    for (std::size_t j = 0; j < m_dots.size(); ++j) {
        if (BoxDistance(box, Centre(j)) < RadiusOf(j, m_size) + kClearance)
            return false;
        if (j + 1 < m_dots.size() && BoxDistance(box, Centre(j), Centre(j + 1)) < halfPen)
            return false;
    }
    return true;
}

bool LabelPlacer::Fits(const QRectF& box, const std::vector<Label>& labels, double apart) const
{
    if (!m_inside.contains(Pixels(box)) || m_lines.Sum(Pixels(box, std::min(apart, m_lineApart))) > 0 || !Clear(box))
        return false;
    // A label not placed yet (an empty box) is no obstacle, least of all at the origin.
    const auto dotIn = [&](const QRectF& strip) {
        return std::any_of(m_dots.begin(), m_dots.end(), [&](const Dot& dot) {
            return strip.contains(QPointF(dot.position) + QPointF(0.5, 0.5));
        });
    };
    return std::none_of(labels.begin(), labels.end(), [&](const Label& other) {
        return !other.box.isEmpty() && (other.box.adjusted(-apart, -apart, apart, apart).intersects(box) ||
                                        (apart >= m_apart && ReadAsOne(box, other.box, m_height, dotIn)));
    });
}

bool LabelPlacer::Owned(std::size_t i, const QRectF& box) const
{
    const QPointF centre = box.center();
    const double own = Distance(centre, Centre(i));
    const double edge = BoxDistance(box, Centre(i)) - RadiusOf(i, m_size);
    for (std::size_t j = 0; j < m_dots.size(); ++j)
        if (j != i && (Distance(centre, Centre(j)) < kOwnLabel * own ||
                       BoxDistance(box, Centre(j)) - RadiusOf(j, m_size) < edge + m_size.radius + kOwnMargin))
            return false;
    return true;
}

}  // namespace vorlane
