// Delivers one usage handle's messages to its callback on the thread that initialised
// it, through that thread's event loop: posted messages arrive in order and never inside
// the API call that caused them.
#pragma once

#include "../TapiStructs.h"

#include <QObject>

#include <deque>
#include <functional>

namespace Telephony {

struct Message {
    DWORD hDevice = 0;
    DWORD message = 0;
    DWORD instance = 0;
    DWORD param1 = 0;
    DWORD param2 = 0;
    DWORD param3 = 0;
    // Runs right before the callback: fills what the application gave an address for
    // (a call handle, gathered digits), so they are valid once the message arrives.
    std::function<void()> prepare;
};

class AppConnection : public QObject {
    Q_OBJECT

public:
    explicit AppConnection(LINECALLBACK callback);

    void post(Message message);
    void postDelayed(Message message, int milliseconds);
    // Drops what is queued; nothing more is delivered.
    void close();
    bool closed() const { return m_closed; }

private:
    void deliverNext();

    LINECALLBACK m_callback;
    std::deque<Message> m_queue;
    bool m_closed = false;
};

} // namespace Telephony
