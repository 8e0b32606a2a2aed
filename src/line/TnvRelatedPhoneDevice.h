#pragma once

// The phone device that belongs to the open line, so an application can drive the same
// handset through a phone control. Looked up after each open, forgotten at each close.

#include <TapiStructs.h>

#include <QObject>
#include <QString>

class TnvLineContext;

class TnvRelatedPhoneDevice : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Available READ Available STORED false)
    Q_PROPERTY(QString DeviceClass READ DeviceClass WRITE setDeviceClass)
    Q_PROPERTY(uint ID READ ID STORED false)

public:
    TnvRelatedPhoneDevice(TnvLineContext* line, QObject* parent);

    bool Available() const { return m_available; }
    QString DeviceClass() const { return m_deviceClass; }
    void setDeviceClass(const QString& value);
    DWORD ID() const { return m_id; }

    // Asks for the phone of the open line; an empty class asks nothing, and a failure
    // leaves the ID as it was and reports nothing.
    void lookUp(HLINE line);
    void clear();

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvLineContext* m_line;
    bool m_available = false;
    QString m_deviceClass = QStringLiteral("tapi/phone");
    DWORD m_id = 0;
};
