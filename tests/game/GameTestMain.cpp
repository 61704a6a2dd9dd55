// The game's tests need an application object, made once before any test runs.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Headless and silent, also when CTest lists the tests at build time: the
    // sounds are checked through the record of plays, not heard.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
