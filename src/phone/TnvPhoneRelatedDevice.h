#pragma once

// A device that belongs to the phone, found by its device class once the phone is open:
// the line the phone is attached to ("Line", class "tapi/line") and the wave devices that
// carry its audio ("WavePlay" for output, "WaveRecord" for input). The class may change
// only while the phone is closed.

#include <TapiStructs.h>

#include <QObject>
#include <QString>

class TnvPhonePrivate;

class TnvPhoneRelatedDevice : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString DeviceClass READ DeviceClass WRITE setDeviceClass)
    Q_PROPERTY(bool Available READ Available STORED false)
    Q_PROPERTY(int ID READ ID STORED false)

public:
    enum DumpOrder {
        ClassBeforeID, // the attached line: Available, DeviceClass, ID
        ClassLast,     // the wave devices, as the line control writes them
    };

    TnvPhoneRelatedDevice(TnvPhonePrivate* phone, const QString& displayName, const QString& deviceClass,
                          DumpOrder order, QObject* parent);

    QString DisplayName() const { return m_displayName; }
    QString DeviceClass() const { return m_deviceClass; }
    void setDeviceClass(const QString& value);
    bool Available() const { return m_available; }
    qint32 ID() const { return m_id; }

    // Asks the open phone for the device of this class; an empty class asks nothing and a
    // failure leaves the device unavailable with ID 0.
    void lookUp();
    void clear();

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvPhonePrivate* m_phone;
    QString m_displayName;
    QString m_deviceClass;
    DumpOrder m_order;
    bool m_available = false;
    qint32 m_id = 0;
};
