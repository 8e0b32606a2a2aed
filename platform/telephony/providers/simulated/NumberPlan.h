// The simulated exchange's number plan: how a dialled string is normalised, when a
// partially dialled number is complete, and who answers at each number (the fictional
// range 555-0100 to 555-0199 and the extensions of the exchange's own lines).
// docs/number-plan.md describes the plan for people.
#pragma once

#include "../../provider/TelephonyProvider.h"

#include <QByteArray>

namespace Telephony::Sim {

// What a party of the number plan does once the exchange has routed a call to it.
enum class Behavior {
    Answer,           // rings `rings` times, then answers and stays connected
    Busy,             // LINECALLSTATE_BUSY, LINEBUSYMODE_STATION
    BusyDisconnect,   // the network gives up at once: DISCONNECTED, LINEDISCONNECTMODE_BUSY
    NoAnswer,         // rings until the caller's no-answer time-out
    SpecialInfo,      // LINECALLSTATE_SPECIALINFO, LINESPECIALINFO_NOCIRCUIT
    AnswerThenHangup, // answers after one ring, hangs up 5 s later
    Reject,           // rings once (half a cycle), then rejects
    Forward,          // forwards unconditionally to `forwardTo`
    FaxAnswer,        // answers, then the media mode turns to G3FAX
    Echo,             // answers, echoes every digit generated towards it
    Silent,           // answers and never sends anything
    DataAnswer,       // a modem answers: media mode DATAMODEM
};

struct Party {
    QByteArray number; // 7 digits, e.g. "5550100"
    QByteArray name;   // caller-ID style name, e.g. "ALICE ANSWER"
    Behavior behavior = Behavior::Answer;
    int rings = 1;           // ring cycles before answering (Answer and the answering kinds)
    QByteArray forwardTo;    // Forward: the 7-digit number the call goes to
};

// Where a complete number leads.
struct Target {
    enum Kind { Bad, Line, Party } kind = Bad;
    int device = -1;       // Line: the line device (0, 1, or 2 for the modem)
    Sim::Party party;      // Party
    QByteArray number;     // normalised number as dialled
};

// Keeps digits, '*' and '#'; drops everything else (spaces, '+', '(', ')', '-', '.',
// dialing modifiers such as ',', 'W', '@', '$', '!', ';').
QByteArray normalize(const QByteArray& dialled);

// A DTMF digit: 0-9, *, # and A-D (either case).
bool isDtmf(char c);

// Characters an application may put in a dialable address.
bool isDialable(const QByteArray& dialled);

// The longest address the exchange takes.
inline constexpr qsizetype kMaxAddressLength = 256;

// The exchange's one rule for an address handed in to call, dial, transfer, redirect,
// forward, park or pick up: at most kMaxAddressLength characters once trimmed, every one
// dialable (so ';' ending a partial number and ',' pauses pass). 0 or
// LINEERR_INVALADDRESS; whether an empty address will do, and where a number leads, is
// for each operation to judge.
LONG checkAddress(const QByteArray& address);

// Extensions of the exchange's own lines: "201" -> 0, "202" -> 1, "203" -> 2 (the modem).
int extensionDevice(const QByteArray& normalized);
QByteArray extensionOf(int device);
QByteArray lineName(int device);
PartyId lineIdentity(int device);

// A partially dialled number is complete with 7 or more characters or as an extension.
bool isComplete(const QByteArray& normalized);

// The party at a 7-digit (or longer: the last 7 count) number; false when the number is
// not in the range 555-0100 .. 555-0199.
bool lookupParty(const QByteArray& normalized, Sim::Party* party);

Target resolve(const QByteArray& normalized);

PartyId identityOf(const Sim::Party& party);

} // namespace Telephony::Sim
