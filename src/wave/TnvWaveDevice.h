#pragma once

// What the devices of the wave play and record controls share: the machine's wave
// devices and the selected one (from the shared device base), pausing, the delay before
// the device is closed, the limit of the control's waits, and whether the telephony
// formats go through the wave layer's codecs (a plain switch, not traced).

#include <TnvSharedDevice.h>

class TnvWaveDevice : public TnvSharedDevice {
    Q_OBJECT

public:
    explicit TnvWaveDevice(TnvSharedControl* owner);

    bool Pause() const { return m_pause; }
    qint32 Delay() const { return m_delay; }
    qint32 Timeout() const { return m_timeout; }
    // Opens the device mapped, so that formats it cannot take natively (mu-law, IMA
    // ADPCM, the 4-bit ADPCM) pass through a codec of the wave layer.
    bool CODECsEnabled() const { return m_codecs; }
    void setCODECsEnabled(bool value) { m_codecs = value; }

    // State the control keeps here without the setters' side effects.
    void storeActive(bool value) { m_active = value; }
    void storePause(bool value) { m_pause = value; }
    void storeDelay(qint32 value) { m_delay = value; }
    void storeTimeout(qint32 value) { m_timeout = value; }
    void storeID(int value) { m_id = value; }
    void storeName(const QString& value) { m_name = value; }
    void storeList(const QStringList& names);
    void storeCount(int value) { m_count = value; }

protected:
    bool m_pause = false;
    bool m_codecs = false;
    qint32 m_delay = 0;
    qint32 m_timeout = 2000;
};
