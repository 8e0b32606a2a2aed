// A wave device's message to its "window" (the QObject given with CALLBACK_WINDOW): open,
// close, a played buffer done, a recorded buffer full. Delivered on the window's thread
// through its event loop; param1 is the WAVEHDR* for MM_WOM_DONE and MM_WIM_DATA.
#pragma once

#include "WaveApi.h"

#include <QEvent>

class MmMessageEvent : public QEvent {
public:
    MmMessageEvent(UINT message, void* device, DWORD_PTR param1 = 0, DWORD_PTR param2 = 0);

    // Registered once per process.
    static QEvent::Type eventType();

    UINT message() const { return m_message; }
    void* device() const { return m_device; }
    DWORD_PTR param1() const { return m_param1; }
    DWORD_PTR param2() const { return m_param2; }

private:
    UINT m_message;
    void* m_device;
    DWORD_PTR m_param1;
    DWORD_PTR m_param2;
};
