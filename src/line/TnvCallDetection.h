#pragma once

// The common ground of the call object's four detection services (digit gathering, digit
// monitoring, media monitoring, silence): each belongs to the current call, writes every
// change into that call's record, and asks the telephony service only while the call is
// active. Without a current call a switch is only remembered, so that the next call
// placed on the line takes it over.

#include <TapiStructs.h>

#include <QObject>
#include <QString>

#include <functional>

class TnvLineContext;
class TnvLineView;
struct TnvCallRecord;

class TnvCallDetection : public QObject {
    Q_OBJECT

public:
    TnvCallDetection(TnvLineContext* line, const QString& name, QObject* parent);

protected:
    // The record that shadows the visible settings: the selected call's, or the current
    // record while no call is selected.
    TnvCallRecord& record() const;
    // The record of a handle, re-read after anything that may have run handlers.
    TnvCallRecord* recordOf(HCALL handle) const;

    // The frame of the Active setters. apply asks the service (only called with a current,
    // active call); keepOnFailure leaves Active as it was when the service refuses.
    // Gives whether the value was taken.
    bool switchActive(bool value, bool& active, bool TnvCallRecord::*copy, bool keepOnFailure,
                      const std::function<LONG(HCALL handle, TnvCallRecord& record)>& apply);

    virtual void setActive(bool value) = 0;

    // Restarts the service on a call that has (re)connected: the current call through
    // its Active setter, another call directly with start. When that fails, the error is
    // reported and, when given, the record's flag goes off.
    void rearmCall(HCALL handle, bool TnvCallRecord::*clearOnFailure,
                   const std::function<LONG(TnvCallRecord& record)>& start);

    // Digit modes in the order they are offered: pulse and DTMF, DTMF alone, pulse alone;
    // only a refusal of the modes moves on to the next.
    static LONG tryDigitModes(const std::function<LONG(DWORD modes)>& request);

    void writeMethod(const QString& text) const;
    void report(LONG code) const;
    void clearError() const;
    TnvLineView* view() const;
    QString methodName(const char* property) const;

    TnvLineContext* m_line;
};
