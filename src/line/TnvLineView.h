#pragma once

// What the line control pushes into its inspector window after a change. The line
// inspector implements it; every refresh is optional, and with no window nothing runs.

#include <QString>

class TnvLineView {
public:
    virtual ~TnvLineView() = default;

    virtual void RefreshInfo() {}
    virtual void RefreshEnabled() {}
    virtual void RefreshDevice() {}
    virtual void RefreshAddress() {}
    virtual void RefreshTerminal() {}
    virtual void RefreshCall() {}
    virtual void RefreshCallControl() {}
    virtual void RefreshDigits() {}
    // The last gathered digits, and the digits received while monitoring; empty clears.
    virtual void ShowDigitsGathered(const QString& /*digits*/) {}
    virtual void ShowDigitReceived(const QString& /*digits*/) {}
    virtual void RefreshCallerID() {}
    virtual void RefreshConference(int /*handle*/) {}
    virtual void RefreshTransfer(int /*handle*/) {}
    // The four call-parameter sets (call, transfer, conference, forwarding).
    virtual void RefreshParameters() {}
    virtual void ShowTransferPhoneNumber() {}
    virtual void ShowConferencePhoneNumber() {}
};
