#pragma once

// The pop-up settings of the wave record control: which of its events open or bring
// forward its inspector window.

#include "TnvWavePopup.h"

class TnvRecordPopup : public TnvWavePopup {
    Q_OBJECT
    Q_PROPERTY(bool OnDone READ OnDone WRITE setOnDone)
    Q_PROPERTY(bool OnError READ OnError WRITE setOnError)
    Q_PROPERTY(bool OnWarning READ OnWarning WRITE setOnWarning)

public:
    enum Event { OnDoneEvent, OnErrorEvent, OnWarningEvent };

    TnvRecordPopup(TnvLog* log, QObject* parent)
        : TnvWavePopup(log, {QStringLiteral("OnDone"), QStringLiteral("OnError"), QStringLiteral("OnWarning")}, parent)
    {
    }

    bool OnDone() const { return at(OnDoneEvent); }
    bool OnError() const { return at(OnErrorEvent); }
    bool OnWarning() const { return at(OnWarningEvent); }
    void setOnDone(bool value) { setAt(OnDoneEvent, value); }
    void setOnError(bool value) { setAt(OnErrorEvent, value); }
    void setOnWarning(bool value) { setAt(OnWarningEvent, value); }
};
