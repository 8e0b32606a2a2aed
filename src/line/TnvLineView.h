#pragma once

// What the line control pushes into its inspector window after a change. The line
// inspector implements it; every refresh is optional, and with no window nothing runs.

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
    virtual void RefreshCallerID() {}
    virtual void RefreshConference(int /*handle*/) {}
    virtual void RefreshTransfer(int /*handle*/) {}
};
