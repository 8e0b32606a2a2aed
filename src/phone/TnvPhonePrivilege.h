#pragma once

// The privilege the phone is opened with: owner (may change hook switches, volumes and
// gains) or monitor (only watches). Owner wins when both are set; with neither the
// service refuses the open. A change takes effect at the next open.

#include <TapiStructs.h>

#include <QObject>

class TnvPhonePrivate;

class TnvPhonePrivilege : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Monitor READ Monitor WRITE setMonitor)
    Q_PROPERTY(bool Owner READ Owner WRITE setOwner)

public:
    TnvPhonePrivilege(TnvPhonePrivate* phone, QObject* parent);

    bool Monitor() const { return m_monitor; }
    bool Owner() const { return m_owner; }
    void setMonitor(bool value);
    void setOwner(bool value);

    // The privilege argument of phoneOpen.
    DWORD phoneOpenPrivilege() const;

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    void assign(const char* name, bool value, bool& field);

    TnvPhonePrivate* m_phone;
    bool m_monitor = true;
    bool m_owner = true;
};
