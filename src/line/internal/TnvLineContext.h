#pragma once

// The seam between the line control and its sub-objects: what a sub-object may ask of
// the control that owns it (reporting, the trace, the inspector view, events, waits, the
// service reads it shares, and the siblings it works with). The control implements it;
// the sub-objects see nothing else of it, so none of them depends on the control itself.

#include "TnvPopup.h"
#include "TnvTapiBuffer.h"

#include <TapiStructs.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvVantage.h>

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>

class TnvAddress;
class TnvCall;
class TnvCallActions;
class TnvCallOperations;
class TnvCallRecords;
class TnvConference;
class TnvLineDevice;
class TnvLineLine;
class TnvLineView;
class TnvRelatedCommDevice;
class TnvTerminal;
class TnvTransfer;
struct TnvLineEventSet;
class TnvSharedControl;
class TnvTAPI;

class TnvLineContext {
public:
    // The error of a reply that did not come in time.
    static constexpr qint32 ReplyTimeoutCode = -3;

    virtual ~TnvLineContext() = default;

    // Reporting and the trace log.
    virtual TnvSharedControl* control() const = 0;
    virtual TnvError* Error() const = 0;
    virtual TnvLog* Log() const = 0;
    virtual TnvVantage* Vantage() const = 0;
    virtual bool ReportResult(bool warning, qint32 code) = 0;
    virtual void restoreError(qint32 code) = 0;
    virtual void write(bool stamped, const QString& text) = 0;
    // The open inspector window, as far as it follows the line; null without one.
    virtual TnvLineView* view() const = 0;

    // The control's events and the one that fires them.
    virtual TnvLineEventSet& events() = 0;
    // Fires a call event: the handler while Vantage.Events is on, then the popup rule.
    virtual void fireCallEvent(TnvPopup::Event event, HCALL handle) = 0;
    // Blocks in the event loop until the slot is marked replied (-1) or the reply
    // time-out passes; true when it timed out.
    virtual bool WaitForReply(const qint32& slot) = 0;
    // Blocks in the event loop until the predicate holds or the reply time-out passes;
    // false on the time-out.
    virtual bool waitUntil(const std::function<bool()>& done) = 0;
    // A reply that arrived, for the waits running now.
    virtual void noteReply(qint32 request, qint32 result) = 0;
    // Messages about the call whose handle the slot receives wait until released, so an
    // operation can announce a new call before its states (see TnvLineDispatch).
    virtual void holdCallMessages(const HCALL* handle) = 0;
    virtual void releaseCallMessages(const HCALL* handle) = 0;

    // The control's state and siblings.
    virtual bool Initialised() const = 0;
    virtual TnvLineLine* Line() const = 0;
    virtual TnvTAPI* TAPI() const = 0;
    virtual TnvLineDevice* Device() const = 0;
    virtual TnvAddress* Address() const = 0;
    virtual TnvCall* Call() const = 0;
    virtual TnvCallRecords& records() = 0;
    virtual TnvCallOperations& operations() = 0;
    virtual TnvCallActions& actions() = 0;
    virtual TnvConference* Conference() const = 0;
    virtual TnvTransfer* Transfer() const = 0;
    virtual TnvRelatedCommDevice* Comm() const = 0;
    virtual TnvTerminal* Terminal() const = 0;
    virtual TnvPopup* Popup() const = 0;
    // What the selected address's forwarding needs of it.
    virtual DWORD addressID() const = 0;
    virtual DWORD addressRingsNoAnswer() const = 0;
    // The visible call's handle and whether it is a live call.
    virtual HCALL callHandle() const = 0;
    virtual bool callActive() const = 0;

    // Service reads and changes shared by several sub-objects.
    virtual LONG ReadDevCaps(DWORD device, QByteArray& block) = 0;
    virtual LONG ReadAddressCaps(DWORD address, QByteArray& block) = 0;
    virtual void ReadLineDevStatus() = 0;
    virtual void ReadAddressStatus() = 0;
    virtual LONG RefreshCallInfo(HCALL handle, DWORD mask) = 0;
    // The last status read of each kind, kept while the service reports no change.
    virtual TnvTapiBuffer::Remembered& rememberedRead(TnvTapiBuffer::Kind kind) = 0;
    virtual bool GetRelatedDeviceID(const QString& deviceClass, DWORD handle, DWORD* value) = 0;
    virtual QString StripPhoneFormatting(const QString& number) const = 0;
    // A related device's class: writes "<name>.DeviceClass := \"value\"", refuses the
    // change while the line is open, and shows the result.
    virtual void assignDeviceClass(const QString& name, const QString& value, QString& deviceClass) = 0;
    virtual bool Configure() = 0;
    virtual void setDeviceActive(bool value) = 0;
    virtual void setDeviceID(int value) = 0;
    virtual void setIdleDelay(int value) = 0;
    // Whether the last generation was digits (LINE_GENERATE then means digits sent).
    virtual bool DigitsGenerated() const = 0;
    virtual void setDigitsGenerated(bool value) = 0;
    // The line closed, by the application or under it, and what follows for the view.
    virtual bool CloseLine(bool closedByTapi) = 0;
    virtual LONG DeallocateCall(HCALL call) = 0;
    virtual void refreshAfterDeviceChange() = 0;
};
