// display-preview [bits [seconds]]: a full-screen window showing a test
// frame through the display, with a pointer that follows the mouse. A click
// ends it, as does the given number of seconds. For looking at the display
// by eye (under Xvfb: take a screenshot of the root window).

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <string>

#include "display/DXDrawView.h"
#include "display/TDXDraw.h"
#include "display/TDXTimer.h"
#include "display/TDirectDrawSurfaceCanvas.h"

namespace {

using vorlane::TDirectDrawSurface;
using vorlane::TDirectDrawSurfaceCanvas;

// Colour bars, a grid, wide round-ended lines, a filled region and text.
void DrawTestFrame(TDirectDrawSurface& back, int mouseX, int mouseY, int tickRate)
{
    back.FillColour(back.MatchColour(0xFFFFFF));
    TDirectDrawSurfaceCanvas& canvas = back.SurfaceCanvas();
    const std::uint32_t bars[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00, 0x808080, 0x000000};
    for (int i = 0; i < 8; ++i) {
        canvas.SetPenColour(bars[i]);
        canvas.SetPenWidth(1);
        for (int y = 0; y < 120; ++y) {
            canvas.MovePen(i * 128, y);
            canvas.LineTo(i * 128 + 128, y);
        }
    }
    canvas.SetPenColour(0xC0C0C0);
    for (int x = 0; x <= 1024; x += 64) {
        canvas.MovePen(x, 120);
        canvas.LineTo(x, 768);
    }
    for (int y = 128; y <= 768; y += 64) {
        canvas.MovePen(0, y);
        canvas.LineTo(1024, y);
    }
    canvas.SetPenColour(0x000000);
    canvas.SetPenWidth(9);
    canvas.MovePen(200, 600);
    canvas.LineTo(400, 250);
    canvas.LineTo(600, 600);
    canvas.LineTo(200, 600);
    canvas.SetBrushStyle(vorlane::TBrushStyle::Solid);
    canvas.SetBrushColour(0x30A0F0);
    canvas.FillToBorder(400, 450, 0x000000);
    canvas.SetPenColour(0x0000C0);
    canvas.SetPenWidth(3);
    canvas.MovePen(700, 300);
    canvas.LineTo(950, 700);
    canvas.SetBrushStyle(vorlane::TBrushStyle::Clear);
    canvas.SetFontSize(12);
    canvas.WriteText(20, 140, "Vorlane - " + std::to_string(back.BitsPerPixel()) + " bits, 1024 x 768");
    canvas.WriteText(20, 160, "Souris =" + std::to_string(mouseX) + ", " + std::to_string(mouseY));
    canvas.WriteText(20, 180, "FPS: " + std::to_string(tickRate));
    // The pointer: a black arrow-like wedge at the mouse position.
    canvas.SetPenWidth(1);
    for (int i = 0; i < 24; ++i) {
        canvas.MovePen(mouseX, mouseY + i);
        canvas.LineTo(mouseX + i / 2 + 1, mouseY + i);
    }
    canvas.ReleaseCanvas();
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const int bits = argc > 1 ? std::atoi(argv[1]) : 16;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 0;

    QWidget form;
    vorlane::TDXDraw display;
    display.Options = {vorlane::TDXDrawOption::doFullScreen, vorlane::TDXDrawOption::doCenter};
    display.Display.BitCount = bits;
    vorlane::DXDrawView view(display, &form);

    vorlane::TDXTimer timer;
    timer.SetInterval(0);
    timer.SetActiveOnly(false);
    int mouseX = 512;
    int mouseY = 384;
    bool redraw = true;
    view.OnMouseMove = [&](int x, int y) {
        mouseX = x;
        mouseY = y;
        redraw = true;
    };
    view.OnClick = [&] { application.quit(); };
    timer.OnTimer = [&](int) {
        if (!display.ReadyToDraw() || !redraw)
            return;
        redraw = false;
        DrawTestFrame(display.BackBuffer(), mouseX, mouseY, timer.TickRate());
        display.PresentFrame();
    };
    display.OnRestoreSurface = [&] { redraw = true; };

    display.OpenDisplay();
    form.show();
    timer.SetEnabled(true);
    if (seconds > 0)
        QTimer::singleShot(seconds * 1000, &application, &QApplication::quit);
    const int result = QApplication::exec();
    display.CloseDisplay();
    return result;
}
