#include "print/Booklet.h"

#include "content/ContentPlaces.h"
#include "content/DisplayString.h"
#include "content/PlayList.h"
#include "content/ThemeDat.h"
#include "display/TDIB.h"
#include "print/DibImage.h"
#include "print/PictureName.h"
#include "print/SmoothPicture.h"
#include "print/WorkProgress.h"
#include "print/zipUnzip.h"

#include <QPainter>
#include <QPainterPath>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace vorlane {
namespace {

// The cover shows at most this many dots pages small, taken evenly through the booklet.
constexpr std::size_t kMostCoverPictures = 12;
// Answers per page, at most.
constexpr int kAnswersPerPage = 6;
// The difficulty mark: one to this many stars.
constexpr int kMostStars = 3;

struct BookletPicture {
    PictureName name;
    DotLabels labels;
    int dots = 0;
    int stars = 1;
    std::string dotsFile;
    std::string finishedFile;
    std::shared_ptr<const SmoothPicture> dotsPicture;
    std::shared_ptr<const SmoothPicture> finished;
    QString unread;  // why the picture could not be read; empty when it was
    int page = 0;    // its page in the booklet
};

std::shared_ptr<const SmoothPicture> ReadPicture(const std::string& path)
{
    TDIB bitmap;
    bitmap.LoadBitmapFile(path);
    if (bitmap.Empty())
        throw EInvalidBitmap();
    return std::make_shared<const SmoothPicture>(DibImage(bitmap).copy(), SmoothPicture::Ink::Black);
}

// Why the file at `path` could not be read, in French, naming it.
QString ReadingFailure(const std::string& path, const std::exception& error)
{
    const QString file = QString::fromStdString(path);
    if (dynamic_cast<const EInvalidGraphic*>(&error) != nullptr)
        return QStringLiteral("le fichier ") + file + QStringLiteral(" n'est pas une image bitmap lisible");
    if (dynamic_cast<const EInvalidBitmap*>(&error) != nullptr)
        return QStringLiteral("le fichier ") + file + QStringLiteral(" ne contient aucune image");
    QString said = QString::fromUtf8(error.what());
    if (!said.isEmpty())
        said[0] = said[0].toLower();
    return said;
}

// Reads and smooths the pictures' files, several at once: each is a few
// tens of milliseconds, and a class set is eighty of them. A file that
// cannot be read leaves its picture out, saying why.
void ReadPictures(std::vector<BookletPicture>& pictures, bool dots, bool finished, WorkProgress* progress)
{
    std::atomic<std::size_t> next{0};
    std::mutex failing;
    std::exception_ptr failure;
    const auto work = [&] {
        for (std::size_t i = next++; i < pictures.size(); i = next++) {
            if (progress != nullptr && progress->Cancelled())
                return;
            BookletPicture& picture = pictures[i];
            try {
                const auto read = [&](const std::string& path, std::shared_ptr<const SmoothPicture>& into) {
                    try {
                        if (picture.unread.isEmpty())
                            into = ReadPicture(path);
                    } catch (const EVorlaneError& error) {
                        picture.unread = ReadingFailure(path, error);
                    }
                    if (progress != nullptr)
                        progress->Advance();
                };
                if (dots)
                    read(picture.dotsFile, picture.dotsPicture);
                if (finished)
                    read(picture.finishedFile, picture.finished);
            } catch (...) {
                const std::lock_guard lock(failing);
                if (!failure)
                    failure = std::current_exception();
            }
        }
    };
    const unsigned helpers = std::clamp(std::thread::hardware_concurrency(), 1U, 8U) - 1;
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < helpers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

QPageLayout::Orientation OrientationOf(const SmoothPicture* picture, QPageLayout::Orientation otherwise)
{
    if (picture == nullptr)
        return otherwise;
    return picture->Size().width() >= picture->Size().height() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

// The cells of a grid of `count` pictures of `aspect` (width / height) in
// `box`, each with room under it for a caption `captionHeight` high: as many
// columns as make the pictures largest. None when the box has no room.
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
    if (bestWidth <= 0)
        return cells;
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
    while (font.pointSizeF() > 7 && QFontMetricsF(font, painter.device()).horizontalAdvance(text) > width)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

// A small picture in a thin frame, with its caption under it; or, for a
// picture that could not be read, the frame and a word saying so.
void DrawSmallPicture(QPainter& painter, const SmoothPicture* picture, double aspect, const QRectF& cell,
                      const QString& caption, double captionHeight, double frameWidth)
{
    const QRectF box(cell.left(), cell.top(), cell.width(), cell.height() - captionHeight);
    const QSizeF size = (picture != nullptr ? QSizeF(picture->Size()) : QSizeF(aspect, 1)).scaled(box.size(), Qt::KeepAspectRatio);
    const QRectF target(QPointF(box.center().x() - size.width() / 2, box.top()), size);
    if (picture != nullptr)
        PageDocument::DrawFitted(painter, *picture, target);
    else
        painter.drawText(target, Qt::AlignCenter | Qt::TextWordWrap, QStringLiteral("image illisible"));
    painter.setPen(QPen(Qt::black, frameWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(target);
    if (!caption.isEmpty()) {
        painter.setPen(Qt::black);
        painter.drawText(QRectF(cell.left(), target.bottom(), cell.width(), captionHeight),
                         Qt::AlignHCenter | Qt::AlignVCenter, caption);
    }
}

// `count` stars `size` high from `topLeft` rightwards, the first `filled` of them black.
void DrawStars(QPainter& painter, QPointF topLeft, double size, int filled, int count)
{
    QPainterPath star;
    for (int k = 0; k < 10; ++k) {
        const double radius = (k % 2 == 0 ? 0.5 : 0.2) * size;
        const double angle = -M_PI / 2 + k * M_PI / 5;
        const QPointF point(radius * std::cos(angle), radius * std::sin(angle));
        if (k == 0)
            star.moveTo(point);
        else
            star.lineTo(point);
    }
    star.closeSubpath();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, size / 16));
    for (int i = 0; i < count; ++i) {
        painter.setBrush(i < filled ? QBrush(Qt::black) : QBrush(Qt::NoBrush));
        painter.drawPath(star.translated(topLeft + QPointF((i + 0.5) * size * 1.15, 0.55 * size)));
    }
    painter.restore();
}

const QString kFirstNameLine = QStringLiteral("Prénom : ________________");

// The band at the top of a picture's page: its name and the line for the
// child's first name, then what to do and how hard it is. Returns its height.
double DrawHeader(QPainter& painter, const PageArea& area, const QString& title, const QString& instruction, int stars)
{
    const QRectF page = area.rect;
    painter.setPen(Qt::black);
    const QFont nameFont = PageDocument::Font(12);
    const double nameWidth = QFontMetricsF(nameFont, painter.device()).horizontalAdvance(kFirstNameLine);
    const double firstLine = area.Millimetres(10);
    painter.setFont(FittingFont(title, 18, true, page.width() - nameWidth - area.Millimetres(5), painter));
    painter.drawText(QRectF(page.left(), page.top(), page.width(), firstLine), Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.setFont(nameFont);
    painter.drawText(QRectF(page.left(), page.top(), page.width(), firstLine), Qt::AlignRight | Qt::AlignVCenter,
                     kFirstNameLine);
    const double secondLine = area.Millimetres(8);
    const double starSize = area.Millimetres(4.5);
    const double starsWidth = kMostStars * starSize * 1.15;
    painter.setFont(FittingFont(instruction, 14, false, page.width() - starsWidth - area.Millimetres(4), painter));
    painter.drawText(QRectF(page.left(), page.top() + firstLine, page.width(), secondLine),
                     Qt::AlignLeft | Qt::AlignVCenter, instruction);
    DrawStars(painter, QPointF(page.right() - starsWidth, page.top() + firstLine + (secondLine - starSize) / 2),
              starSize, stars, kMostStars);
    return firstLine + secondLine + area.Millimetres(3);
}

// A picture's page: its header, then the picture as large as fits, or the
// line saying why it is left out.
PageDocument::Draw PicturePage(const BookletPicture& picture, std::shared_ptr<const SmoothPicture> shown,
                               QString instruction)
{
    return [title = picture.name.Title(), instruction = std::move(instruction), stars = picture.stars,
            shown = std::move(shown), unread = picture.unread](QPainter& painter, const PageArea& area) {
        const double header = DrawHeader(painter, area, title, instruction, stars);
        const QRectF box(area.rect.left(), area.rect.top() + header, area.rect.width(), area.rect.height() - header);
        if (shown) {
            PageDocument::DrawFitted(painter, *shown, box);
            return;
        }
        painter.setFont(PageDocument::Font(12));
        painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap,
                         QStringLiteral("Cette image n'a pas pu être lue : ") + unread + QLatin1Char('.'));
    };
}

QString Plural(std::size_t count, const QString& one, const QString& many)
{
    return count == 1 ? one : QString::number(count) + QLatin1Char(' ') + many;
}

QString JoinedWithAnd(QStringList parts)
{
    if (parts.size() > 1) {
        const QString last = parts.takeLast();
        return parts.join(QStringLiteral(", ")) + QStringLiteral(" et ") + last;
    }
    return parts.value(0);
}

struct Cover {
    QString title;
    QString kind;
    QString contents;
    QStringList themes;  // "La ferme : pages 2 à 11"
    std::vector<std::shared_ptr<const SmoothPicture>> pictures;
    double aspect = 4.0 / 3.0;
};

void DrawCover(QPainter& painter, const PageArea& area, const Cover& cover)
{
    const QRectF page = area.rect;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const double thick = area.Millimetres(0.8);
    painter.setPen(QPen(Qt::black, thick));
    painter.drawRoundedRect(page.adjusted(thick / 2, thick / 2, -thick / 2, -thick / 2), area.Millimetres(4),
                            area.Millimetres(4));
    painter.setPen(QPen(Qt::black, area.Millimetres(0.25)));
    const double inset = area.Millimetres(2);
    painter.drawRoundedRect(page.adjusted(inset, inset, -inset, -inset), area.Millimetres(3), area.Millimetres(3));

    const QRectF inside = page.adjusted(area.Millimetres(8), area.Millimetres(6), -area.Millimetres(8),
                                        -area.Millimetres(6));
    double top = inside.top();
    const auto line = [&](const QString& text, double points, bool bold, double height) {
        painter.setPen(Qt::black);
        painter.setFont(FittingFont(text, points, bold, inside.width(), painter));
        painter.drawText(QRectF(inside.left(), top, inside.width(), area.Millimetres(height)), Qt::AlignCenter, text);
        top += area.Millimetres(height);
    };
    line(cover.title, 30, true, 16);
    line(cover.kind, 16, false, 9);
    line(cover.contents, 12, false, 8);
    top += area.Millimetres(4);
    line(kFirstNameLine, 18, false, 12);
    top += area.Millimetres(4);
    for (const QString& theme : cover.themes)
        line(theme, 11, false, 6);
    top += area.Millimetres(4);
    const QRectF grid(inside.left(), top, inside.width(), inside.bottom() - top);
    const double gap = area.Millimetres(4);
    std::vector<QRectF> cells = GridCells(cover.pictures.size(), grid, cover.aspect, 0, gap);
    // Rows as high as their pictures, the whole grid in the middle of its room.
    if (!cells.empty()) {
        const double height = std::min(cells.front().height(), cells.front().width() / cover.aspect);
        std::vector<double> rowTops;
        for (const QRectF& cell : cells) {
            if (rowTops.empty() || cell.top() > rowTops.back() + 1)
                rowTops.push_back(cell.top());
        }
        const double rows = static_cast<double>(rowTops.size());
        const double first = grid.top() + (grid.height() - rows * height - (rows - 1) * gap) / 2;
        for (QRectF& cell : cells) {
            const auto row = std::find_if(rowTops.begin(), rowTops.end(), [&](double top) { return cell.top() < top + 1; }) -
                             rowTops.begin();
            cell = QRectF(cell.left(), first + static_cast<double>(row) * (height + gap), cell.width(), height);
        }
    }
    for (std::size_t i = 0; i < cells.size() && i < cover.pictures.size(); ++i)
        DrawSmallPicture(painter, cover.pictures[i].get(), cover.aspect, cells[i], {}, 0, area.Millimetres(0.2));
}

// The answers, small, captioned with the page to look for, on pages of their own.
void AddAnswers(PageDocument& document, const std::vector<BookletPicture>& pictures, const QString& title,
                QPageLayout::Orientation orientation, double aspect, bool numbered)
{
    for (std::size_t first = 0; first < pictures.size(); first += kAnswersPerPage) {
        std::vector<std::pair<std::shared_ptr<const SmoothPicture>, QString>> answers;
        for (std::size_t i = first; i < std::min(pictures.size(), first + kAnswersPerPage); ++i) {
            const BookletPicture& picture = pictures[i];
            const QString name = picture.name.Name();
            answers.emplace_back(picture.finished, QStringLiteral("page ") + QString::number(picture.page) +
                                                       (name.isEmpty() ? QString() : QStringLiteral(" : ") + name));
        }
        document.AddPage(orientation, [answers, title, aspect](QPainter& painter, const PageArea& area) {
            const QRectF page = area.rect;
            const double titleHeight = area.Millimetres(14);
            painter.setPen(Qt::black);
            painter.setFont(FittingFont(title, 20, true, page.width(), painter));
            painter.drawText(QRectF(page.left(), page.top(), page.width(), titleHeight), Qt::AlignLeft | Qt::AlignTop,
                             title);
            const QRectF grid(page.left(), page.top() + titleHeight, page.width(), page.height() - titleHeight);
            const double captionHeight = area.Millimetres(8);
            // Always the grid of a full page, so that the pictures keep their size on the last one.
            const std::vector<QRectF> cells = GridCells(kAnswersPerPage, grid, aspect, captionHeight, area.Millimetres(6));
            painter.setFont(PageDocument::Font(11));
            // A page too small for the grid has no cells: nothing to draw on it.
            for (std::size_t i = 0; i < std::min(answers.size(), cells.size()); ++i)
                DrawSmallPicture(painter, answers[i].first.get(), aspect, cells[i], answers[i].second, captionHeight,
                                 area.Millimetres(0.2));
        }, numbered);
    }
}

}  // namespace

QString DotsInstruction(const DotLabels& labels, int dots)
{
    const int count = std::max(dots, 1);
    const QString range = QStringLiteral("de ") + labels.Label(0) + QStringLiteral(" à ") + labels.Label(count - 1);
    switch (labels.style) {
    case DotLabels::Style::UpperLetters:
    case DotLabels::Style::LowerLetters:
        return QStringLiteral("Relie les lettres ") + range + QLatin1Char('.');
    case DotLabels::Style::ByTwo:
        return QStringLiteral("Relie les points de 2 en 2, ") + range + QLatin1Char('.');
    case DotLabels::Style::ByFive:
        return QStringLiteral("Relie les points de 5 en 5, ") + range + QLatin1Char('.');
    case DotLabels::Style::ByTen:
        return QStringLiteral("Relie les points de 10 en 10, ") + range + QLatin1Char('.');
    case DotLabels::Style::Numbers:
        break;
    }
    return QStringLiteral("Relie les points ") + range + QLatin1Char('.');
}

int AnswerPages(int pictures)
{
    return (pictures + kAnswersPerPage - 1) / kAnswersPerPage;
}

int BookletPages(int pictures, const BookletOptions& options)
{
    const bool answersAtEnd =
        options.kind == BookletOptions::Kind::Dots && options.answers == BookletOptions::Answers::AtEnd;
    return pictures + (answersAtEnd ? AnswerPages(pictures) : 0);
}

std::optional<Booklet> MakeBooklet(const ContentPlaces& places, const std::vector<std::string>& themes,
                                   const BookletOptions& options, WorkProgress* progress)
{
    const bool dotsBooklet = options.kind == BookletOptions::Kind::Dots;
    const bool answers = dotsBooklet && options.answers != BookletOptions::Answers::None;
    QStringList names;
    std::vector<BookletPicture> pictures;
    for (const std::string& theme : themes) {
        names << DisplayString(theme);
        const ThemeDat dat = ThemeDat::ForTheme(theme, places);
        const int count = std::clamp(dat.NombreImages(), 0, kMaxThemePictures);
        for (int number = 1; number <= count; ++number) {
            const auto n = static_cast<std::uint32_t>(number);
            BookletPicture picture;
            picture.name = PictureName::Of(theme, dat, n);
            picture.labels = dat.Labels(n);
            picture.dots = dat.NombrePoints(n);
            picture.stars = 1 + kMostStars * (number - 1) / count;
            picture.dotsFile = places.ThemeContentFile(theme, PointsFileName(n));
            picture.finishedFile = places.ThemeContentFile(theme, ImageFileName(n));
            pictures.push_back(std::move(picture));
        }
    }

    const bool folded = options.layout == BookletOptions::Layout::FoldedBook;
    const auto sheets = folded ? PageDocument::Sheets::FoldedBook : PageDocument::Sheets::OnePagePerSide;
    const QString title = names.join(QStringLiteral(", "));
    Booklet booklet{PageDocument((dotsBooklet ? QStringLiteral("Cahier – ") : QStringLiteral("Cahier de coloriage – ")) +
                                 title, sheets),
                    std::nullopt,
                    {}};
    const int pageCount = 1 + BookletPages(static_cast<int>(pictures.size()), options);
    const bool apart = answers && options.answers == BookletOptions::Answers::Apart;
    if (progress != nullptr) {
        const auto bitmaps = static_cast<int>(pictures.size()) * (dotsBooklet && answers ? 2 : 1);
        const int sides = folded ? (pageCount + 3) / 4 * 2 : pageCount;
        progress->AddSteps(bitmaps + sides + (apart ? AnswerPages(static_cast<int>(pictures.size())) : 0));
    }
    ReadPictures(pictures, dotsBooklet, !dotsBooklet || answers, progress);
    if (progress != nullptr && progress->Cancelled())
        return std::nullopt;

    // How most pages are turned, and the shape of the small pictures.
    std::size_t landscape = 0;
    const SmoothPicture* first = nullptr;
    for (const BookletPicture& picture : pictures) {
        const SmoothPicture* shown = dotsBooklet ? picture.dotsPicture.get() : picture.finished.get();
        landscape += shown != nullptr && OrientationOf(shown, QPageLayout::Landscape) == QPageLayout::Landscape ? 1 : 0;
        first = first != nullptr ? first : shown;
    }
    const bool portraitLayout = options.layout == BookletOptions::Layout::Portrait;
    const QPageLayout::Orientation mostly = portraitLayout || 2 * landscape < pictures.size()
                                                ? QPageLayout::Portrait
                                                : QPageLayout::Landscape;
    const double aspect = first != nullptr ? static_cast<double>(first->Size().width()) / first->Size().height()
                                           : 4.0 / 3.0;

    // Pages are numbered from 2 after the cover; each theme's run is told on the cover.
    Cover cover;
    cover.title = title;
    cover.kind = dotsBooklet ? QStringLiteral("Points à relier") : QStringLiteral("Cahier de coloriage");
    cover.aspect = aspect;
    {
        QStringList parts;
        const QString what = dotsBooklet ? QStringLiteral(" à relier") : QStringLiteral(" à colorier");
        parts << Plural(pictures.size(), QStringLiteral("1 image") + what, QStringLiteral("images") + what);
        if (answers && !apart)
            parts << QStringLiteral("les solutions à la fin");
        cover.contents = JoinedWithAnd(parts);
    }
    int page = 1;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        pictures[i].page = ++page;
        const bool last = i + 1 == pictures.size() || pictures[i + 1].name.themeFolder != pictures[i].name.themeFolder;
        if (!last)
            continue;
        const int firstPage = pictures[i].page + 1 - static_cast<int>(pictures[i].name.number);
        cover.themes << pictures[i].name.Theme() + QStringLiteral(" : ") +
                            (firstPage == page ? QStringLiteral("page ") + QString::number(page)
                                               : QStringLiteral("pages ") + QString::number(firstPage) +
                                                     QStringLiteral(" à ") + QString::number(page));
    }
    // The pages to work on, small: the dots pages of a dots booklet, never
    // its answers; a colouring book's pictures, as its cover would.
    const std::size_t shownOnCover = std::min(pictures.size(), kMostCoverPictures);
    for (std::size_t i = 0; i < shownOnCover; ++i) {
        const BookletPicture& picture = pictures[i * pictures.size() / shownOnCover];
        if (const auto& shown = dotsBooklet ? picture.dotsPicture : picture.finished)
            cover.pictures.push_back(shown);
    }
    booklet.pages.AddPage(
        mostly, [cover](QPainter& painter, const PageArea& area) { DrawCover(painter, area, cover); }, false);

    for (const BookletPicture& picture : pictures) {
        std::shared_ptr<const SmoothPicture> shown = dotsBooklet ? picture.dotsPicture : picture.finished;
        const QPageLayout::Orientation orientation = portraitLayout ? QPageLayout::Portrait
                                                                    : OrientationOf(shown.get(), mostly);
        booklet.pages.AddPage(orientation,
                              PicturePage(picture, shown,
                                          dotsBooklet ? DotsInstruction(picture.labels, picture.dots)
                                                      : QStringLiteral("Colorie le dessin.")),
                              true, picture.name.Caption());
        if (!picture.unread.isEmpty())
            booklet.leftOut.push_back((picture.name.Caption() + QStringLiteral(" : ") + picture.unread).toStdString());
    }

    if (answers && !apart)
        AddAnswers(booklet.pages, pictures, QStringLiteral("Solutions"), mostly, aspect, true);
    if (apart) {
        booklet.answers.emplace(QStringLiteral("Solutions – ") + title);
        AddAnswers(*booklet.answers, pictures, QStringLiteral("Solutions du cahier : ") + title,
                   portraitLayout ? QPageLayout::Portrait : QPageLayout::Landscape, aspect, false);
    }
    return booklet;
}

}  // namespace vorlane
