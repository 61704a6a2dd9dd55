#include "print/Paper.h"

#include "print/Printer.h"

#include <QLocale>
#include <QPrinter>
#include <QPrinterInfo>

namespace vorlane {

QPageSize DefaultPaper()
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull()) {
        const QPageSize::PageSizeId id = printer.defaultPageSize().id();
        if (id == QPageSize::A4 || id == QPageSize::Letter)
            return QPageSize(id);
    }
    const QLocale::Territory territory = QLocale::system().territory();
    const bool letter = territory == QLocale::UnitedStates || territory == QLocale::Canada;
    return QPageSize(letter ? QPageSize::Letter : QPageSize::A4);
}

QPageLayout LandscapePrintableLayout(QPrinter& printer)
{
    // The printer's margins as Qt reports them for each orientation. Qt's CUPS
    // backend gives those of the portrait page in both, where most inkjets
    // have four different edges.
    if (!printer.setPageOrientation(QPageLayout::Portrait))
        throw EPrinterError("Opération non supportée par l'imprimante sélectionnée");
    const QMarginsF portrait = printer.pageLayout().minimumMargins();
    if (!printer.setPageOrientation(QPageLayout::Landscape))
        throw EPrinterError("Opération non supportée par l'imprimante sélectionnée");
    const QPageLayout layout = printer.pageLayout();
    QMarginsF margins = layout.minimumMargins();
    // Landscape turns the page a quarter counter-clockwise on the sheet: its
    // top edge lies along the sheet's left edge, its left one along the bottom.
    if (margins == portrait)
        margins = QMarginsF(portrait.bottom(), portrait.left(), portrait.top(), portrait.right());
    return QPageLayout(layout.pageSize(), QPageLayout::Landscape, margins, layout.units());
}

QPageLayout PrintedPageLayout()
{
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (!defaultPrinter.isNull()) {
        QPrinter printer(defaultPrinter, QPrinter::HighResolution);
        return LandscapePrintableLayout(printer);
    }
    return QPageLayout(DefaultPaper(), QPageLayout::Landscape, QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
}

}  // namespace vorlane
