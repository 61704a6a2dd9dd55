#include "print/SystemPrinter.h"

#include "print/PageDocument.h"
#include "print/Paper.h"
#include "print/SmoothPicture.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace vorlane {

SystemPrinter::SystemPrinter() = default;

SystemPrinter::~SystemPrinter() = default;

void SystemPrinter::BeginDoc(const QString& jobName)
{
    // Without a default printer a QPrinter silently becomes a PDF writer with
    // no file name, whose painting fails: refuse before anything starts.
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull())
        throw EPrinterError("Aucune imprimante par défaut sélectionnée");
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(defaultPrinter, QPrinter::HighResolution);
    else if (m_printer->printerName() != defaultPrinter.printerName())
        m_printer->setPrinterName(defaultPrinter.printerName());

    const QPageLayout printable = LandscapePrintableLayout(*m_printer);
    // The whole sheet is painted, so that Qt checks these margins against none
    // of its own; the picture goes to the corner of what the printer can print.
    m_printer->setFullPage(true);
    m_printable = printable.paintRectPixels(m_printer->resolution());
    m_sheet = printable.fullRectPixels(m_printer->resolution());
    m_printer->setDocName(jobName);
    if (!m_painter.begin(m_printer.get()))
        throw EPrinterError("L'imprimante " + m_printer->printerName().toStdString() +
                            " ne peut pas commencer l'impression");
}

QSize SystemPrinter::PageSize() const
{
    return m_printable.size();
}

QRect SystemPrinter::MarginArea() const
{
    return MarginsWithin(m_sheet, m_printable, m_printer->resolution());
}

void SystemPrinter::DrawPicture(const QRect& target, const QImage& image, SmoothPicture::Ink ink)
{
    SmoothPicture(image, ink).Draw(m_painter, target.translated(m_printable.topLeft()));
}

void SystemPrinter::EndDoc()
{
    if (!m_painter.end() || m_printer->printerState() == QPrinter::Error)
        throw EPrinterError("L'imprimante " + m_printer->printerName().toStdString() +
                            " n'a pas accepté l'impression");
}

}  // namespace vorlane
