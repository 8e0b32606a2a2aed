#pragma once

// The line control's message dispatch: every message of the telephony service turned
// into the control's bookkeeping, trace lines and events, in the order applications
// expect, and the idle delay that holds OnIdle back. It works through the control's
// context like every sub-object.

#include <TapiStructs.h>

#include <QString>
#include <QTimer>

class TnvLineContext;
class TnvSharedControl;
struct TnvCallRecord;
struct TnvLineEventSet;

class TnvLineDispatch {
public:
    explicit TnvLineDispatch(TnvLineContext* line);

    void handleMessage(DWORD hDevice, DWORD message, DWORD param1, DWORD param2, DWORD param3);
    // The call-information refresh of one call; mask selects the party IDs refilled.
    LONG RefreshCallInfo(HCALL handle, DWORD mask);
    // The record of a call the control learns of, created (with OnCallBegin) if new.
    TnvCallRecord* BeginCall(HCALL handle);
    // A pending OnIdle is dropped (the line closed or changed).
    void stopIdleTimer() { m_idleTimer.stop(); }

    // How many service messages are being handled one inside another right now.
    static int messageDepth();

private:
    void writeMessageBlock(const QString& title, DWORD hDevice, DWORD message, DWORD param1, DWORD param2,
                           DWORD param3);
    void onReply(DWORD request, DWORD result, DWORD param3);
    void onAddressState(DWORD address, DWORD state);
    void onCallInfo(HCALL handle, DWORD states);
    void onCallState(HCALL handle, DWORD state, DWORD mode, DWORD privilege);
    void onIdleTimer();
    void onLineState(DWORD state, DWORD param2, DWORD param3);
    void onDigitsGathered(HCALL handle, DWORD termination);
    void onDigitReceived(HCALL handle, DWORD digit);
    void onMediaMode(HCALL handle, DWORD mediaMode);

    TnvLineContext* m_line;
    TnvLineEventSet& m_events;
    TnvSharedControl* m_sender;
    QTimer m_idleTimer;
};
