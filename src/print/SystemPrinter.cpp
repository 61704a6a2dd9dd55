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

    // The printer's margins as Qt reports them for each orientation. Qt's CUPS
    // backend gives those of the portrait page in both, where most inkjets
    // have four different edges.
    if (!m_printer->setPageOrientation(QPageLayout::Portrait))
        throw EPrinterError("Opération non supportée par l'imprimante sélectionnée");
    const QMarginsF portrait = m_printer->pageLayout().minimumMargins();
    if (!m_printer->setPageOrientation(QPageLayout::Landscape))
        throw EPrinterError("Opération non supportée par l'imprimante sélectionnée");
    const QPageLayout layout = m_printer->pageLayout();
    QMarginsF margins = layout.minimumMargins();
    // Landscape turns the page a quarter counter-clockwise on the sheet: its
    // top edge lies along the sheet's left edge, its left one along the bottom.
    if (margins == portrait)
        margins = QMarginsF(portrait.bottom(), portrait.left(), portrait.top(), portrait.right());
    // The whole sheet is painted, so that Qt checks these margins against none
    // of its own; the picture goes to the corner of what the printer can print.
    m_printer->setFullPage(true);
    const QPageLayout printable(layout.pageSize(), QPageLayout::Landscape, margins, layout.units());
    m_printable = printable.paintRectPixels(m_printer->resolution());
    m_printer->setDocName(QString());
    if (!m_painter.begin(m_printer.get()))
        throw EPrinterError("L'imprimante " + m_printer->printerName().toStdString() +
                            " ne peut pas commencer l'impression");
}

QSize SystemPrinter::PageSize() const
{
    return m_printable.size();
}

void SystemPrinter::StretchDraw(const QRect& target, const QImage& image)
{
    m_painter.drawImage(target.translated(m_printable.topLeft()), image);
}

void SystemPrinter::EndDoc()
{
    if (!m_painter.end() || m_printer->printerState() == QPrinter::Error)
        throw EPrinterError("L'imprimante " + m_printer->printerName().toStdString() +
                            " n'a pas accepté l'impression");
}

}  // namespace vorlane
