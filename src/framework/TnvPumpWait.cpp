#include "TnvPumpWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

namespace {

// Waits now running (nested ones each count), and how often they were interrupted.
int g_running = 0;
unsigned g_interrupts = 0;

struct Running {
    Running() { ++g_running; }
    ~Running() { --g_running; }
};

} // namespace

bool TnvPumpWait::until(const std::function<bool()>& done, int timeoutMs)
{
    if (done())
        return true;
    if (timeoutMs <= 0)
        return false;
    const Running running;
    const unsigned interrupts = g_interrupts;
    QDeadlineTimer deadline(timeoutMs, Qt::PreciseTimer);
    // Most replies are already waiting: one pass without sleeping takes them, and only a
    // wait that goes on needs the timer that ends it.
    QCoreApplication::processEvents();
    if (done())
        return true;
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired() || g_interrupts != interrupts)
            return false;
        // A timer that came a little before the deadline must not leave the loop asleep.
        if (!wake.isActive())
            wake.start(int(qMax<qint64>(1, deadline.remainingTime())));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void TnvPumpWait::sleep(int ms)
{
    until([] { return false; }, ms);
}

bool TnvPumpWait::interrupt()
{
    if (g_running == 0)
        return false;
    ++g_interrupts;
    return true;
}
