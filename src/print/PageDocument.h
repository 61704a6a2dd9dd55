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
class PageDocument {
public:
    using Draw = std::function<void(QPainter& painter, const PageArea& area)>;

    explicit PageDocument(QString title);

    // A numbered page shows `footnote` small at the left of its number.
    void AddPage(QPageLayout::Orientation orientation, Draw draw, bool numbered = true, QString footnote = {});
    int PageCount() const { return static_cast<int>(m_pages.size()); }

    // The document as PDF bytes on `paper`.
    QByteArray Pdf(const QPageSize& paper) const;
    // Writes the PDF at `path` whole or not at all: EWriteError ("Impossible
    // d'écrire dans %s") leaves no file behind.
    void SaveAsPdf(const std::string& path, const QPageSize& paper) const;
    // Prints on `printer` as the print dialog set it (printer, paper, copies).
    // Raises EPrinterError when the printer refuses the job.
    void Print(QPrinter& printer) const;

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

    // Paints every page on `device`, each turned as it asks before it begins.
    void Paint(QPagedPaintDevice& device) const;

    QString m_title;
    std::vector<Page> m_pages;
};

}  // namespace vorlane
