#pragma once

#include "print/Printer.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>

#include <memory>
#include <string>

class QPdfWriter;

namespace vorlane {

// Prints the page into a PDF file instead of on paper: the page the system's
// printer would print (PrintedPageLayout), the picture drawn as vector paths.
// The file is written whole once the page is done, or not at all
// ("Impossible d'écrire dans %s").
class PdfPrinter : public Printer {
public:
    explicit PdfPrinter(std::string path);
    ~PdfPrinter() override;

protected:
    void BeginDoc(const QString& jobName) override;
    QSize PageSize() const override;
    QRect MarginArea() const override;
    void DrawPicture(const QRect& target, const QImage& image, SmoothPicture::Ink ink) override;
    void EndDoc() override;

private:
    std::string m_path;
    QBuffer m_buffer;
    std::unique_ptr<QPdfWriter> m_writer;
    QPainter m_painter;
    bool m_drawn = false;
};

}  // namespace vorlane
