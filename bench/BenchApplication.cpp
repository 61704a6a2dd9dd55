#include "BenchApplication.h"

#include <QApplication>

#include <cstdlib>

void NeedApplication()
{
    static int argc = 1;
    static char name[] = "vorlane-bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // Never destroyed: once a window has been shown, a QApplication torn down
    // among the program's statics crashes in Qt's input devices.
    [[maybe_unused]] static const auto* application = new QApplication(argc, argv);
}
