#pragma once

// Everything the play control does behind its published face: the loaded sound, the
// waveOut device and its hidden window, the start, the stop and the closing, pausing,
// positioning, volume and timer, and the device's messages. TnvPlay holds one and
// forwards to it; the sub-objects work through it.

#include "TnvWaveImage.h"

#include <TnvTypes.h>

#include <WaveApi.h>

#include "TnvWaveEngine.h"

#include <QObject>
#include <QString>

#include <memory>

class MmMessageEvent;
class QTimer;
class TnvLog;
class TnvPlay;
class TnvPlayDevice;
class TnvPlayPopup;
class TnvPlayPosition;
class TnvPlayTimer;
class TnvPlayView;
class TnvPlayVolume;
class TnvVantage;
class TnvWaveFormat;
class TnvWaveSource;
class TnvWaveWindow;

class TnvPlayPrivate : public TnvWaveEngine {
    Q_OBJECT

public:
    explicit TnvPlayPrivate(TnvPlay* q);
    ~TnvPlayPrivate() override;

    // Stops playback without events; the control's destructor calls it.
    void shutdown();

    // --- The control and its sub-objects ---
    TnvPlay* control() const { return q; }
    TnvPlayDevice* Device() const { return m_device; }
    TnvPlayPosition* Position() const { return m_position; }
    TnvPlayVolume* Volume() const { return m_volume; }
    TnvPlayTimer* Timer() const { return m_timer; }
    TnvPlayPopup* Popup() const { return m_popup; }
    TnvPlayView* view() const;
    void refresh(void (TnvPlayView::*operation)());
    void refreshDeviceMenu();
    void refreshVolume();

    // --- Enabled and the device list ---
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool value);
    void fillDeviceList();
    void setDeviceID(int value);

    // --- Setters of the sub-objects ---
    void setDeviceActive(bool value);
    void setPause(bool value);
    void setLoop(bool value);
    void setWait(bool value);
    void setDelay(qint32 value);
    void setTimeout(qint32 value);
    void setVolumePosition(qint32 value);
    void timerChanged();
    void setSourceFileName(const QString& name);
    void revalidateSource();

    // --- Position ---
    quint32 positionBytes() const;
    quint32 dataSize() const { return m_dataSize; }
    // Restarts playback at the byte; the text is the setter's line.
    void moveTo(double byte, const QString& line);

    bool sourceIsBuffer() const;
    // The loaded sound's format as the device takes it.
    WAVEFORMATEX waveFormat() const;

private:
    // Starting, stopping and closing (TnvPlayEngine.cpp).
    bool start(quint32 offset, bool wait);
    bool openAndWrite(bool wait);
    void failStart();
    bool stop();
    void closeDevice(bool doneEvent);
    void unprepareWithDelay();
    void onMessage(const MmMessageEvent& message);
    void onDone(WAVEHDR* header);
    void allocateWindow();
    void releaseWindow();
    void runTimer();
    void stopTimer();
    void restoreVolume(const QString& line);
    void freeSound();
    // Writes the event's line, calls the handler while events are on and applies the
    // pop-up setting; false when the handler destroyed the control.
    bool fire(const TNV_NotifyEvent& handler, const QString& name, bool popup);

    // Loading the sound (TnvPlayLoad.cpp): into the data block, from the buffer or the
    // files; 0 or the code that was reported.
    bool load();
    qint32 loadFromBuffer();
    qint32 loadFromFiles();
    bool validate(const QString& name, bool logged);

    TnvPlay* q;
    TnvPlayDevice* m_device;
    TnvPlayPosition* m_position;
    TnvPlayVolume* m_volume;
    TnvPlayTimer* m_timer;
    TnvPlayPopup* m_popup;
    QTimer* m_ticker;
    bool m_enabled = true;

    HWAVEOUT m_handle = nullptr;
    TnvWaveWindow* m_window = nullptr;
    std::unique_ptr<char[]> m_data;
    quint32 m_dataSize = 0;
    TnvWaveFormatFields m_format;
    WAVEHDR m_header{};
    bool m_headerReady = false;
    quint32 m_offset = 0;
    DWORD m_storedVolume = 0;
    bool m_playing = false;
    bool m_stopping = false;
    bool m_doneEvent = false;
    bool m_closed = true;
    bool m_volumeStored = false;
    // Inside a stop or a close, whose waits run the event loop: a start must wait.
    bool m_busy = false;
};
