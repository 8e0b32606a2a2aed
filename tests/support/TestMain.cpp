// Test entry point: every test program runs inside a QApplication so that the event
// loop, timers and (offscreen) windows behave as in the real program.
#include "SanitizerOptions.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Tests look at windows offscreen, also when listed at build time without CTest's
    // environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
