#pragma once

// The wave record control TnvRecord: records from a waveIn device into a chain of
// equally sized blocks and, when recording stops, saves the recording as a WAVE file
// (Source.FileName) or into its wave buffer, optionally appended to what the buffer
// holds. Pause and resume, a size limit with a warning, trimming the end and a delay
// before closing; every change and step is written to the trace log.

#include "TnvRecordDevice.h"
#include "TnvRecordPopup.h"
#include "TnvWaveControl.h"

#include <memory>

class TnvRecordPrivate;

class TnvRecord : public TnvWaveControl {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(TnvRecordDevice* Device READ Device CONSTANT)
    Q_PROPERTY(TnvRecordPopup* Popup READ Popup CONSTANT)

public:
    explicit TnvRecord(QObject* owner = nullptr);
    ~TnvRecord() override;

    // After recording stopped and the recording was saved.
    TNV_NotifyEvent OnDone;

    TnvRecordDevice* Device() const;
    TnvRecordPopup* Popup() const;

    // True lists the waveIn devices; False empties the list and hides the window.
    bool Enabled() const override;
    void setEnabled(bool value) override;

    bool deviceActive() const override;
    void assignSourceFileName(const QString& name) override;
    void assignSourceMaxSize(qint32 kilobytes) override;
    void revalidateSource() override;
    void refreshSource() override;

    // The length in bytes of one recording block for the current format and
    // Device.Buffer: whole sample frames, never less than one.
    quint32 BlockSize() const;

    Q_INVOKABLE bool LogProperties(const QString& header, const QString& prefix, const QString& indent) override;

    bool popupOnError() const override;
    bool popupOnWarning() const override;
    bool vantageOpensOnLog() const override;

private:
    friend class TnvRecordPrivate;
    std::unique_ptr<TnvRecordPrivate> d;
};
