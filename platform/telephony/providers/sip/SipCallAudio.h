// The wave devices of the SIP lines: one output and one input per line, named after the
// line ("SIP alice@example.org call audio"), each line's pair carried to its calls by
// the line's SipLineAudio and sound card. Lives as long as the provider's set of lines;
// its devices leave the wave layer with it.
#pragma once

#include "SipLineAudio.h"

#include <CallAudioBackend.h>

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace Telephony::Sip {

class SipCallAudio : public CallAudioRouter {
public:
    // Registers the devices of lines named lineNames (in line order) with the wave layer.
    // A line's wave device starting or stopping calls changed(line) on context's thread.
    static std::shared_ptr<SipCallAudio> create(const QStringList& lineNames, QObject* context,
                                                std::function<void(int line)> changed);
    ~SipCallAudio() override;

    // Takes the devices out of the wave layer (their open streams fail) and calls no one
    // any more; called before the lines go.
    void detach();

    std::shared_ptr<SipLineAudio> line(int line) const;
    // The wave device number of a line's output or input, -1 when there is none.
    int deviceNumber(int line, WaveDirection direction) const;

    // CallAudioRouter (the wave devices' thread).
    void played(int line, const char* data, quint32 bytes) override;
    quint32 heard(int line, char* data, quint32 bytes, bool* live) override;
    void activeChanged(int line, WaveDirection direction, bool active) override;

private:
    SipCallAudio() = default;

    // "sip", or "sip2", "sip3"... while an earlier set of lines still has its devices, so
    // each set finds its own.
    QString m_name;
    std::vector<std::shared_ptr<SipLineAudio>> m_lines;
    std::shared_ptr<CallAudioBackend> m_backend;
    std::mutex m_mutex; // guards the two below against detach()
    QPointer<QObject> m_context;
    std::function<void(int)> m_changed;
};

} // namespace Telephony::Sip
