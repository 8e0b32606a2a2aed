// What travels on a call of the simulated exchange besides its state: media modes,
// digits and tones generated towards the far end and heard from it, tone and silence
// monitoring, and the data call's pseudo-terminal.
#pragma once

#include "SimulatedCall.h"

#include <functional>

namespace Telephony::Sim {

class SimulatedSwitch;

class SimulatedMedia {
public:
    explicit SimulatedMedia(SimulatedSwitch& sw)
        : m_sw(sw)
    {
    }

    // The frequencies of the exchange's standard tones (LINETONEMODE_*).
    static QList<DWORD> toneFrequencies(DWORD toneMode);

    LONG setMediaMode(CallId call, DWORD mediaModes);
    LONG generateDigits(CallId call, DWORD token, DWORD digitMode, const QByteArray& digits, DWORD duration);
    LONG generateTone(CallId call, DWORD token, DWORD toneMode, DWORD duration, const QList<LINEGENERATETONE>& tones);
    LONG monitorTones(CallId call, DWORD token, const QList<LINEMONITORTONE>& tones);
    // "comm/datamodem" on a connected data call: a pseudo-terminal for the application.
    LONG commHandle(CallId call, int* fd);

    // The far end changed the call's media mode (a fax or modem answered).
    void changeMedia(CallId id, DWORD mediaMode);
    // Where media of a leg is heard: a conference's parties are heard on the conference call.
    CallId mediaCall(CallId leg) const;
    // The far end of `leg` sent a digit, or a tone for durationMs.
    void receiveDigit(CallId leg, char digit);
    void receiveTone(CallId leg, const QList<DWORD>& frequencies, int durationMs);
    // A new stretch of silence begins.
    void restartSilence(CallId id);
    // The call left the connected state: its generation ends at once, reported as cancelled.
    void cancelGeneration(SimCall& c);

private:
    // Ends the generation in progress, if any; the cancellation is reported later.
    void endGenerationLater(SimCall& c);
    // Starts generating with token; `first` runs later unless the generation ends first.
    void startGeneration(SimCall& c, DWORD token, std::function<void()> first);
    void generateStep(CallId id, DWORD token, QByteArray digits, int index, int durationMs);
    void deliverDigit(CallId from, char digit);
    void deliverTone(CallId from, const QList<DWORD>& frequencies, int durationMs);

    SimulatedSwitch& m_sw;
};

} // namespace Telephony::Sim
