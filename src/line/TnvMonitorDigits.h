#pragma once

// Reports every digit the far end sends on the current call (OnDigitReceived), as
// pulse or DTMF, whichever the device detects.

#include "TnvCallDetection.h"

class TnvMonitorDigits : public TnvCallDetection {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive STORED false)

public:
    TnvMonitorDigits(TnvLineContext* line, QObject* parent);

    bool Active() const { return m_active; }
    void setActive(bool value) override;

    void storeActive(bool value) { m_active = value; }
    void save(TnvCallRecord& record) const;
    void load(const TnvCallRecord& record);
    void seed(TnvCallRecord& record) const;
    void rearm(HCALL handle);

    // The digits received since monitoring was last started; the inspector shows only
    // the last of them.
    QString Received() const { return m_received; }
    void appendReceived(QChar digit);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    LONG start(HCALL handle);

    bool m_active = false;
    QString m_received;
};
