#pragma once

// What the selected phone device says it can do, as far as the control uses it: its
// hook-switch devices, the phone states it reports, and its device-specific block.

#include <QByteArray>
#include <QObject>

class TnvPhonePrivate;

class TnvPhoneCapabilities : public QObject {
    Q_OBJECT
    Q_PROPERTY(uint DevSpecificSize READ DevSpecificSize)
    Q_PROPERTY(uint DevSpecific READ DevSpecificTag)
    Q_PROPERTY(uint HookSwitchDevs READ HookSwitchDevs)
    Q_PROPERTY(uint States READ States)

public:
    TnvPhoneCapabilities(TnvPhonePrivate* phone, QObject* parent);

    quint32 DevSpecificSize() const { return quint32(m_devSpecific.size()); }
    const QByteArray& DevSpecific() const { return m_devSpecific; }
    // Names the stored block: a checksum of its bytes, so the same block always reads
    // the same.
    quint32 DevSpecificTag() const;
    quint32 HookSwitchDevs() const { return m_hookSwitchDevs; }
    quint32 States() const { return m_states; }

    void store(quint32 hookSwitchDevs, quint32 states, const QByteArray& devSpecific);
    void clear();

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvPhonePrivate* m_phone;
    QByteArray m_devSpecific;
    quint32 m_hookSwitchDevs = 0;
    quint32 m_states = 0;
};
