#pragma once

// The line control's message dispatch: every message of the telephony service turned
// into the control's bookkeeping, trace lines and events, in the order applications
// expect, and the idle delay that holds OnIdle back. It works through the control's
// context like every sub-object.

#include <TapiStructs.h>

#include <QString>
#include <QList>
#include <QTimer>

#include <vector>

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
    // A call being made learns its handle with the reply, and the exchange may send its
    // first state (dial tone) right behind it, inside the operation's wait. Messages
    // about that handle are kept until the operation has returned and then handled from
    // the event loop in their order, so the call is announced (OnCallBegin) and the
    // operation done before any of its states.
    void holdCall(const HCALL* slot);
    void releaseCall(const HCALL* slot);

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
    void dispatchMessage(DWORD hDevice, DWORD message, DWORD param1, DWORD param2, DWORD param3);
    bool held(DWORD hDevice, DWORD message) const;
    // Handles the kept messages no hold covers any more (all: every one), oldest first.
    void handleDue(bool all);

    struct Message {
        DWORD hDevice, message, param1, param2, param3;
    };
    // The handle slot while the operation runs; the handle itself once it has returned.
    struct Hold {
        const HCALL* slot;
        HCALL handle;
    };

    TnvLineContext* m_line;
    TnvLineEventSet& m_events;
    TnvSharedControl* m_sender;
    QTimer m_idleTimer;
    // The call whose OnBusy handler runs: its end (IDLE) waits until its OnDisconnected
    // has fired, so an application hanging up from OnBusy still gets that event, once.
    HCALL m_holdingIdle = 0;
    struct HeldIdle {
        HCALL handle;
        DWORD rawMode;
        DWORD privilege;
    };
    QList<HeldIdle> m_heldIdle;
    std::vector<Hold> m_holds;
    std::vector<Message> m_heldMessages;
};
