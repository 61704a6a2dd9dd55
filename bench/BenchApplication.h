#pragma once

// The benchmark program's one application object, made by whichever
// benchmark needs it first: text, SVG and windows all need a QApplication,
// and a QGuiApplication made by one benchmark would not serve the windows.
void NeedApplication();
