#pragma once

#include <QPageLayout>
#include <QPageSize>

class QPrinter;

namespace vorlane {

// The paper a document is made for when nobody chose one: the default
// printer's when it is A4 or Letter, else the one of the system's region
// (Letter in the United States and Canada, A4 elsewhere).
QPageSize DefaultPaper();

// The landscape page of `printer` with the margins it cannot print in.
// Raises EPrinterError when it refuses either orientation.
QPageLayout LandscapePrintableLayout(QPrinter& printer);

// The page a picture is printed on, so that a PDF of it is the same page:
// the default printer's landscape page and printable area; without a
// default printer, DefaultPaper() in landscape with the 5 mm margins most
// printers keep.
QPageLayout PrintedPageLayout();

}  // namespace vorlane
