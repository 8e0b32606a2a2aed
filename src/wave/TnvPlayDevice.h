#pragma once

// The play control's waveOut device: which device plays, whether it plays, is paused,
// repeats the sound or makes the start wait for its end, and how long the waits and the
// delay before closing last.

#include "TnvWaveDevice.h"

class TnvPlayPrivate;

class TnvPlayDevice : public TnvWaveDevice {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive STORED false)
    Q_PROPERTY(int ID READ ID WRITE setID)
    Q_PROPERTY(bool Loop READ Loop WRITE setLoop)
    Q_PROPERTY(bool Pause READ Pause WRITE setPause STORED false)
    Q_PROPERTY(bool Wait READ Wait WRITE setWait)
    Q_PROPERTY(int Timeout READ Timeout WRITE setTimeout)
    Q_PROPERTY(int Delay READ Delay WRITE setDelay)
    Q_PROPERTY(bool CODECsEnabled READ CODECsEnabled WRITE setCODECsEnabled)

public:
    TnvPlayDevice(TnvPlayPrivate* play, TnvSharedControl* owner);

    void setActive(bool value);
    void setID(int value);
    bool Loop() const { return m_loop; }
    void setLoop(bool value);
    void setPause(bool value);
    bool Wait() const { return m_wait; }
    void setWait(bool value);
    void setTimeout(int value);
    void setDelay(int value);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

    void storeWait(bool value) { m_wait = value; }

private:
    TnvPlayPrivate* m_play;
    bool m_loop = false;
    bool m_wait = false;
};
