#include "print/PageDocument.h"

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "print/Printer.h"
#include "print/SmoothPicture.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>

namespace vorlane {
namespace {

// Room left on every side of a page, and the band for the page number, in millimetres.
constexpr double kMargin = 12;
constexpr double kFoot = 8;
constexpr int kPdfResolution = 600;

QMarginsF AtLeastOurMargins(const QMarginsF& minimum)
{
    return QMarginsF(std::max(minimum.left(), kMargin), std::max(minimum.top(), kMargin),
                     std::max(minimum.right(), kMargin), std::max(minimum.bottom(), kMargin));
}

}  // namespace

std::unique_ptr<QPdfWriter> MakePdfWriter(QIODevice& device, const QPageLayout& layout)
{
    auto writer = std::make_unique<QPdfWriter>(&device);
    writer->setResolution(kPdfResolution);
    writer->setCreator(QStringLiteral("Vorlane"));
    writer->setPageLayout(layout);
    return writer;
}

PageDocument::PageDocument(QString title) : m_title(std::move(title))
{
}

void PageDocument::AddPage(QPageLayout::Orientation orientation, Draw draw, bool numbered, QString footnote)
{
    m_pages.push_back({orientation, std::move(draw), numbered, std::move(footnote)});
}

void PageDocument::Paint(QPagedPaintDevice& device) const
{
    QPainter painter;
    int number = 0;
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        const Page& page = m_pages[i];
        // The next page's orientation is set before it begins.
        device.setPageOrientation(page.orientation);
        if (i == 0 ? !painter.begin(&device) : !device.newPage())
            throw EPrinterError("La page " + std::to_string(i + 1) + " n'a pas pu commencer");
        ++number;
        const QRect paintRect = device.pageLayout().paintRectPixels(device.logicalDpiX());
        PageArea area{QRectF(QPointF(0, 0), QSizeF(paintRect.size())), device.logicalDpiX() / 25.4,
                      page.numbered ? number : 0};
        // A numbered page keeps a band at its foot for the number.
        const double foot = area.number > 0 ? area.Millimetres(kFoot) : 0;
        area.rect.setBottom(area.rect.bottom() - foot);
        painter.save();
        page.draw(painter, area);
        painter.restore();
        if (area.number > 0) {
            painter.setFont(Font(10));
            painter.setPen(QColor(96, 96, 96));
            const QRectF band(area.rect.left(), area.rect.bottom(), area.rect.width(), foot);
            painter.drawText(band, Qt::AlignCenter, QString::number(area.number));
            painter.setFont(Font(8));
            painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, page.footnote);
        }
    }
    if (!painter.end())
        throw EPrinterError("Le document n'a pas pu être terminé");
}

QByteArray PageDocument::Pdf(const QPageSize& paper) const
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        const QPageLayout layout(paper, QPageLayout::Landscape, QMarginsF(kMargin, kMargin, kMargin, kMargin),
                                 QPageLayout::Millimeter);
        const std::unique_ptr<QPdfWriter> writer = MakePdfWriter(buffer, layout);
        writer->setTitle(m_title);
        Paint(*writer);
    }
    return buffer.data();
}

void PageDocument::SaveAsPdf(const std::string& path, const QPageSize& paper) const
{
    QByteArray bytes;
    try {
        bytes = Pdf(paper);
    } catch (const EPrinterError&) {
        throw EWriteError(path);
    }
    ReplaceFileAtomically(path, {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())});
}

void PageDocument::Print(QPrinter& printer) const
{
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    printer.setFullPage(false);
    printer.setPageMargins(AtLeastOurMargins(layout.minimumMargins()), QPageLayout::Millimeter);
    printer.setDocName(m_title);
    Paint(printer);
    if (printer.printerState() == QPrinter::Error)
        throw EPrinterError("L'imprimante " + printer.printerName().toStdString() + " n'a pas accepté l'impression");
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
