#include "NumberPlan.h"

#include "../../TapiConstants.h"

namespace Telephony::Sim {

namespace {

struct PlanEntry {
    int suffix; // 100 .. 199
    const char* name;
    Behavior behavior;
    int rings;
};

// The named parties; every other number of the range answers after one ring.
constexpr PlanEntry kPlan[] = {
    {100, "ALICE ANSWER", Behavior::Answer, 2},
    {101, "BEN BUSY", Behavior::Busy, 0},
    {102, "NORA NOANSWER", Behavior::NoAnswer, 0},
    {103, "NO CIRCUIT", Behavior::SpecialInfo, 0},
    {104, "HANK HANGUP", Behavior::AnswerThenHangup, 1},
    {105, "RITA REJECT", Behavior::Reject, 0},
    {106, "BOB FORWARD", Behavior::Forward, 0},
    {107, "FAX MACHINE", Behavior::FaxAnswer, 1},
    {108, "ECHO TEST", Behavior::Echo, 1},
    {109, "SILENT SAM", Behavior::Silent, 1},
    {110, "DATA MODEM", Behavior::DataAnswer, 1},
    {111, "TRUNK BUSY", Behavior::BusyDisconnect, 0},
};

bool isDigitish(char c) { return (c >= '0' && c <= '9') || c == '*' || c == '#'; }

} // namespace

QByteArray normalize(const QByteArray& dialled)
{
    QByteArray out;
    out.reserve(dialled.size());
    for (char c : dialled)
        if (isDigitish(c))
            out.append(c);
    return out;
}

bool isDtmf(char c)
{
    return isDigitish(c) || (c >= 'A' && c <= 'D') || (c >= 'a' && c <= 'd');
}

bool isDialable(const QByteArray& dialled)
{
    static const QByteArray extra(" +-().,;!@$WwPpTtABCDabcd");
    for (char c : dialled)
        if (!isDigitish(c) && !extra.contains(c))
            return false;
    return true;
}

LONG checkAddress(const QByteArray& address)
{
    const QByteArray text = address.trimmed();
    return text.size() <= kMaxAddressLength && isDialable(text) ? LONG(0) : LONG(LINEERR_INVALADDRESS);
}

int extensionDevice(const QByteArray& normalized)
{
    if (normalized == "201")
        return 0;
    if (normalized == "202")
        return 1;
    if (normalized == "203")
        return 2;
    return -1;
}

QByteArray extensionOf(int device)
{
    return QByteArray::number(201 + device);
}

QByteArray lineName(int device)
{
    switch (device) {
    case 0:
        return "Linkora Line 1";
    case 1:
        return "Linkora Line 2";
    default:
        return "Linkora Modem";
    }
}

PartyId lineIdentity(int device)
{
    return PartyId{LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS, extensionOf(device), lineName(device)};
}

bool isComplete(const QByteArray& normalized)
{
    return normalized.size() >= 7 || extensionDevice(normalized) >= 0;
}

bool lookupParty(const QByteArray& normalized, Sim::Party* party)
{
    if (normalized.size() < 7)
        return false;
    const QByteArray last = normalized.right(7);
    for (char c : last)
        if (c < '0' || c > '9')
            return false;
    if (!last.startsWith("5550"))
        return false;
    const int suffix = last.mid(3).toInt();
    if (suffix < 100 || suffix > 199)
        return false;
    Sim::Party p;
    p.number = last;
    p.name = "TEST PARTY " + last.mid(3);
    p.behavior = Behavior::Answer;
    p.rings = 1;
    for (const PlanEntry& e : kPlan) {
        if (e.suffix == suffix) {
            p.name = e.name;
            p.behavior = e.behavior;
            p.rings = e.rings;
        }
    }
    if (p.behavior == Behavior::Forward)
        p.forwardTo = "5550100";
    if (party)
        *party = p;
    return true;
}

Target resolve(const QByteArray& normalized)
{
    Target t;
    t.number = normalized;
    const int device = extensionDevice(normalized);
    if (device >= 0) {
        t.kind = Target::Line;
        t.device = device;
    } else if (lookupParty(normalized, &t.party)) {
        t.kind = Target::Party;
    }
    return t;
}

PartyId identityOf(const Sim::Party& party)
{
    return PartyId{LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS, party.number, party.name};
}

} // namespace Telephony::Sim
