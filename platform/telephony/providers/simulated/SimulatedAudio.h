// The voice of the exchange's calls: what a voice line's wave output plays reaches the
// far end of its connected call, and its wave input hears that far end. The far end is
// another of the exchange's lines or an outside party; a party speaks what it was given
// (say) and keeps what it heard (heard), each kept with the call leg it is the far end of.
//
// Routes change on the exchange's thread (at every call state); samples move on the
// wave devices' thread; one lock guards what both see. A party's words wait for the line
// to listen: they start when the line's input records, so nothing said is missed.
#pragma once

#include "../../provider/TelephonyProvider.h"

#include <CallAudioBackend.h>

#include <QString>

#include <QByteArray>

#include <array>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

namespace Telephony::Sim {

class SimulatedSwitch;

class SimulatedAudio : public CallAudioRouter {
public:
    static constexpr int kLines = 2;
    // What a party says or hears is kept up to this long (8 kHz samples).
    static constexpr std::size_t kMaxSamples = 8000u * 600u;

    // Looks at every leg of the switch and routes each voice line to the far end of its
    // connected call (none while it has no connected call).
    void update(const SimulatedSwitch& sw);
    // The leg is gone: so is what its far party said and heard.
    void forget(CallId leg);

    // The far party of leg speaks the samples of a WAV file (8 kHz mono PCM), after
    // whatever it still has to say. False with *error set when the file will not do.
    // then: what the party does once the line has heard the last of its words, "hangup" or
    // digits to key (empty: nothing).
    bool say(CallId leg, const QString& fileName, QString* error, const QByteArray& then = {});
    // Told a party's then once its words are heard: on the wave devices' thread, with the
    // lock held, so it may only post the action to the exchange's thread.
    using SaidHandler = std::function<void(CallId leg, const QByteArray& then)>;
    void setSaidHandler(SaidHandler handler);
    // Writes what the far party of leg has heard so far as a WAV file and starts over.
    bool saveHeard(CallId leg, const QString& fileName, QString* error);

    // Typed twins for tests.
    void saySamples(CallId leg, const std::vector<qint16>& samples, const QByteArray& then = {});
    std::vector<qint16> heardSamples(CallId leg) const;

    // CallAudioRouter (the wave devices' thread).
    void played(int line, const char* data, quint32 bytes) override;
    quint32 heard(int line, char* data, quint32 bytes, bool* live) override;
    void activeChanged(int line, WaveDirection direction, bool active) override;

private:
    struct Route {
        enum Kind { None, Party, Line } kind = None;
        CallId leg = 0; // Party: the leg whose far end the party is
        int line = -1; // Line: the other line
    };
    struct Party {
        std::vector<qint16> say;
        std::size_t said = 0;
        std::vector<qint16> heard;
        QByteArray then;
    };

    mutable std::mutex m_mutex;
    std::array<Route, kLines> m_routes;
    std::map<CallId, Party> m_parties;
    std::array<std::vector<char>, kLines> m_fromLine; // what a line hears from another line
    std::array<bool, kLines> m_playing{};
    std::array<bool, kLines> m_recording{};
    SaidHandler m_saidHandler;
};

} // namespace Telephony::Sim
