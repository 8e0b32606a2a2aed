#pragma once

// The play control's timer: when enabled it fires OnTimer every Interval milliseconds,
// but only while a sound plays (not while paused or stopped).

#include <QObject>

class TnvPlayPrivate;

class TnvPlayTimer : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(int Interval READ Interval WRITE setInterval)

public:
    TnvPlayTimer(TnvPlayPrivate* play, QObject* parent);

    bool Enabled() const { return m_enabled; }
    void setEnabled(bool value);
    qint32 Interval() const { return m_interval; }
    void setInterval(int value);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvPlayPrivate* m_play;
    bool m_enabled = false;
    qint32 m_interval = 1000;
};
