#pragma once

// The wave play control TnvPlay: plays its source (one or more WAVE files, or a wave
// buffer) on a waveOut device as one buffer, with pause, loop, positioning, a wait-until-
// done mode, a delay before closing, volume and a timer. The device's messages arrive on
// the event loop; every change and step is written to the trace log.

#include "TnvPlayDevice.h"
#include "TnvPlayPopup.h"
#include "TnvPlayPosition.h"
#include "TnvPlayTimer.h"
#include "TnvPlayVolume.h"
#include "TnvWaveControl.h"

#include <memory>

class TnvPlayPrivate;

class TnvPlay : public TnvWaveControl {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(TnvPlayDevice* Device READ Device CONSTANT)
    Q_PROPERTY(TnvPlayPosition* Position READ Position CONSTANT STORED false)
    Q_PROPERTY(TnvPlayVolume* Volume READ Volume CONSTANT)
    Q_PROPERTY(TnvPlayTimer* Timer READ Timer CONSTANT)
    Q_PROPERTY(TnvPlayPopup* Popup READ Popup CONSTANT)

public:
    explicit TnvPlay(QObject* owner = nullptr);
    ~TnvPlay() override;

    // After the sound was loaded, each time the end is reached while looping, after
    // playback ended by itself and the device was closed, and every Timer.Interval while
    // playing with the timer enabled.
    TNV_NotifyEvent OnLoaded;
    TNV_NotifyEvent OnLoop;
    TNV_NotifyEvent OnDone;
    TNV_NotifyEvent OnTimer;

    TnvPlayDevice* Device() const;
    TnvPlayPosition* Position() const;
    TnvPlayVolume* Volume() const;
    TnvPlayTimer* Timer() const;
    TnvPlayPopup* Popup() const;

    // True lists the waveOut devices; False empties the list and hides the window.
    bool Enabled() const override;
    void setEnabled(bool value) override;

    bool deviceActive() const override;
    void assignSourceFileName(const QString& name) override;
    void revalidateSource() override;
    void refreshSource() override;

    Q_INVOKABLE bool LogProperties(const QString& header, const QString& prefix, const QString& indent) override;

    bool popupOnError() const override;
    bool popupOnWarning() const override;
    bool vantageOpensOnLog() const override;

private:
    friend class TnvPlayPrivate;
    std::unique_ptr<TnvPlayPrivate> d;
};
