#pragma once

// Base of the device sub-objects of a control: whether the device is open, and the
// list of the machine's devices with the selected one. What selecting or opening does
// belongs to the concrete device.

#include <QObject>
#include <QStringList>

class TnvSharedControl;

class TnvSharedDevice : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active)
    Q_PROPERTY(QString Name READ Name)
    Q_PROPERTY(QStringList List READ List)
    Q_PROPERTY(int ID READ ID)
    Q_PROPERTY(int Count READ Count)

public:
    explicit TnvSharedDevice(TnvSharedControl* owner);

    TnvSharedControl* owner() const { return m_owner; }
    bool Active() const { return m_active; }
    QString Name() const { return m_name; }
    const QStringList& List() const { return m_list; }
    int ID() const { return m_id; }
    int Count() const { return m_count; }

protected:
    TnvSharedControl* m_owner;
    bool m_active = false;
    QString m_name;
    QStringList m_list;
    int m_id = 0;
    int m_count = 0;
};
