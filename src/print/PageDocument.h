#pragma once

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QIODevice;
class QPainter;
class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;

namespace vorlane {

class SmoothPicture;
class WorkProgress;

// The room a booklet's page leaves on every side of the sheet, in millimetres.
inline constexpr double kPageMargin = 12;

// The part of `printable` (a rectangle of `sheet`, in pixels of `resolution`
// dots per inch) that lies within a booklet's margins of the sheet's edges,
// from the printable area's top-left corner.
QRect MarginsWithin(const QRect& sheet, const QRect& printable, int resolution);

// A PDF writer on `device` for pages of `layout`, its coordinates in
// 1/600 inch, that names the program as the document's maker.
std::unique_ptr<QPdfWriter> MakePdfWriter(QIODevice& device, const QPageLayout& layout);

// Where a page is drawn: the part of the sheet inside the document's
// margins, in the painter's coordinates, and its number (0 for none).
struct PageArea {
    QRectF rect;
    double dotsPerMillimetre = 1;
    int number = 0;

    double Millimetres(double length) const { return length * dotsPerMillimetre; }
};

// Pages of several pictures (a booklet, an album) that go to a PDF file or
// to a printer the same way: each page has its orientation and draws itself
// within its area; pages are numbered at the foot but for those that ask not.
// Everything is printed black, never grey: a photocopier keeps it.
//
// Laid out one page to a side of a sheet, or as a folded book: two pages
// side by side on each side of a landscape sheet, in the order that makes a
// pile of sheets printed on both sides (turned over on their short edge),
// folded in the middle and stapled on the fold, read from the first page to
// the last (A5 pages from A4 sheets, half-Letter from Letter). The book's
// page count is made up to a multiple of four with blank pages at its end.
class PageDocument {
public:
    using Draw = std::function<void(QPainter& painter, const PageArea& area)>;
    enum class Sheets { OnePagePerSide, FoldedBook };

    explicit PageDocument(QString title, Sheets sheets = Sheets::OnePagePerSide);

    // A numbered page shows `footnote` small at the left of its number. A
    // folded book's pages are all upright halves of the sheet.
    void AddPage(QPageLayout::Orientation orientation, Draw draw, bool numbered = true, QString footnote = {});
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    Sheets Layout() const { return m_sheets; }
    // The sides of sheets printed: the pages, or for a folded book two a side.
    int SideCount() const;
    const QString& Title() const { return m_title; }

    // The document as PDF bytes on `paper`; empty when `progress` was
    // cancelled. Each side drawn is a step of `progress`.
    QByteArray Pdf(const QPageSize& paper, WorkProgress* progress = nullptr) const;
    // Writes the PDF at `path` whole or not at all: EWriteError ("Impossible
    // d'écrire dans %s") leaves no file behind, nor does a cancelled
    // `progress` (false then).
    bool SaveAsPdf(const std::string& path, const QPageSize& paper, WorkProgress* progress = nullptr) const;
    // Prints on `printer` as the print dialog set it (printer, paper, copies,
    // both sides). Raises EPrinterError when the printer refuses the job;
    // a cancelled `progress` aborts the job (false then).
    bool Print(QPrinter& printer, WorkProgress* progress = nullptr) const;

    // The font of the documents' texts, `points` high.
    static QFont Font(double points, bool bold = false);
    // Draws `picture` as large as fits in `box`, centred, its proportions kept.
    static void DrawFitted(QPainter& painter, const SmoothPicture& picture, const QRectF& box);

private:
    struct Page {
        QPageLayout::Orientation orientation;
        Draw draw;
        bool numbered;
        QString footnote;
    };

    // Paints every side on `device`, each turned as it asks before it
    // begins; false when `progress` was cancelled.
    bool Paint(QPagedPaintDevice& device, WorkProgress* progress) const;
    // Page `index` (from 0) within `area`, its number and footnote at its foot.
    void PaintPage(QPainter& painter, std::size_t index, PageArea area) const;

    QString m_title;
    Sheets m_sheets;
    std::vector<Page> m_pages;
};

}  // namespace vorlane
