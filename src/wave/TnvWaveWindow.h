#pragma once

// The hidden window of a wave control: the object the wave layer posts its device
// messages to (MM_WOM_* and MM_WIM_*). It hands each one to the control on the event
// loop; once detached it drops what still arrives, so a message can never reach a
// control that has moved on to another device.

#include <QObject>

#include <functional>

class MmMessageEvent;

class TnvWaveWindow : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(const MmMessageEvent& message)>;

    explicit TnvWaveWindow(Handler handler, QObject* parent = nullptr);

    // Forgets the handler and frees the window once the event loop comes back to it;
    // safe to call from within the handler.
    void release();

protected:
    bool event(QEvent* event) override;

private:
    Handler m_handler;
};
