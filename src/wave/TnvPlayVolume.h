#pragma once

// The play control's volume: whether it manages the device volume at all, the volume in
// percent, whether a start takes the system volume instead of setting its own, and
// whether the stored system volume comes back when playback pauses or stops.

#include <QObject>

class TnvPlayPrivate;

class TnvPlayVolume : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(int Position READ Position WRITE setPosition)
    Q_PROPERTY(bool Default READ Default WRITE setDefault)
    Q_PROPERTY(bool Reset READ Reset WRITE setReset)

public:
    TnvPlayVolume(TnvPlayPrivate* play, QObject* parent);

    bool Enabled() const { return m_enabled; }
    void setEnabled(bool value);
    qint32 Position() const { return m_position; }
    void setPosition(int value);
    bool Default() const { return m_default; }
    void setDefault(bool value);
    bool Reset() const { return m_reset; }
    void setReset(bool value);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

    void storePosition(qint32 value) { m_position = value; }

    // A device volume (low word left, high word right) in percent of the left channel,
    // and a percent as the same volume in both channels.
    static qint32 percentOf(quint32 deviceVolume);
    static quint32 deviceVolumeOf(qint32 percent);

private:
    void setFlag(bool& field, const char* name, bool value);

    TnvPlayPrivate* m_play;
    bool m_enabled = false;
    qint32 m_position = 100;
    bool m_default = false;
    bool m_reset = true;
};
