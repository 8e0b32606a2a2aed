#pragma once

// The record control's waveIn device: which device records, whether it records or is
// paused, whether the recording is appended to the target buffer, the length of one
// recording block, what is cut from the end, the delay before closing and the limit of
// the waits.

#include "TnvWaveDevice.h"

class TnvRecordPrivate;

class TnvRecordDevice : public TnvWaveDevice {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive STORED false)
    Q_PROPERTY(int ID READ ID WRITE setID)
    Q_PROPERTY(bool Pause READ Pause WRITE setPause STORED false)
    Q_PROPERTY(bool Append READ Append WRITE setAppend)
    Q_PROPERTY(int Buffer READ Buffer WRITE setBuffer)
    Q_PROPERTY(int Trim READ Trim WRITE setTrim)
    Q_PROPERTY(int Delay READ Delay WRITE setDelay)
    Q_PROPERTY(int Timeout READ Timeout WRITE setTimeout)
    Q_PROPERTY(bool CODECsEnabled READ CODECsEnabled WRITE setCODECsEnabled)

public:
    TnvRecordDevice(TnvRecordPrivate* record, TnvSharedControl* owner);

    void setActive(bool value);
    void setID(int value);
    void setPause(bool value);
    bool Append() const { return m_append; }
    void setAppend(bool value);
    qint32 Buffer() const { return m_buffer; }
    void setBuffer(int value);
    qint32 Trim() const { return m_trim; }
    void setTrim(int value);
    void setDelay(int value);
    void setTimeout(int value);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

    void storeAppend(bool value) { m_append = value; }
    void storeBuffer(qint32 value) { m_buffer = value; }
    void storeTrim(qint32 value) { m_trim = value; }

private:
    TnvRecordPrivate* m_record;
    bool m_append = false;
    qint32 m_buffer = 500;
    qint32 m_trim = 0;
};
