#include "print/SystemPrinter.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace vorlane {

SystemPrinter::SystemPrinter() = default;

SystemPrinter::~SystemPrinter() = default;

void SystemPrinter::BeginDoc()
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

    if (!m_printer->setPageOrientation(QPageLayout::Landscape))
        throw EPrinterError("Opération non supportée par l'imprimante sélectionnée");
    // Qt's own default margins would frame the page; the picture goes to the
    // corner of what the printer can print, and no further in.
    const QPageLayout layout = m_printer->pageLayout();
    m_printer->setPageMargins(layout.minimumMargins(), layout.units());
    m_printer->setDocName(QString());
    if (!m_painter.begin(m_printer.get()))
        throw EPrinterError("L'imprimante " + m_printer->printerName().toStdString() +
                            " ne peut pas commencer l'impression");
}

QSize SystemPrinter::PageSize() const
{
    // The paint device's size is the printable area in device pixels.
    return {m_printer->width(), m_printer->height()};
}

void SystemPrinter::StretchDraw(const QRect& target, const QImage& image)
{
    m_painter.drawImage(target, image);
}

void SystemPrinter::EndDoc()
{
    if (!m_painter.end() || m_printer->printerState() == QPrinter::Error)
        throw EPrinterError("L'imprimante " + m_printer->printerName().toStdString() +
                            " n'a pas accepté l'impression");
}

}  // namespace vorlane
