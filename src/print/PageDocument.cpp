#include "print/PageDocument.h"

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "print/Printer.h"
#include "print/SmoothPicture.h"
#include "print/WorkProgress.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace vorlane {
namespace {

// Room left on every side of a page, and the band for the page number, in
// millimetres; a folded book's half pages keep a little less, the fold
// giving twice as much between them.
constexpr double kMargin = kPageMargin;
constexpr double kFoldedMargin = 10;
constexpr double kFoot = 8;
constexpr int kPdfResolution = 600;

QMarginsF AtLeast(const QMarginsF& minimum, double margin)
{
    return QMarginsF(std::max(minimum.left(), margin), std::max(minimum.top(), margin),
                     std::max(minimum.right(), margin), std::max(minimum.bottom(), margin));
}

// The pages on each side of a folded book's sheets, left and right, side
// after side (front, back, next sheet's front...), for `pages` pages made
// up to a multiple of four: the outer sheet holds the last page and the
// first on its front, the second and the one before last on its back.
// -1 stands for a blank page.
std::vector<std::pair<int, int>> FoldedSides(int pages)
{
    const int count = (pages + 3) / 4 * 4;
    const auto page = [pages](int index) { return index < pages ? index : -1; };
    std::vector<std::pair<int, int>> sides;
    for (int sheet = 0; sheet < count / 4; ++sheet) {
        sides.emplace_back(page(count - 1 - 2 * sheet), page(2 * sheet));
        sides.emplace_back(page(2 * sheet + 1), page(count - 2 - 2 * sheet));
    }
    return sides;
}

}  // namespace

QRect MarginsWithin(const QRect& sheet, const QRect& printable, int resolution)
{
    const int margin = static_cast<int>(std::lround(kPageMargin * resolution / 25.4));
    return (sheet.adjusted(margin, margin, -margin, -margin) & printable).translated(-printable.topLeft());
}

std::unique_ptr<QPdfWriter> MakePdfWriter(QIODevice& device, const QPageLayout& layout)
{
    auto writer = std::make_unique<QPdfWriter>(&device);
    writer->setResolution(kPdfResolution);
    writer->setCreator(QStringLiteral("Vorlane"));
    writer->setPageLayout(layout);
    return writer;
}

PageDocument::PageDocument(QString title, Sheets sheets) : m_title(std::move(title)), m_sheets(sheets)
{
}

void PageDocument::AddPage(QPageLayout::Orientation orientation, Draw draw, bool numbered, QString footnote)
{
    m_pages.push_back({orientation, std::move(draw), numbered, std::move(footnote)});
}

int PageDocument::SideCount() const
{
    return m_sheets == Sheets::FoldedBook ? static_cast<int>(FoldedSides(PageCount()).size()) : PageCount();
}

void PageDocument::PaintPage(QPainter& painter, std::size_t index, PageArea area) const
{
    const Page& page = m_pages[index];
    area.number = page.numbered ? static_cast<int>(index) + 1 : 0;
    // A numbered page keeps a band at its foot for the number.
    const double foot = area.number > 0 ? area.Millimetres(kFoot) : 0;
    area.rect.setBottom(area.rect.bottom() - foot);
    painter.save();
    page.draw(painter, area);
    painter.restore();
    if (area.number > 0) {
        painter.setPen(Qt::black);
        painter.setFont(Font(10));
        const QRectF band(area.rect.left(), area.rect.bottom(), area.rect.width(), foot);
        painter.drawText(band, Qt::AlignCenter, QString::number(area.number));
        painter.setFont(Font(8));
        painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, page.footnote);
    }
}

bool PageDocument::Paint(QPagedPaintDevice& device, WorkProgress* progress) const
{
    QPainter painter;
    const bool folded = m_sheets == Sheets::FoldedBook;
    const std::vector<std::pair<int, int>> sides = folded ? FoldedSides(PageCount()) : std::vector<std::pair<int, int>>();
    const std::size_t count = folded ? sides.size() : m_pages.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (progress != nullptr && progress->Cancelled()) {
            // A print job is taken back from the printer, whatever it had been sent.
            if (auto* printer = dynamic_cast<QPrinter*>(&device); printer != nullptr && painter.isActive())
                printer->abort();
            if (painter.isActive())
                painter.end();
            return false;
        }
        // The next side's orientation is set before it begins.
        device.setPageOrientation(folded ? QPageLayout::Landscape : m_pages[i].orientation);
        if (i == 0 ? !painter.begin(&device) : !device.newPage())
            throw EPrinterError("La page " + std::to_string(i + 1) + " n'a pas pu commencer");
        const double dotsPerMillimetre = device.logicalDpiX() / 25.4;
        if (!folded) {
            const QRect paintRect = device.pageLayout().paintRectPixels(device.logicalDpiX());
            PaintPage(painter, i, {QRectF(QPointF(0, 0), QSizeF(paintRect.size())), dotsPerMillimetre, 0});
        } else {
            // The whole sheet is painted; each half keeps the margins the
            // printer needs, and ours.
            QPageLayout layout = device.pageLayout();
            const QRectF sheet(QPointF(0, 0), QSizeF(layout.fullRectPixels(device.logicalDpiX()).size()));
            layout.setUnits(QPageLayout::Millimeter);
            const QMarginsF margins = AtLeast(layout.minimumMargins(), kFoldedMargin);
            const double half = sheet.width() / 2;
            const auto area = [&](double left, double right) {
                return QRectF(QPointF(left, margins.top() * dotsPerMillimetre),
                              QPointF(right, sheet.height() - margins.bottom() * dotsPerMillimetre));
            };
            const QRectF leftHalf = area(margins.left() * dotsPerMillimetre, half - kFoldedMargin * dotsPerMillimetre);
            const QRectF rightHalf = area(half + kFoldedMargin * dotsPerMillimetre,
                                          sheet.width() - margins.right() * dotsPerMillimetre);
            for (const auto& [index, box] : {std::pair{sides[i].first, leftHalf}, {sides[i].second, rightHalf}}) {
                if (index < 0)
                    continue;
                painter.save();
                painter.translate(box.topLeft());
                PaintPage(painter, static_cast<std::size_t>(index),
                          {QRectF(QPointF(0, 0), box.size()), dotsPerMillimetre, 0});
                painter.restore();
            }
        }
        if (progress != nullptr)
            progress->Advance();
    }
    if (!painter.end())
        throw EPrinterError("Le document n'a pas pu être terminé");
    return true;
}

QByteArray PageDocument::Pdf(const QPageSize& paper, WorkProgress* progress) const
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        const double margin = m_sheets == Sheets::FoldedBook ? 0 : kMargin;
        const QPageLayout layout(paper, QPageLayout::Landscape, QMarginsF(margin, margin, margin, margin),
                                 QPageLayout::Millimeter);
        const std::unique_ptr<QPdfWriter> writer = MakePdfWriter(buffer, layout);
        writer->setTitle(m_title);
        if (!Paint(*writer, progress))
            return {};
    }
    return buffer.data();
}

bool PageDocument::SaveAsPdf(const std::string& path, const QPageSize& paper, WorkProgress* progress) const
{
    QByteArray bytes;
    try {
        bytes = Pdf(paper, progress);
    } catch (const EPrinterError&) {
        throw EWriteError(path);
    }
    if (bytes.isEmpty())
        return false;
    ReplaceFileAtomically(path, {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())});
    return true;
}

bool PageDocument::Print(QPrinter& printer, WorkProgress* progress) const
{
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    if (m_sheets == Sheets::FoldedBook) {
        printer.setFullPage(true);
    } else {
        printer.setFullPage(false);
        printer.setPageMargins(AtLeast(layout.minimumMargins(), kMargin), QPageLayout::Millimeter);
    }
    printer.setDocName(m_title);
    if (!Paint(printer, progress))
        return false;
    if (printer.printerState() == QPrinter::Error)
        throw EPrinterError("L'imprimante " + printer.printerName().toStdString() + " n'a pas accepté l'impression");
    return true;
}

QFont PageDocument::Font(double points, bool bold)
{
    // Andika was drawn for children learning to read; any sans serif does without it.
    QFont font(QStringList{QStringLiteral("Andika"), QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void PageDocument::DrawFitted(QPainter& painter, const SmoothPicture& picture, const QRectF& box)
{
    if (picture.IsNull() || box.isEmpty())
        return;
    QSizeF size = QSizeF(picture.Size()).scaled(box.size(), Qt::KeepAspectRatio);
    const QRectF target(box.center() - QPointF(size.width() / 2, size.height() / 2), size);
    picture.Draw(painter, target);
}

}  // namespace vorlane
