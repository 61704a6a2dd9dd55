// Feeds arbitrary bytes to the atelier as the choices it keeps beside a
// picture (Dessin01.json): the drawing it names, the picture's size, the dots
// and what the rubber took. A French refusal is an answer; a crash, a hang, a
// huge allocation or a sanitizer report is a finding.
#include "QtFuzzerSetUp.h"
#include "ThemeWriter.h"

#include "base/Errors.h"
#include "content/ContentPlaces.h"

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

std::filesystem::path g_program;

std::string ThemeFolder() { return (g_program / "Themes" / "Dessins").string(); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartGuiApplication();
    g_program = std::filesystem::temp_directory_path() / ("vorlane-fuzz-reopen-" + std::to_string(::getpid()));
    std::filesystem::create_directories(ThemeFolder());
    // The drawing a sound choices file names: a face, small so that each input traces quickly.
    QImage drawing(160, 120, QImage::Format_RGB32);
    drawing.fill(Qt::white);
    QPainter painter(&drawing);
    painter.setPen(QPen(Qt::black, 3));
    painter.drawEllipse(20, 10, 120, 100);
    painter.drawEllipse(55, 40, 12, 12);
    painter.end();
    drawing.save(QString::fromStdString(ThemeFolder() + "/Dessin01.png"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1 << 16))
        return 0;
    {
        std::ofstream out(ThemeFolder() + "/Dessin01.json", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        const vorlane::ContentPlaces places(g_program.string());
        const vorlane::ReopenedPicture reopened = vorlane::ReopenPicture(places, "Dessins", 1);
        if (reopened.drawing.PictureToColour().isNull())
            std::abort();
    } catch (const vorlane::EVorlaneError&) {
    }
    return 0;
}
