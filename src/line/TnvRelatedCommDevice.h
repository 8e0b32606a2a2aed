#pragma once

// The data port of a data or fax call: while enabled, the control obtains the comm handle
// of such a call once it connects and releases it when the call or the line ends, so an
// application can move the call's data itself.

#include <TapiStructs.h>

#include <QObject>
#include <QString>

class TnvLineContext;

class TnvRelatedCommDevice : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Available READ Available STORED false)
    Q_PROPERTY(QString DeviceClass READ DeviceClass WRITE setDeviceClass)
    Q_PROPERTY(uint Handle READ Handle STORED false)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled STORED false)

public:
    TnvRelatedCommDevice(TnvLineContext* line, QObject* parent);

    // A comm handle is held.
    bool Available() const { return m_available; }
    QString DeviceClass() const { return m_deviceClass; }
    void setDeviceClass(const QString& value);
    // The handle (a file descriptor) of the current call's data port.
    DWORD Handle() const { return m_handle; }
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool value);

    // Obtains the handle for call when enabled, none is held yet and callMediaMode is
    // data modem or fax. A failed lookup reports nothing.
    void fetchHandle(HCALL call, DWORD callMediaMode);
    // At the end of a call or the line: closes a held handle when enabled, then forgets it.
    void closeHandle();
    // Forgets the handle without closing it.
    void clear();
    // Sets Enabled without a trace line or a fetch (a device read turns it off).
    void storeEnabled(bool value) { m_enabled = value; }

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

    // Media modes whose calls have a data port.
    static bool hasDataPort(DWORD mediaMode);

private:
    void release(bool close);

    TnvLineContext* m_line;
    bool m_available = false;
    QString m_deviceClass = QStringLiteral("comm/datamodem");
    DWORD m_handle = 0;
    bool m_enabled = false;
};
