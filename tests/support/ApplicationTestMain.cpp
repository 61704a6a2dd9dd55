// Test programs of windows need the program's own application object (its
// help and error handler), made once before any test runs.
#include "app/TApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Headless, also when CTest lists the tests at build time.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    vorlane::TApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
