#pragma once

// Everything the record control does behind its published face: the waveIn device and
// its hidden window, the blocks at the device and the chain of recorded blocks, pausing,
// the size limit, stopping and saving to a file or into the buffer. TnvRecord holds one
// and forwards to it; the sub-objects work through it.

#include "TnvWaveImage.h"

#include <TnvTypes.h>
#include <WaveApi.h>

#include "TnvWaveEngine.h"

#include <QObject>
#include <QString>

#include <deque>
#include <memory>

class MmMessageEvent;
class TnvLog;
class TnvRecord;
class TnvRecordDevice;
class TnvRecordPopup;
class TnvRecordView;
class TnvVantage;
class TnvWaveFormat;
class TnvWaveSource;
class TnvWaveWindow;

class TnvRecordPrivate : public TnvWaveEngine {
    Q_OBJECT

public:
    // Blocks handed to the device at a time: while one is on its way back through the
    // event loop the device fills the next, so nothing is lost between blocks.
    static constexpr int BlocksAtDevice = 2;

    explicit TnvRecordPrivate(TnvRecord* q);
    ~TnvRecordPrivate() override;

    // Stops and saves a running recording without events; the control's destructor
    // calls it.
    void shutdown();

    TnvRecord* control() const { return q; }
    TnvRecordDevice* Device() const { return m_device; }
    TnvRecordPopup* Popup() const { return m_popup; }
    TnvRecordView* view() const;
    void refresh(void (TnvRecordView::*operation)());
    void refreshDeviceMenu();

    // --- Enabled, the device list and the setters ---
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool value);
    void fillDeviceList();
    void setDeviceID(int value);
    void setDeviceActive(bool value);
    void setPause(bool value);
    void setAppend(bool value);
    void setBuffer(qint32 value);
    void setDelay(qint32 value);
    void setTrim(qint32 value);
    void setSourceFileName(const QString& name);
    void setSourceMaxSize(qint32 kilobytes);
    void revalidateSource();

    quint32 blockSize() const;

private:
    struct Block {
        std::unique_ptr<char[]> data;
        WAVEHDR header{};
    };

    // Recording (TnvRecordEngine.cpp).
    bool start();
    bool openDevice();
    qint32 queueBlocks();
    void failStart(qint32 code);
    bool resetDevice();
    void stopAndSave();
    void releaseDevice();
    void onMessage(const MmMessageEvent& message);
    void onData(WAVEHDR* header);
    bool allowOverLimit();
    void allocateWindow();
    void releaseWindow();
    void updateSize();
    void freeBlocks();

    // Saving (TnvRecordSave.cpp).
    quint32 trimmedSize();
    void saveToFile();
    void saveToBuffer();
    void keepInBuffer(quint32 size);
    void copyRecording(uchar* out, quint32 size) const;
    TnvWaveFormatFields formatFields() const;

    TnvRecord* q;
    TnvRecordDevice* m_device;
    TnvRecordPopup* m_popup;
    bool m_enabled = true;

    HWAVEIN m_handle = nullptr;
    TnvWaveWindow* m_window = nullptr;
    WAVEFORMATEX m_format{};
    quint32 m_blockSize = 0;
    std::deque<std::unique_ptr<Block>> m_atDevice;
    std::deque<std::unique_ptr<Block>> m_recorded;
    quint64 m_recordedBytes = 0;
    bool m_warned = false;
    // The device is being reset (pause or stop): returned blocks are not replaced.
    bool m_resetting = false;
    bool m_stopping = false;
};
