#pragma once

// Where the play control is in its sound, in bytes, percent or seconds. Read from the
// device while playing (0 otherwise); setting one restarts playback there.

#include <QObject>

class TnvPlayPrivate;

class TnvPlayPosition : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Byte READ Byte WRITE setByte STORED false)
    Q_PROPERTY(int Percent READ Percent WRITE setPercent STORED false)
    Q_PROPERTY(double Second READ Second WRITE setSecond STORED false)

public:
    TnvPlayPosition(TnvPlayPrivate* play, QObject* parent);

    qint32 Byte() const;
    qint32 Percent() const;
    double Second() const;
    void setByte(int value);
    void setPercent(int value);
    void setSecond(double value);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvPlayPrivate* m_play;
};
