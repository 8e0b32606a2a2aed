#pragma once

// A wave device's window in tests: counts the buffers the device handed back, played
// (MM_WOM_DONE) or filled (MM_WIM_DATA).

#include <MmMessageEvent.h>
#include <WaveApi.h>

#include <QEvent>
#include <QObject>

class WaveDoneCounter : public QObject {
public:
    int done = 0;
    bool event(QEvent* e) override
    {
        if (e->type() != MmMessageEvent::eventType())
            return QObject::event(e);
        const UINT m = static_cast<MmMessageEvent*>(e)->message();
        done += m == MM_WOM_DONE || m == MM_WIM_DATA;
        return true;
    }
};
