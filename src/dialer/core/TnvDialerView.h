#pragma once

// What the dialer's handlers need from whatever shows them: the log box and the states
// of the check box and the two call buttons. The window implements it with its widgets,
// the command-line dialer with standard output.

#include <QString>

class TnvDialerView {
public:
    // Line events after the dialer has handled them, for views that act on calls
    // themselves (the command-line dialer answers and ends calls).
    enum class Event { Offering, CallBegin, Connected, Busy, Disconnected, SpecialInfo, Idle, CallEnd };

    virtual ~TnvDialerView() = default;

    // One line of the log box (never contains a line break).
    virtual void appendLog(const QString& line) = 0;
    // Changing the check state runs the check box's click handler, as a window's check
    // box does when it is set from code.
    virtual void setActiveChecked(bool checked) = 0;
    virtual bool activeChecked() const = 0;
    virtual void setDialEnabled(bool enabled) = 0;
    virtual void setHangupEnabled(bool enabled) = 0;
    // The selected device, changed elsewhere (in the inspector); shown without running
    // the list's change handler.
    virtual void showDevice(int id) { Q_UNUSED(id); }
    virtual void lineEvent(Event event, int callHandle)
    {
        Q_UNUSED(event);
        Q_UNUSED(callHandle);
    }
};
