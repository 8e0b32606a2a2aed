#pragma once

// The pop-up settings of the wave play control: which of its events open or bring
// forward its inspector window.

#include "TnvWavePopup.h"

class TnvPlayPopup : public TnvWavePopup {
    Q_OBJECT
    Q_PROPERTY(bool OnDone READ OnDone WRITE setOnDone)
    Q_PROPERTY(bool OnError READ OnError WRITE setOnError)
    Q_PROPERTY(bool OnLoaded READ OnLoaded WRITE setOnLoaded)
    Q_PROPERTY(bool OnLoop READ OnLoop WRITE setOnLoop)
    Q_PROPERTY(bool OnTimer READ OnTimer WRITE setOnTimer)
    Q_PROPERTY(bool OnWarning READ OnWarning WRITE setOnWarning)

public:
    enum Event { OnDoneEvent, OnErrorEvent, OnLoadedEvent, OnLoopEvent, OnTimerEvent, OnWarningEvent };

    TnvPlayPopup(TnvLog* log, QObject* parent)
        : TnvWavePopup(log,
                       {QStringLiteral("OnDone"), QStringLiteral("OnError"), QStringLiteral("OnLoaded"),
                        QStringLiteral("OnLoop"), QStringLiteral("OnTimer"), QStringLiteral("OnWarning")},
                       parent)
    {
    }

    bool OnDone() const { return at(OnDoneEvent); }
    bool OnError() const { return at(OnErrorEvent); }
    bool OnLoaded() const { return at(OnLoadedEvent); }
    bool OnLoop() const { return at(OnLoopEvent); }
    bool OnTimer() const { return at(OnTimerEvent); }
    bool OnWarning() const { return at(OnWarningEvent); }
    void setOnDone(bool value) { setAt(OnDoneEvent, value); }
    void setOnError(bool value) { setAt(OnErrorEvent, value); }
    void setOnLoaded(bool value) { setAt(OnLoadedEvent, value); }
    void setOnLoop(bool value) { setAt(OnLoopEvent, value); }
    void setOnTimer(bool value) { setAt(OnTimerEvent, value); }
    void setOnWarning(bool value) { setAt(OnWarningEvent, value); }
};
