// The simulated exchange's control interface (tests and the linkora-sim tool): one JSON
// command at a time, every argument checked, answered with {"ok": true, ...} or
// {"ok": false, "error": text}. The far ends and the exchange do the work.
#pragma once

#include "SimulatedCall.h"

#include <QJsonObject>

namespace Telephony::Sim {

class ControlArguments;
class SimulatedAudio;
class SimulatedFarEnd;
class SimulatedSwitch;

class SimulatedControl {
public:
    SimulatedControl(SimulatedSwitch& sw, SimulatedFarEnd& farEnd)
        : m_sw(sw)
        , m_farEnd(farEnd)
    {
    }

    QJsonObject run(const QString& command, const QJsonObject& args);
    void setAudio(SimulatedAudio* audio) { m_audio = audio; }
    // The far party of leg has said its words; it does what "say" was told it does then.
    void afterSaying(CallId leg, const QByteArray& then);

private:
    using Command = QJsonObject (SimulatedControl::*)(ControlArguments&);
    struct Entry {
        const char* name;
        Command run;
    };
    static const Entry s_commands[];

    // "call", or else the newest active call of "line".
    bool readCall(ControlArguments& args, CallId* call) const;
    bool readLine(ControlArguments& args, bool voiceOnly, int* device) const;
    // The answer of a command on one call: the call, or why the far end could not act.
    static QJsonObject onCall(CallId call, bool done, const QString& why);

    QJsonObject ring(ControlArguments& args);
    QJsonObject answer(ControlArguments& args);
    QJsonObject hangUp(ControlArguments& args);
    QJsonObject digits(ControlArguments& args);
    QJsonObject tone(ControlArguments& args);
    QJsonObject silence(ControlArguments& args);
    QJsonObject media(ControlArguments& args);
    QJsonObject dialTone(ControlArguments& args);
    QJsonObject lineState(ControlArguments& args);
    QJsonObject addressState(ControlArguments& args);
    QJsonObject devSpecific(ControlArguments& args);
    QJsonObject close(ControlArguments& args);
    QJsonObject forward(ControlArguments& args);
    QJsonObject pacing(ControlArguments& args);
    QJsonObject button(ControlArguments& args);
    QJsonObject hookSwitch(ControlArguments& args);
    QJsonObject lift(ControlArguments& args);
    QJsonObject replace(ControlArguments& args);
    QJsonObject volume(ControlArguments& args);
    QJsonObject gain(ControlArguments& args);
    QJsonObject phoneDevSpecific(ControlArguments& args);
    QJsonObject phoneClose(ControlArguments& args);
    // The phone's "device" (handset when absent), and the mode or level the commands set.
    QJsonObject setHookSwitch(ControlArguments& args, DWORD mode);
    QJsonObject setLevel(ControlArguments& args, bool volume);
    QJsonObject calls(ControlArguments& args);
    QJsonObject say(ControlArguments& args);
    QJsonObject heard(ControlArguments& args);
    // The call of "say" and "heard" and its "file"; the call's far end must be a party.
    bool readPartyFile(ControlArguments& args, CallId* call, QString* file) const;
    QJsonObject onPartyFile(ControlArguments& args, bool (SimulatedAudio::*act)(CallId, const QString&, QString*));
    QJsonObject help(ControlArguments& args);

    SimulatedSwitch& m_sw;
    SimulatedFarEnd& m_farEnd;
    SimulatedAudio* m_audio = nullptr;
};

} // namespace Telephony::Sim
