#pragma once

// Asks the service to report when the current call's media mode turns into one of
// MediaModes (OnCallMediaModeChange). MediaModes is taken when monitoring starts;
// changing it while monitoring runs applies at the next start.

#include "TnvCallDetection.h"

class TnvMonitorMediaModes : public TnvCallDetection {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive STORED false)
    Q_PROPERTY(uint MediaModes READ MediaModes WRITE setMediaModes)

public:
    TnvMonitorMediaModes(TnvLineContext* line, QObject* parent);

    bool Active() const { return m_active; }
    quint32 MediaModes() const { return m_mediaModes; }
    void setActive(bool value) override;
    void setMediaModes(quint32 value);

    void storeActive(bool value) { m_active = value; }
    void save(TnvCallRecord& record) const;
    void load(const TnvCallRecord& record);
    void seed(TnvCallRecord& record) const;
    void rearm(HCALL handle);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    bool m_active = false;
    quint32 m_mediaModes = 0;
};
