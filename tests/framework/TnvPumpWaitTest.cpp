// Waits that pump the event loop: an interrupt ends the waits then running, nested ones
// too, and no later wait.

#include <TnvPumpWait.h>

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

TEST(TnvPumpWait, AnInterruptEndsTheRunningWaitsOnly)
{
    EXPECT_FALSE(TnvPumpWait::interrupt()); // nothing waits

    // An outer wait, a nested one inside a timer, and the interrupt from a timer inside both.
    bool innerDone = true;
    bool interrupted = false;
    QTimer::singleShot(10, [&] {
        QTimer::singleShot(10, [&] { interrupted = TnvPumpWait::interrupt(); });
        innerDone = TnvPumpWait::until([] { return false; }, 60000);
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(TnvPumpWait::until([] { return false; }, 60000));
    EXPECT_LT(clock.elapsed(), 30000);
    EXPECT_TRUE(interrupted);
    EXPECT_FALSE(innerDone);

    // A wait that starts afterwards runs to its condition.
    bool flag = false;
    QTimer::singleShot(10, [&] { flag = true; });
    EXPECT_TRUE(TnvPumpWait::until([&] { return flag; }, 60000));
}
