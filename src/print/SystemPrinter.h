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
    void BeginDoc() override;
    QSize PageSize() const override;
    void DrawPicture(const QRect& target, const QImage& image) override;
    void EndDoc() override;

private:
    std::unique_ptr<QPrinter> m_printer;  // made at the first job; keeps its orientation between jobs
    QPainter m_painter;
    QRect m_printable;  // on the landscape sheet, in device pixels
};

}  // namespace vorlane
