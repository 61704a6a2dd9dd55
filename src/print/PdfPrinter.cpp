#include "print/PdfPrinter.h"

#include "base/AtomicFile.h"
#include "print/Paper.h"
#include "print/PageDocument.h"
#include "print/SmoothPicture.h"

#include <QPdfWriter>

namespace vorlane {

PdfPrinter::PdfPrinter(std::string path) : m_path(std::move(path))
{
}

PdfPrinter::~PdfPrinter() = default;

void PdfPrinter::BeginDoc(const QString& jobName)
{
    m_drawn = false;
    m_buffer.setData(QByteArray());
    m_buffer.open(QIODevice::WriteOnly);
    m_writer = MakePdfWriter(m_buffer, PrintedPageLayout());
    m_writer->setTitle(jobName);
    if (!m_painter.begin(m_writer.get()))
        throw EWriteError(m_path);
}

QSize PdfPrinter::PageSize() const
{
    // The painter starts at the corner of the printable area, inside the margins.
    return m_writer->pageLayout().paintRectPixels(m_writer->resolution()).size();
}

QRect PdfPrinter::MarginArea() const
{
    const QPageLayout layout = m_writer->pageLayout();
    const QRect printable = layout.paintRectPixels(m_writer->resolution());
    return MarginsWithin(layout.fullRectPixels(m_writer->resolution()), printable, m_writer->resolution());
}

void PdfPrinter::DrawPicture(const QRect& target, const QImage& image, SmoothPicture::Ink ink)
{
    SmoothPicture(image, ink).Draw(m_painter, target);
    m_drawn = true;
}

void PdfPrinter::EndDoc()
{
    const bool ended = m_painter.end();
    m_writer.reset();
    // A page that failed to draw leaves no file (its error goes on): unlike a
    // printer's, this document is not handed on half done.
    if (!m_drawn)
        return;
    if (!ended)
        throw EWriteError(m_path);
    const QByteArray& bytes = m_buffer.data();
    ReplaceFileAtomically(m_path, {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size())});
}

}  // namespace vorlane
