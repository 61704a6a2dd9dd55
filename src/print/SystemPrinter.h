#pragma once

#include "print/Printer.h"

#include <QPainter>
#include <QRect>

#include <memory>

class QPrinter;

namespace vorlane {

// The system's default printer (CUPS), looked up afresh for every job so that
// a printer chosen as default while the program runs is the one used.
class SystemPrinter : public Printer {
public:
    SystemPrinter();
    ~SystemPrinter() override;

protected:
    void BeginDoc(const QString& jobName) override;
    QSize PageSize() const override;
    QRect MarginArea() const override;
    void DrawPicture(const QRect& target, const QImage& image, SmoothPicture::Ink ink) override;
    void EndDoc() override;

private:
    std::unique_ptr<QPrinter> m_printer;  // made at the first job; keeps its orientation between jobs
    QPainter m_painter;
    QRect m_printable;  // on the landscape sheet, in device pixels
    QRect m_sheet;      // the whole landscape sheet
};

}  // namespace vorlane
