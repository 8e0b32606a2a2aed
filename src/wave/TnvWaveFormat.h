#pragma once

// The wave format of a control's source (Source.Format): the six values of the format
// chunk, the data size and duration of the source, and the format's ID and Name from
// the table of known formats, looked up again whenever the six values change. The record
// control sets these values and logs each assignment; the play control's format only
// receives what a load finds.

#include "TnvWaveImage.h"

#include <QObject>

class TnvWaveControl;

namespace TnvWave {
Q_NAMESPACE

enum TWaveFormatID {
    wfUnknown = 0,
    wfPCM08000M08, wfPCM08000S08, wfPCM08000M16, wfPCM08000S16,
    wfPCM11025M08, wfPCM11025S08, wfPCM11025M16, wfPCM11025S16,
    wfPCM22050M08, wfPCM22050S08, wfPCM22050M16, wfPCM22050S16,
    wfPCM44100M08, wfPCM44100S08, wfPCM44100M16, wfPCM44100S16,
    wfuLaw06000M08, wfuLaw08000M08,
    wfADPCM06000M04, wfADPCM08000M04,
    wfIMAADPCM04800M04, wfIMAADPCM07200M04, wfIMAADPCM08000M04
};
Q_ENUM_NS(TWaveFormatID)

} // namespace TnvWave

using TWaveFormatID = TnvWave::TWaveFormatID;
using enum TnvWave::TWaveFormatID;

class TnvWaveFormat : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE setTag)
    Q_PROPERTY(int Channels READ Channels WRITE setChannels)
    Q_PROPERTY(int SamplesPerSec READ SamplesPerSec WRITE setSamplesPerSec)
    Q_PROPERTY(int AvgBytesPerSec READ AvgBytesPerSec WRITE setAvgBytesPerSec)
    Q_PROPERTY(int BlockAlign READ BlockAlign WRITE setBlockAlign)
    Q_PROPERTY(int BitsPerSample READ BitsPerSample WRITE setBitsPerSample)
    Q_PROPERTY(TnvWave::TWaveFormatID ID READ ID WRITE setID)
    Q_PROPERTY(QString Name READ Name STORED false)
    Q_PROPERTY(uint Bytes READ Bytes STORED false)
    Q_PROPERTY(double Seconds READ Seconds STORED false)

public:
    static constexpr int FormatCount = 24;

    // logged: assignments write their log lines (the record control's format).
    TnvWaveFormat(TnvWaveControl* owner, bool logged);

    qint32 Tag() const { return m_fields.tag; }
    qint32 Channels() const { return m_fields.channels; }
    qint32 SamplesPerSec() const { return qint32(m_fields.samplesPerSec); }
    qint32 AvgBytesPerSec() const { return qint32(m_fields.avgBytesPerSec); }
    qint32 BlockAlign() const { return m_fields.blockAlign; }
    qint32 BitsPerSample() const { return m_fields.bitsPerSample; }
    quint32 Bytes() const { return m_bytes; }
    double Seconds() const { return m_seconds; }
    TWaveFormatID ID() const { return m_id; }
    QString Name() const { return Text(m_id); }

    void setTag(qint32 value);
    void setChannels(qint32 value);
    void setSamplesPerSec(qint32 value);
    void setAvgBytesPerSec(qint32 value);
    void setBlockAlign(qint32 value);
    void setBitsPerSample(qint32 value);
    void setID(TWaveFormatID value);

    // What a load or a cut hands over: the format, the data size and its duration.
    // No log lines; ID and Name follow the values.
    void assign(const TnvWaveFormatFields& fields, quint32 bytes, double seconds);
    void setSize(quint32 bytes, double seconds);
    void clear();
    const TnvWaveFormatFields& fields() const { return m_fields; }

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

    // The table: the ID of six values (wfUnknown when no row matches all six), a row's
    // values, its enumeration name ("wfPCM08000M08") and its text.
    static TWaveFormatID Lookup(const TnvWaveFormatFields& fields);
    static TnvWaveFormatFields Row(TWaveFormatID id);
    static QString IDName(TWaveFormatID id);
    static QString Text(TWaveFormatID id);

    // Duration of a data size: bytes / AvgBytesPerSec, 0 for no data or no rate.
    static double secondsOf(quint32 bytes, quint32 avgBytesPerSec);

private:
    void setValue(const char* name, qint32 value, auto apply);
    void lookUp();

    TnvWaveControl* m_owner;
    bool m_logged;
    TnvWaveFormatFields m_fields;
    TWaveFormatID m_id = wfUnknown;
    quint32 m_bytes = 0;
    double m_seconds = 0;
};
