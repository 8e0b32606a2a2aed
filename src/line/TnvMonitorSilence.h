#pragma once

// Detects a stretch of silence of Duration milliseconds on the current call
// (OnSilence). The service knows no silence as such: it is asked for a tone whose
// frequencies are all zero, tagged so that the dispatch can tell the report apart.

#include "TnvCallDetection.h"

class TnvMonitorSilence : public TnvCallDetection {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive STORED false)
    Q_PROPERTY(int Duration READ Duration WRITE setDuration)

public:
    // The application value of the silence tone; LINE_MONITORTONE carries it back.
    static constexpr DWORD Tag = 0x89ABCDEF;

    TnvMonitorSilence(TnvLineContext* line, QObject* parent);

    bool Active() const { return m_active; }
    qint32 Duration() const { return m_duration; }
    void setActive(bool value) override;
    void setDuration(qint32 value);

    void storeActive(bool value) { m_active = value; }
    void save(TnvCallRecord& record) const;
    void load(const TnvCallRecord& record);
    void seed(TnvCallRecord& record) const;
    void rearm(HCALL handle);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    // The service's answer to monitoring silence of that length; 0 cannot be monitored.
    static LONG start(HCALL handle, qint32 duration);
    void refreshView();

    bool m_active = false;
    qint32 m_duration = 0;
};
