#pragma once

// The operations the call object publishes (Call.Dial, Call.Hangup, ...), as the call
// object reaches them: the control supplies the implementation, so the visible call
// does not depend on the code that drives the service.

#include <TapiStructs.h>

#include <QString>

#include <optional>

class TnvCallActions {
public:
    virtual ~TnvCallActions() = default;

    virtual bool Dial() = 0;
    virtual bool Answer() = 0;
    virtual bool Hangup() = 0;
    virtual bool Hold() = 0;
    virtual bool Unhold() = 0;
    virtual bool Transfer() = 0;
    virtual bool Redirect(const QString& phoneNumber) = 0;
    virtual bool Park(const QString& phoneNumber) = 0;
    virtual bool Unpark(const QString& phoneNumber) = 0;
    virtual bool Pickup(const QString& phoneNumber, const QString& groupID) = 0;
    virtual bool Handoff(const QString& application) = 0;
    virtual bool SendDigits(const QString& digits, int duration) = 0;
    virtual bool SendTone(DWORD tone, int duration) = 0;
    // A phone number as the PhoneNumber properties store it: translated when the device
    // asks for it. Nothing when the translation failed (it is reported) or gave nothing.
    virtual std::optional<QString> numberToStore(const QString& value) = 0;
    virtual bool translatesNumbers() const = 0;
};
