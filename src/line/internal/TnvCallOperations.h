#pragma once

// The operations on calls: each writes its method lines, hands the request to the
// service, waits for the reply where the service answers later, and leaves its outcome
// in the control's last error. The transfer, conference and forwarding objects use its
// waits and the shared steps of calls they make themselves.

#include "TnvCallActions.h"
#include "TnvCallRecords.h"

#include <functional>
#include <memory>

class TnvCall;
class TnvLineContext;

class TnvCallOperations : public TnvCallActions {
public:
    using RecordPtr = TnvCallRecords::RecordPtr;

    TnvCallOperations(TnvLineContext* line, TnvCall* call);

    bool Dial() override;
    bool Answer() override;
    bool Hangup() override;
    bool Hold() override;
    bool Unhold() override;
    bool Transfer() override;
    bool Redirect(const QString& phoneNumber) override;
    bool Park(const QString& phoneNumber) override;
    bool Unpark(const QString& phoneNumber) override;
    bool Pickup(const QString& phoneNumber, const QString& groupID) override;
    bool Handoff(const QString& application) override;
    bool SendDigits(const QString& digits, int duration) override;
    bool SendTone(DWORD tone, int duration) override;
    std::optional<QString> numberToStore(const QString& value) override;
    bool translatesNumbers() const override;

    // A call made by the transfer or conference becomes the current one and is
    // announced (OnCallBegin).
    void beginNewCall(HCALL handle);
    // Waits for the reply to a request held in a slot of the record; 0 when it came,
    // the time-out code when not. The slot is free again afterwards.
    qint32 awaitReply(TnvCallRecord& record, TnvCallRecord::Slot slot, LONG request);
    // The same, reporting a reply that does not come in time (-3); false then.
    bool replyArrives(TnvCallRecord& record, TnvCallRecord::Slot slot, LONG request);
    // Waits until the record's state has one of the bits; false after the time-out.
    bool WaitForCallState(const TnvCallRecord& record, DWORD bits);
    QByteArray prepareNumber(const QString& number) const;
    // The swap of the transfer and the conference: the connected one of the two calls
    // is passed as the active one.
    bool swapHold(const QString& name, HCALL primary, HCALL consult);
    // The primary call's record for an operation on a primary and a consultation call;
    // null, reported as an invalid handle, when either is missing.
    RecordPtr pairRecord(HCALL primary, HCALL consult);
    // Selects a call after a failed operation; the failure stays the last error.
    void selectAfterFailure(HCALL handle);

private:
    // The shared frame of the operations on the current call (answer, drop, hold, ...).
    enum class Frame { Plain, LateErrors, ClearOnRequest, SaveOnly };
    template<typename Start>
    bool runFrame(const QString& opening, const char* name, TnvCallRecord::Slot slot, Frame frame, Start start);
    // Dial, unpark and pickup: a new record whose handle the service fills with its
    // reply. Gives the service's answer to the request.
    enum class NewCall { Dial, Unpark, Pickup };
    // held: when given, receives the new call's record, whose messages are held until
    // the caller releases them.
    LONG startNewCall(TnvCallRecord::Slot slot, NewCall kind, bool* timedOut, const std::function<LONG(HCALL*)>& start,
                      RecordPtr* held = nullptr);
    void refreshStatus();
    void afterOperation(HCALL handle);
    void announceBegin(HCALL handle);

    TnvLineContext* m_line;
    TnvCall* m_call;
    TnvCallRecords& m_records;
};
