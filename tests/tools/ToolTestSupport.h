#pragma once

// Shared by the content tool's tests: one demo program folder made once per
// run (drawing it takes a while), and pictures read and written through the
// program's own bitmap files.

#include "BitmapWriter.h"
#include "DemoMaker.h"
#include "display/TDIB.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <sys/wait.h>

namespace vorlane::test {

// Text is drawn through Qt's font machinery, which wants a GUI application.
inline void NeedGuiApplication()
{
    static int argc = 1;
    static char name[] = "test_tools";
    static char* argv[] = {name, nullptr};
    static const std::unique_ptr<QGuiApplication> application = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }();
}

// A program folder holding the demo content, made on first use.
inline const std::filesystem::path& DemoProgramFolder()
{
    static const std::unique_ptr<TempDir> folder = [] {
        NeedGuiApplication();
        auto made = std::make_unique<TempDir>();
        MakeDemo(made->path().string());
        return made;
    }();
    return folder->path();
}

inline QImage ReadPicture(const std::filesystem::path& path)
{
    TDIB bitmap;
    bitmap.LoadBitmapFile(path.string());
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const std::uint32_t colour = bitmap.PixelColour(x, y);
            image.setPixel(x, y, qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
        }
    return image;
}

inline void WritePicture(const QImage& image, const std::filesystem::path& path)
{
    WriteBitmapFile(image, path.string());
}

// 0x00BBGGRR of a pixel, as the game's colours are written.
inline std::uint32_t ColourAt(const QImage& image, int x, int y)
{
    const QRgb pixel = image.pixel(x, y);
    return static_cast<std::uint32_t>(qRed(pixel) | qGreen(pixel) << 8 | qBlue(pixel) << 16);
}

// What a shell command prints, and its exit status.
inline std::string CommandOutput(const std::string& command, int* exitStatus = nullptr)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[512];
    while (pipe != nullptr && fgets(buffer, sizeof buffer, pipe) != nullptr)
        output += buffer;
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    if (exitStatus != nullptr)
        *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

}  // namespace vorlane::test
