#include "print/Booklet.h"

#include "content/ContentPlaces.h"
#include "content/DisplayString.h"
#include "content/PlayList.h"
#include "content/ThemeDat.h"
#include "display/TDIB.h"
#include "print/DibImage.h"
#include "print/SmoothPicture.h"
#include "print/zipUnzip.h"

#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <future>
#include <memory>
#include <sstream>

namespace vorlane {
namespace {

// The cover shows at most this many small pictures, taken evenly through the booklet.
constexpr std::size_t kMostCoverPictures = 30;
// Answers per page, at most.
constexpr int kAnswersPerPage = 6;

struct BookletPicture {
    QString theme;
    std::uint32_t number = 0;
    std::shared_ptr<const SmoothPicture> dots;
    std::shared_ptr<const SmoothPicture> finished;
    int dotsPage = 0;  // its dots page's number, 0 when the booklet has none
};

std::shared_ptr<const SmoothPicture> ReadPicture(const std::string& path)
{
    TDIB bitmap;
    bitmap.LoadBitmapFile(path);
    if (bitmap.Empty())
        throw EInvalidBitmap();
    return std::make_shared<const SmoothPicture>(DibImage(bitmap).copy());
}

QPageLayout::Orientation OrientationOf(const SmoothPicture& picture)
{
    return picture.Size().width() >= picture.Size().height() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

// The cells of a grid of `count` pictures of `aspect` (width / height) in
// `box`, each with room under it for a caption `captionHeight` high: as many
// columns as make the pictures largest.
std::vector<QRectF> GridCells(std::size_t count, const QRectF& box, double aspect, double captionHeight, double gap)
{
    std::vector<QRectF> cells;
    if (count == 0 || box.isEmpty())
        return cells;
    int bestColumns = 1;
    double bestWidth = 0;
    for (int columns = 1; columns <= static_cast<int>(count); ++columns) {
        const int rows = static_cast<int>((count + static_cast<std::size_t>(columns) - 1) / static_cast<std::size_t>(columns));
        const double cellWidth = (box.width() - gap * (columns - 1)) / columns;
        const double cellHeight = (box.height() - gap * (rows - 1)) / rows - captionHeight;
        const double width = std::min(cellWidth, cellHeight * aspect);
        if (width > bestWidth) {
            bestWidth = width;
            bestColumns = columns;
        }
    }
    const int rows = static_cast<int>((count + static_cast<std::size_t>(bestColumns) - 1) / static_cast<std::size_t>(bestColumns));
    const double cellWidth = (box.width() - gap * (bestColumns - 1)) / bestColumns;
    const double cellHeight = (box.height() - gap * (rows - 1)) / rows;
    for (std::size_t i = 0; i < count; ++i) {
        const auto column = static_cast<int>(i % static_cast<std::size_t>(bestColumns));
        const auto row = static_cast<int>(i / static_cast<std::size_t>(bestColumns));
        cells.emplace_back(box.left() + column * (cellWidth + gap), box.top() + row * (cellHeight + gap), cellWidth,
                           cellHeight);
    }
    return cells;
}

// A line of text as large as `points`, or smaller so that it fits `width`.
QFont FittingFont(const QString& text, double points, bool bold, double width, const QPainter& painter)
{
    QFont font = PageDocument::Font(points, bold);
    while (font.pointSizeF() > 8 && QFontMetricsF(font, painter.device()).horizontalAdvance(text) > width)
        font.setPointSizeF(font.pointSizeF() - 1);
    return font;
}

// A small picture in a thin frame, with its caption under it.
void DrawSmallPicture(QPainter& painter, const SmoothPicture& picture, const QRectF& cell, const QString& caption,
                      double captionHeight, double frameWidth)
{
    const QRectF box(cell.left(), cell.top(), cell.width(), cell.height() - captionHeight);
    const QSizeF size = QSizeF(picture.Size()).scaled(box.size(), Qt::KeepAspectRatio);
    const QRectF target(QPointF(box.center().x() - size.width() / 2, box.top()), size);
    PageDocument::DrawFitted(painter, picture, target);
    painter.setPen(QPen(QColor(160, 160, 160), frameWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(target);
    if (!caption.isEmpty()) {
        painter.setPen(QColor(64, 64, 64));
        painter.drawText(QRectF(cell.left(), target.bottom(), cell.width(), captionHeight),
                         Qt::AlignHCenter | Qt::AlignVCenter, caption);
    }
}

QString ContentsLine(const BookletForms& forms, std::size_t pictures)
{
    QStringList parts;
    const QString count = QString::number(pictures);
    if (forms.dots)
        parts << (pictures == 1 ? QStringLiteral("1 image à relier") : count + QStringLiteral(" images à relier"));
    if (forms.toColour)
        parts << (pictures == 1 ? QStringLiteral("1 image à colorier") : count + QStringLiteral(" images à colorier"));
    if (forms.answers)
        parts << QStringLiteral("les solutions");
    if (parts.size() > 1) {
        const QString last = parts.takeLast();
        return parts.join(QStringLiteral(", ")) + QStringLiteral(" et ") + last;
    }
    return parts.value(0);
}

}  // namespace

PageDocument MakeBooklet(const ContentPlaces& places, const std::vector<std::string>& themes, BookletForms forms)
{
    QStringList names;
    std::vector<BookletPicture> pictures;
    std::vector<std::pair<std::string, std::string>> files;  // dots, finished
    for (const std::string& theme : themes) {
        names << DisplayString(theme);
        const auto count = static_cast<std::uint32_t>(
            std::clamp(ThemeDat::ForTheme(theme, places).NombreImages(), 0, kMaxThemePictures));
        for (std::uint32_t number = 1; number <= count; ++number) {
            pictures.push_back({DisplayString(theme), number, nullptr, nullptr, 0});
            files.emplace_back(places.ThemeContentFile(theme, PointsFileName(number)),
                               places.ThemeContentFile(theme, ImageFileName(number)));
        }
    }
    // Each picture is made smooth on its own: the two halves of the booklet
    // on two threads, since a class set of a theme is twenty pictures.
    const auto read = [&](std::size_t first, std::size_t last) {
        for (std::size_t i = first; i < last; ++i) {
            if (forms.dots)
                pictures[i].dots = ReadPicture(files[i].first);
            pictures[i].finished = ReadPicture(files[i].second);
        }
    };
    std::future<void> secondHalf = std::async(std::launch::async, read, pictures.size() / 2, pictures.size());
    read(0, pictures.size() / 2);
    secondHalf.get();

    std::size_t landscape = 0;
    for (const BookletPicture& picture : pictures)
        landscape += OrientationOf(*picture.finished) == QPageLayout::Landscape ? 1 : 0;
    const QPageLayout::Orientation mostly =
        2 * landscape >= pictures.size() ? QPageLayout::Landscape : QPageLayout::Portrait;
    const double aspect = pictures.empty() ? 4.0 / 3.0
                                           : static_cast<double>(pictures.front().finished->Size().width()) /
                                                 pictures.front().finished->Size().height();

    const QString title = names.join(QStringLiteral(", "));
    PageDocument booklet(QStringLiteral("Cahier – ") + title);

    // The cover.
    std::vector<std::shared_ptr<const SmoothPicture>> coverPictures;
    const std::size_t shown = std::min(pictures.size(), kMostCoverPictures);
    for (std::size_t i = 0; i < shown; ++i)
        coverPictures.push_back(pictures[i * pictures.size() / shown].finished);
    const QString contents = ContentsLine(forms, pictures.size());
    booklet.AddPage(
        mostly,
        [title, contents, coverPictures, aspect](QPainter& painter, const PageArea& area) {
            const QRectF page = area.rect;
            painter.setPen(Qt::black);
            painter.setFont(FittingFont(title, 34, true, page.width(), painter));
            const double titleHeight = area.Millimetres(18);
            painter.drawText(QRectF(page.left(), page.top(), page.width(), titleHeight), Qt::AlignCenter, title);
            painter.setFont(PageDocument::Font(12));
            painter.setPen(QColor(64, 64, 64));
            painter.drawText(QRectF(page.left(), page.top() + titleHeight, page.width(), area.Millimetres(8)),
                             Qt::AlignCenter, contents);
            painter.setPen(Qt::black);
            painter.setFont(PageDocument::Font(20));
            const double nameTop = page.top() + titleHeight + area.Millimetres(14);
            painter.drawText(QRectF(page.left(), nameTop, page.width(), area.Millimetres(12)), Qt::AlignCenter,
                             QStringLiteral("Prénom : ______________________________"));
            const double gridTop = nameTop + area.Millimetres(20);
            const QRectF grid(page.left(), gridTop, page.width(), page.bottom() - gridTop);
            const std::vector<QRectF> cells =
                GridCells(coverPictures.size(), grid, aspect, 0, area.Millimetres(4));
            for (std::size_t i = 0; i < cells.size(); ++i)
                DrawSmallPicture(painter, *coverPictures[i], cells[i], {}, 0, area.Millimetres(0.3));
        },
        false);

    // The pages to work on, one form after the other.
    int pageNumber = 1;  // the cover is page 1, without its number
    const auto addPictures = [&](bool dots) {
        for (BookletPicture& picture : pictures) {
            std::shared_ptr<const SmoothPicture> shown = dots ? picture.dots : picture.finished;
            ++pageNumber;
            if (dots)
                picture.dotsPage = pageNumber;
            booklet.AddPage(
                OrientationOf(*shown),
                [shown](QPainter& painter, const PageArea& area) { PageDocument::DrawFitted(painter, *shown, area.rect); },
                true, picture.theme + QStringLiteral(", image ") + QString::number(picture.number));
        }
    };
    if (forms.dots)
        addPictures(true);
    if (forms.toColour)
        addPictures(false);

    // The answers: the finished pictures, small, captioned with the page to look for.
    for (std::size_t first = 0; forms.answers && first < pictures.size(); first += kAnswersPerPage) {
        std::vector<std::pair<std::shared_ptr<const SmoothPicture>, QString>> answers;
        for (std::size_t i = first; i < std::min(pictures.size(), first + kAnswersPerPage); ++i) {
            const BookletPicture& picture = pictures[i];
            answers.emplace_back(picture.finished,
                                 picture.dotsPage > 0
                                     ? QStringLiteral("page ") + QString::number(picture.dotsPage)
                                     : picture.theme + QStringLiteral(", image ") + QString::number(picture.number));
        }
        booklet.AddPage(mostly, [answers, aspect](QPainter& painter, const PageArea& area) {
            const QRectF page = area.rect;
            const double titleHeight = area.Millimetres(14);
            painter.setFont(PageDocument::Font(20, true));
            painter.setPen(Qt::black);
            painter.drawText(QRectF(page.left(), page.top(), page.width(), titleHeight), Qt::AlignLeft | Qt::AlignTop,
                             QStringLiteral("Solutions"));
            const QRectF grid(page.left(), page.top() + titleHeight, page.width(), page.height() - titleHeight);
            const double captionHeight = area.Millimetres(8);
            // Always the grid of a full page, so that the pictures keep their size on the last one.
            const std::vector<QRectF> cells = GridCells(kAnswersPerPage, grid, aspect, captionHeight, area.Millimetres(6));
            painter.setFont(PageDocument::Font(11));
            // A page too small for the grid has no cells: nothing to draw on it.
            for (std::size_t i = 0; i < std::min(answers.size(), cells.size()); ++i)
                DrawSmallPicture(painter, *answers[i].first, cells[i], answers[i].second, captionHeight,
                                 area.Millimetres(0.3));
        });
    }
    return booklet;
}

int AnswerPages(int pictures)
{
    return (pictures + kAnswersPerPage - 1) / kAnswersPerPage;
}

bool ParseBookletForms(const std::string& names, BookletForms& forms)
{
    BookletForms chosen{false, false, false};
    std::istringstream list(names);
    std::string name;
    bool any = false;
    while (std::getline(list, name, ',')) {
        if (name == "points")
            chosen.dots = true;
        else if (name == "colorier")
            chosen.toColour = true;
        else if (name == "solutions")
            chosen.answers = true;
        else
            return false;
        any = true;
    }
    if (!any)
        return false;
    forms = chosen;
    return true;
}

}  // namespace vorlane
