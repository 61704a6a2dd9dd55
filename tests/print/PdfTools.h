#pragma once

// The poppler tools the print tests read PDF files with (poppler-utils).

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <string>

namespace vorlane::test {

// Runs a program to its end; its standard output, its exit code in `code`
// and its standard error in `errors`.
inline QString RunProgram(const QString& program, const QStringList& arguments, int* code = nullptr,
                          QString* errors = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    if (code != nullptr)
        *code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (errors != nullptr)
        *errors = QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of page `page` of a PDF, or of its part `box` (in points from the top-left corner).
inline QString PdfText(const std::string& pdf, int page, const QRect& box = {})
{
    QStringList arguments{"-f", QString::number(page), "-l", QString::number(page)};
    if (!box.isNull())
        arguments << "-x" << QString::number(box.x()) << "-y" << QString::number(box.y()) << "-W"
                  << QString::number(box.width()) << "-H" << QString::number(box.height());
    return RunProgram("pdftotext", arguments << "-r" << "72" << QString::fromStdString(pdf) << "-");
}

// The number of pages pdfinfo reads in a PDF file; 0 when it reads none.
inline int PdfPages(const std::string& pdf)
{
    for (const QString& line : RunProgram("pdfinfo", {QString::fromStdString(pdf)}).split('\n')) {
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    }
    return 0;
}

// Page `page` (from 1) of a PDF rasterised at `dpi`, in grey.
inline QImage PdfPage(const std::string& pdf, int page, int dpi, const std::string& prefix)
{
    const QString number = QString::number(page);
    RunProgram("pdftoppm", {"-r", QString::number(dpi), "-gray", "-f", number, "-l", number, "-singlefile",
                            QString::fromStdString(pdf), QString::fromStdString(prefix)});
    return QImage(QString::fromStdString(prefix + ".pgm"));
}

}  // namespace vorlane::test
