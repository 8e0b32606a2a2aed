#pragma once

// The line control's device: the list of line devices, the selected one and whether its
// line is open, with the settings that shape calls on it and a copy of its capabilities
// and status counters.

#include "TnvLineDeviceCaps.h"
#include "TnvMediaModes.h"

#include <TnvSharedDevice.h>

class TnvLineContext;

class TnvLineDevice : public TnvSharedDevice {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive STORED false)
    Q_PROPERTY(int ID READ ID WRITE setID STORED false)
    Q_PROPERTY(bool TranslatePhoneNumber READ TranslatePhoneNumber WRITE setTranslatePhoneNumber)
    Q_PROPERTY(bool UnformatPhoneNumber READ UnformatPhoneNumber WRITE setUnformatPhoneNumber)
    Q_PROPERTY(int IdleDelay READ IdleDelay WRITE setIdleDelay)
    Q_PROPERTY(TnvLineDeviceCaps* Capabilities READ Capabilities CONSTANT)
    Q_PROPERTY(TnvMediaModes* MediaModes READ MediaModes CONSTANT)
    Q_PROPERTY(int OpenCount READ OpenCount STORED false)
    Q_PROPERTY(int ActiveCalls READ ActiveCalls STORED false)
    Q_PROPERTY(int OnHoldCalls READ OnHoldCalls STORED false)
    Q_PROPERTY(int OnHoldPendCalls READ OnHoldPendCalls STORED false)
    Q_PROPERTY(uint RingMode READ RingMode STORED false)

public:
    explicit TnvLineDevice(TnvLineContext* line);

    void setActive(bool value);
    void setID(int value);
    bool TranslatePhoneNumber() const { return m_translate; }
    void setTranslatePhoneNumber(bool value) { m_translate = value; }
    bool UnformatPhoneNumber() const { return m_unformat; }
    void setUnformatPhoneNumber(bool value) { m_unformat = value; }
    int IdleDelay() const { return m_idleDelay; }
    void setIdleDelay(int value);
    TnvLineDeviceCaps* Capabilities() const { return m_capabilities; }
    TnvMediaModes* MediaModes() const { return m_mediaModes; }
    int OpenCount() const { return m_openCount; }
    int ActiveCalls() const { return m_activeCalls; }
    int OnHoldCalls() const { return m_onHoldCalls; }
    int OnHoldPendCalls() const { return m_onHoldPendCalls; }
    quint32 RingMode() const { return m_ringMode; }

    Q_INVOKABLE bool Configure();
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

    // State the control keeps here without the setters' side effects. A change of the
    // open state or of the selected device is announced, so that a window besides the
    // inspector (the dialer's check box and list) can follow it.
    void storeActive(bool value);
    void storeID(int value);
    void storeIdleDelay(int value) { m_idleDelay = value; }
    void storeName(const QString& value) { m_name = value; }
    QStringList& list() { return m_list; }
    void storeCount(int value) { m_count = value; }
    void storeStatus(int openCount, int activeCalls, int onHoldCalls, int onHoldPendCalls, quint32 ringMode);

signals:
    // Active or ID changed, whoever changed it.
    void stateChanged();

private:
    TnvLineContext* m_line;
    TnvLineDeviceCaps* m_capabilities;
    TnvMediaModes* m_mediaModes;
    bool m_translate = false;
    bool m_unformat = false;
    int m_idleDelay = 0;
    int m_openCount = 0;
    int m_activeCalls = 0;
    int m_onHoldCalls = 0;
    int m_onHoldPendCalls = 0;
    quint32 m_ringMode = 0;
};
