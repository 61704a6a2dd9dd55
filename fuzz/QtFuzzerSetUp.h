#pragma once

// What a fuzzer over code that draws text or reads SVG needs from Qt: a GUI
// application without a screen. Included by one source of each fuzzer.

#include <QGuiApplication>

// Qt keeps fontconfig's font lists until the process ends and never hands
// them back: not a fault of the reader, and not one that grows per input.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

// Qt gets arguments of its own: it would take some of libFuzzer's out of the
// command line.
inline void StartGuiApplication()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vorlane-fuzzer";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}
