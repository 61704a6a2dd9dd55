#pragma once

#include "base/Errors.h"
#include "print/SmoothPicture.h"

#include <QRect>
#include <QSize>
#include <QString>

class QImage;

namespace vorlane {

// A printer that cannot do what a job needs: no default printer, an
// orientation it refuses, a job it does not accept.
class EPrinterError : public EVorlaneError {
public:
    using EVorlaneError::EVorlaneError;
};

// The size a picture of `picture` pixels is printed at on a printable area of
// `page` device pixels: as large as the area allows with its proportions kept,
// so it spans the whole width or the whole height. The other side is rounded
// to the nearest integer, halves to even.
QSize FitToPage(QSize picture, QSize page);

// How one picture's page is printed: the job's name ("Vorlane – La ferme,
// vache"), where the picture goes, and its ink (a dots page and a picture to
// colour pure black, a coloured picture in its colours).
struct PrintedPicture {
    // At the top-left corner of the printable area, fitted to it; or centred
    // within the margins of a booklet's page, as the coloured picture is.
    enum class Placement { TopLeft, Centred };

    QString jobName;
    Placement placement = Placement::TopLeft;
    SmoothPicture::Ink ink = SmoothPicture::Ink::AsDrawn;
};

// The program's printer. One job prints one picture alone on one landscape
// page, fitted to it.
class Printer {
public:
    Printer() = default;
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;
    virtual ~Printer() = default;

    // `image` is not empty: the caller reports an empty picture before any
    // document begins. Raises EPrinterError. A failure once the document has
    // begun still ends the page and the document, so that no job is left open.
    void PrintPage(const QImage& image, const PrintedPicture& how);

protected:
    // Chooses the printer, sets landscape and begins a document of one page
    // named `jobName`.
    virtual void BeginDoc(const QString& jobName) = 0;
    // The printable area of the page in device pixels.
    virtual QSize PageSize() const = 0;
    // The part of the printable area within a booklet's margins, in the
    // same pixels from its top-left corner; all of it unless replaced.
    virtual QRect MarginArea() const { return QRect(QPoint(0, 0), PageSize()); }
    // Draws the whole picture over `target`: the system's printer and a PDF
    // draw it at their own resolution with smooth edges (SmoothPicture).
    virtual void DrawPicture(const QRect& target, const QImage& image, SmoothPicture::Ink ink) = 0;
    // Ends the page and the document, which hands the page to the printer.
    virtual void EndDoc() = 0;
};

}  // namespace vorlane
