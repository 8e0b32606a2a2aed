#pragma once

// Waits that keep the program alive: the event loop runs (messages, timers, user input)
// while a control waits for a device or a reply. The loop sleeps until something
// arrives; a timer is what arrives at the deadline, so a wait costs no processor time.

#include <functional>

namespace TnvPumpWait {

// Runs the event loop until done() holds or timeoutMs have passed; true when it held.
// done() is checked first, so a condition that already holds returns at once.
bool until(const std::function<bool()>& done, int timeoutMs);

// Runs the event loop for ms milliseconds.
void sleep(int ms);

// Ends every wait now running as if its time had run out, so that a program asked to
// stop is not held for a whole reply time-out; waits that start later run as usual.
// Called on the waits' own thread (from the event loop they run); returns whether a
// wait was running.
bool interrupt();

} // namespace TnvPumpWait
