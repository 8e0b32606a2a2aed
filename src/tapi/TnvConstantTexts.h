// Constant-to-text tables: the names under which TAPI values appear in trace lines and
// inspector trees. Flag sets are split by the callers, so each table names single values.
#pragma once

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <span>

// One TAPI value and its name without the family prefix.
struct TapiName
{
    quint32 value;
    const char* name;
};

// A family of TAPI constants sharing one prefix. Lookups are an exact-value scan: the
// tables are short and this runs for every trace line, so no allocation beyond the result.
class TapiNameTable
{
public:
    template <std::size_t N>
    constexpr TapiNameTable(const char* prefix, const TapiName (&names)[N])
        : m_prefix(prefix), m_names(names)
    {
    }

    const char* prefix() const { return m_prefix; }

    // The bare name of value, or nullptr when the family does not list it.
    const char* nameOf(quint32 value) const
    {
        for (const TapiName& entry : m_names) {
            if (entry.value == value)
                return entry.name;
        }
        return nullptr;
    }

    // Prefix and name; an unlisted value gives the prefix followed by "???".
    QString text(quint32 value) const;

private:
    const char* m_prefix;
    std::span<const TapiName> m_names;
};

QString BearerModeText(quint32 value);
QString ToneModeText(quint32 value);
QString AddressCapFlagsText(quint32 value);
QString CallPartyIDText(quint32 value);
QString CallInfoStateText(quint32 value);
QString CallStateText(quint32 value);
QString CallFeatureText(quint32 value);
QString CallFeature2Text(quint32 value);
QString BusyModeText(quint32 value);
QString DialToneModeText(quint32 value);
QString DisconnectModeText(quint32 value);
QString SpecialInfoText(quint32 value);
QString CallOriginText(quint32 value);
QString CallReasonText(quint32 value);
QString MediaModeText(quint32 value);
QString TermDevText(quint32 value);
QString TermModeText(quint32 value);
QString TermSharingText(quint32 value);
QString AddressStateText(quint32 value);
QString DevCapFlagsText(quint32 value);
QString LineDevStateText(quint32 value);
QString RemoveFromConfText(quint32 value);
QString TransferModeText(quint32 value);
QString ParkModeText(quint32 value);
QString LineFeatureText(quint32 value);
QString CallParamFlagsText(quint32 value);
QString ForwardModeText(quint32 value);
QString AddressFeatureText(quint32 value);
QString AnswerModeText(quint32 value);
QString ConnectedModeText(quint32 value);
QString OfferingModeText(quint32 value);
QString PhoneStateText(quint32 value);
QString HookSwitchDevText(quint32 value);
QString HookSwitchModeText(quint32 value);

// The mode table that belongs to a call state (dial tone, busy, special info,
// disconnected); "Not applicable" for every other state.
QString CallStateModeText(quint32 state, quint32 mode);

// The message's own name, or "???" for a number TAPI does not send.
QString MessageText(quint32 msg);

// What the device argument of a callback message holds, e.g. "Call.Handle".
QString MessageHandleText(quint32 msg);

// A string field of a TAPI structure: at most length bytes, cut at the first NUL,
// without surrounding blanks and control characters.
QString TrimmedText(const char* buffer, qint64 length);
