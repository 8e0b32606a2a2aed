#pragma once

// The service handles the phone control holds: its usage handle from initialisation and
// the handle of the open phone (both 0 when absent), with copies of the selected
// device's hook-switch devices and reported states. The dump writes it under "Line.",
// the inspector under "Phone".

#include <TapiStructs.h>

#include <QObject>

class TnvPhonePrivate;

class TnvPhoneConnection : public QObject {
    Q_OBJECT
    Q_PROPERTY(uint AppHandle READ AppHandle)
    Q_PROPERTY(uint Handle READ Handle)
    Q_PROPERTY(uint HookSwitchDevs READ HookSwitchDevs)
    Q_PROPERTY(uint States READ States)

public:
    TnvPhoneConnection(TnvPhonePrivate* phone, QObject* parent);

    HPHONEAPP AppHandle() const { return m_appHandle; }
    HPHONE Handle() const { return m_handle; }
    quint32 HookSwitchDevs() const { return m_hookSwitchDevs; }
    quint32 States() const { return m_states; }

    void setAppHandle(HPHONEAPP value) { m_appHandle = value; }
    void setHandle(HPHONE value) { m_handle = value; }
    void setCapabilities(quint32 hookSwitchDevs, quint32 states);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvPhonePrivate* m_phone;
    HPHONEAPP m_appHandle = 0;
    HPHONE m_handle = 0;
    quint32 m_hookSwitchDevs = 0;
    quint32 m_states = 0;
};
