#pragma once

// The phone control's device: the list of phone devices, the selected one and whether
// it is open, the last phone state the service reported, and the selected device's
// capabilities.

#include "TnvPhoneCapabilities.h"

#include <TnvSharedDevice.h>

class TnvPhonePrivate;

class TnvPhoneDevice : public TnvSharedDevice {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive STORED false)
    Q_PROPERTY(int ID READ ID WRITE setID)
    Q_PROPERTY(uint State READ State STORED false)
    Q_PROPERTY(uint StateDetails READ StateDetails STORED false)
    Q_PROPERTY(TnvPhoneCapabilities* Capabilities READ Capabilities CONSTANT STORED false)

public:
    TnvPhoneDevice(TnvPhonePrivate* phone, TnvSharedControl* owner);

    void setActive(bool value);
    void setID(int value);
    quint32 State() const { return m_state; }
    quint32 StateDetails() const { return m_stateDetails; }
    TnvPhoneCapabilities* Capabilities() const { return m_capabilities; }

    // The telephony service's configuration dialog for the device.
    Q_INVOKABLE bool Configure();
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

    // State the control keeps here without the setters' side effects.
    void storeActive(bool value) { m_active = value; }
    void storeID(int value) { m_id = value; }
    void storeName(const QString& value) { m_name = value; }
    void storeCount(int value) { m_count = value; }
    void storeState(quint32 state, quint32 details);
    QStringList& list() { return m_list; }

    // Whether the details of a state are a hook-switch mode.
    static bool isHookSwitchState(quint32 state);

private:
    TnvPhonePrivate* m_phone;
    TnvPhoneCapabilities* m_capabilities;
    quint32 m_state = 0;
    quint32 m_stateDetails = 0;
};
