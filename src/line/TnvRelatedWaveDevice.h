#pragma once

// A wave device (output for WavePlay, input for WaveRecord) that carries the open line's
// audio, so the wave controls can play into or record from a call. The privileges decide
// whether the line may use it at all; then its ID is -2.

#include <TapiStructs.h>

#include <QObject>
#include <QString>

class TnvLineContext;

class TnvRelatedWaveDevice : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString DeviceClass READ DeviceClass WRITE setDeviceClass)
    Q_PROPERTY(bool Available READ Available STORED false)
    Q_PROPERTY(int ID READ ID STORED false)

public:
    // The ID when the privileges do not allow the device.
    static constexpr qint32 NotAllowed = -2;

    // displayName ("WavePlay" or "WaveRecord") names the object in its trace lines;
    // deviceClass is its default class ("wave/out" or "wave/in").
    TnvRelatedWaveDevice(TnvLineContext* line, const QString& displayName, const QString& deviceClass,
                         QObject* parent);

    QString DisplayName() const { return m_displayName; }
    QString DeviceClass() const { return m_deviceClass; }
    void setDeviceClass(const QString& value);
    bool Available() const { return m_available; }
    // The wave device number; 0 before any lookup.
    qint32 ID() const { return m_id; }

    // Asks for the wave device of the open line; an empty class asks nothing, and a
    // failure leaves the ID as it was and reports nothing.
    void lookUp(HLINE line);
    // The privileges do not allow this device.
    void deny();
    void clear();

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvLineContext* m_line;
    QString m_displayName;
    QString m_deviceClass;
    bool m_available = false;
    qint32 m_id = 0;
};
