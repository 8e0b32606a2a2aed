// One call leg of the simulated exchange: a call on one of the exchange's own lines, as
// the service core names it, with what lies at its far end and the timers that drive it.
#pragma once

#include "../../provider/TelephonyProvider.h"
#include "NumberPlan.h"
#include "SimulatedModem.h"

#include <QList>
#include <QObject>

#include <array>
#include <memory>

namespace Telephony::Sim {

// A ring cycle of the exchange in milliseconds, before pacing.
inline constexpr int kRingCycleMs = 6000;
// The most digits a far end or a control command sends at once.
inline constexpr int kMaxDigits = 64;

inline bool singleBit(DWORD v) { return v != 0 && (v & (v - 1)) == 0; }

// What a leg is connected (or being connected) to.
struct FarEnd {
    enum Kind { None, Leg, Party } kind = None;
    CallId leg = 0;        // Leg: the leg on one of the exchange's lines
    PartyId id;            // who is there (the other line, or the outside party)
    Sim::Party party;      // Party: the number-plan party (or an outside caller)
    bool scripted = false; // Party: a number-plan party whose behaviour applies

    static FarEnd toLeg(CallId leg, const PartyId& id)
    {
        FarEnd f;
        f.kind = Leg;
        f.leg = leg;
        f.id = id;
        return f;
    }
    static FarEnd toParty(const Sim::Party& party, const PartyId& id, bool scripted)
    {
        FarEnd f;
        f.kind = Party;
        f.party = party;
        f.id = id;
        f.scripted = scripted;
        return f;
    }
};

// Independent timer channels of a leg; bumping a channel's generation cancels whatever
// is pending on it.
enum class Channel {
    Script,   // the exchange's and the far party's progress (dialing, ringing, answer...)
    Ring,     // ring cycles of an offered call and the caller giving up
    Generate, // digit or tone generation towards the far end
    Silence,  // silence detection of tone monitoring
    Far,      // far-end digits and tones sent from the control interface
    Count
};

struct SimCall {
    CallId id = 0;
    int device = 0;
    DWORD address = 0;
    quint64 seq = 0; // creation order, for "the newest call of a line"

    DWORD state = 0; // 0 until the first state is reported
    DWORD mode = 0;
    qint64 stateMs = 0;
    CallInfoData info;

    FarEnd far;
    bool outgoing = false;
    QByteArray dialed;       // normalised digits dialled so far
    bool routed = false;     // the dialled number has been acted upon
    int noAnswerMs = 30000;  // unscaled
    int ringCount = 0;
    int hops = 0;            // forwarding/redirection hops, against loops

    // Transfer: the other call of a consultation transfer (set on both).
    CallId transferPartner = 0;
    // Conference: on the conference call the members; on a member or the pending
    // consultation call the conference it belongs to.
    bool isConference = false;
    QList<CallId> members;
    CallId conference = 0;
    bool confConsult = false; // the pending consultation call of `conference`

    // Generation towards the far end.
    bool generating = false;
    DWORD genToken = 0;
    // Tone monitoring.
    DWORD monToken = 0;
    QList<LINEMONITORTONE> monitors;
    QList<bool> silenceReported;

    std::unique_ptr<SimulatedModem> modem;
    std::unique_ptr<QObject> context; // owner of the leg's pending single-shot timers
    std::array<quint64, size_t(Channel::Count)> generation{};
    bool released = false;

    quint64& gen(Channel c) { return generation[size_t(c)]; }
};

} // namespace Telephony::Sim
