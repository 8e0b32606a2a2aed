#include "SipCallAudio.h"

#include <WaveBackendRegistry.h>

namespace Telephony::Sip {

std::shared_ptr<SipCallAudio> SipCallAudio::create(const QStringList& lineNames, QObject* context,
                                                   std::function<void(int)> changed)
{
    std::shared_ptr<SipCallAudio> audio(new SipCallAudio);
    QStringList names;
    for (const QString& name : lineNames) {
        audio->m_lines.push_back(std::make_shared<SipLineAudio>());
        names << name + QStringLiteral(" call audio");
    }
    audio->m_context = context;
    audio->m_changed = std::move(changed);
    const QStringList taken = WaveBackendRegistry::names();
    audio->m_name = QStringLiteral("sip");
    for (int n = 2; taken.contains(audio->m_name); ++n)
        audio->m_name = QStringLiteral("sip%1").arg(n);
    audio->m_backend = std::make_shared<CallAudioBackend>(names, names, audio);
    WaveBackendRegistry::add(audio->m_name, audio->m_backend, WaveBackendRegistry::kCallRank);
    return audio;
}

SipCallAudio::~SipCallAudio() = default;

void SipCallAudio::detach()
{
    {
        std::lock_guard lock(m_mutex);
        m_context = nullptr;
        m_changed = nullptr;
    }
    // Streams still open lose their device (unless another provider took the name).
    if (m_backend)
        WaveBackendRegistry::remove(m_name, m_backend.get());
    // The backend holds this router: letting go of it breaks the circle.
    m_backend.reset();
}

std::shared_ptr<SipLineAudio> SipCallAudio::line(int line) const
{
    return line >= 0 && line < int(m_lines.size()) ? m_lines[size_t(line)] : nullptr;
}

int SipCallAudio::deviceNumber(int line, WaveDirection direction) const
{
    if (line < 0 || line >= int(m_lines.size()))
        return -1;
    return WaveBackendRegistry::deviceNumber(m_name, direction, line);
}

void SipCallAudio::played(int line, const char* data, quint32 bytes)
{
    if (auto l = this->line(line))
        l->played(data, bytes);
}

quint32 SipCallAudio::heard(int line, char* data, quint32 bytes, bool* live)
{
    *live = false;
    auto l = this->line(line);
    return l ? l->heard(data, bytes, live) : 0;
}

void SipCallAudio::activeChanged(int line, WaveDirection direction, bool active)
{
    auto l = this->line(line);
    if (!l)
        return;
    if (direction == WaveDirection::Out)
        l->setPlaying(active);
    else
        l->setRecording(active);
    // The card is chosen on the provider's thread; the object may go meanwhile, which
    // drops the posted call with it.
    std::lock_guard lock(m_mutex);
    if (m_context && m_changed)
        QMetaObject::invokeMethod(m_context.data(), [changed = m_changed, line] { changed(line); },
                                  Qt::QueuedConnection);
}

} // namespace Telephony::Sip
