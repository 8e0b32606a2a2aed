#pragma once

// Collects a string of digits on the current call: up to Count digits, ended early by
// one of the Terminate digits or when no digit came for Timeout milliseconds. The
// service writes the digits into the call record's buffer; the message dispatch reports
// them with OnDigitsGathered.

#include "TnvCallDetection.h"

class TnvGatherDigits : public TnvCallDetection {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive STORED false)
    Q_PROPERTY(int Count READ Count WRITE setCount)
    Q_PROPERTY(QString Terminate READ Terminate WRITE setTerminate)
    Q_PROPERTY(int Timeout READ Timeout WRITE setTimeout)

public:
    // The digits and their terminating NUL fill the record's buffer.
    static constexpr qint32 MaxCount = 31;

    TnvGatherDigits(TnvLineContext* line, QObject* parent);

    bool Active() const { return m_active; }
    qint32 Count() const { return m_count; }
    QString Terminate() const { return m_terminate; }
    qint32 Timeout() const { return m_timeout; }
    void setActive(bool value) override;
    void setCount(qint32 value);
    void setTerminate(const QString& value);
    void setTimeout(qint32 value);

    // For the dispatch: gathering ended (or is off for a call just taken up).
    void storeActive(bool value) { m_active = value; }
    // The call record's copy of the settings, and back.
    void save(TnvCallRecord& record) const;
    void load(const TnvCallRecord& record);
    // A new call's copy: these settings, gathering off.
    void seed(TnvCallRecord& record) const;
    // Starts gathering again on a call that asked for it (it became connected).
    void rearm(HCALL handle);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    LONG start(HCALL handle, TnvCallRecord& record);
    // The frame of the three settings; store runs only for an accepted value.
    void changeSetting(bool differs, const QString& method, bool valid, const std::function<void()>& store);
    void refreshDigits();

    bool m_active = false;
    qint32 m_count = 5;
    QString m_terminate = QStringLiteral("#*");
    qint32 m_timeout = 5000;
};
