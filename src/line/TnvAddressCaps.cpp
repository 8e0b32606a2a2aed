#include "TnvAddressCaps.h"

#include "TnvLineContext.h"
#include "TnvTapiBuffer.h"

#include <TapiConstants.h>
#include <TnvConstantTexts.h>
#include <TnvLog.h>
#include <TnvVantage.h>

TnvAddressCaps::TnvAddressCaps(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("Capabilities"));
}

bool TnvAddressCaps::store(const QByteArray& addressCapsBlock)
{
    if (addressCapsBlock.size() < qsizetype(sizeof(LINEADDRESSCAPS)))
        return false;
    const LINEADDRESSCAPS& caps = TnvTapiBuffer::fields<LINEADDRESSCAPS>(addressCapsBlock);
    m_flags = caps.dwAddrCapFlags;
    m_busyModes = caps.dwBusyModes;
    m_callerIDFlags = caps.dwCallerIDFlags;
    m_calledIDFlags = caps.dwCalledIDFlags;
    m_connectedIDFlags = caps.dwConnectedIDFlags;
    m_redirectionIDFlags = caps.dwRedirectionIDFlags;
    m_redirectingIDFlags = caps.dwRedirectingIDFlags;
    m_callInfoStates = caps.dwCallInfoStates;
    m_callStates = caps.dwCallStates;
    m_dialtoneModes = caps.dwDialToneModes;
    m_disconnectModes = caps.dwDisconnectModes;
    m_states = caps.dwAddressStates;
    m_specialInfo = caps.dwSpecialInfo;
    m_maxNumActiveCalls = caps.dwMaxNumActiveCalls;
    m_maxNumOnHoldCalls = caps.dwMaxNumOnHoldCalls;
    m_maxNumOnHoldPendingCalls = caps.dwMaxNumOnHoldPendingCalls;
    m_maxNumConference = caps.dwMaxNumConference;
    m_maxNumTransConf = caps.dwMaxNumTransConf;
    m_callFeatures = caps.dwCallFeatures;
    m_callFeatures2 = caps.dwCallFeatures2;
    m_removeFromConfCaps = caps.dwRemoveFromConfCaps;
    m_removeFromConfState = caps.dwRemoveFromConfState;
    m_transferModes = caps.dwTransferModes;
    m_parkModes = caps.dwParkModes;
    m_forwardModes = caps.dwForwardModes;
    m_maxForwardEntries = caps.dwMaxForwardEntries;
    m_maxSpecificEntries = caps.dwMaxSpecificEntries;
    m_minFwdNumRings = caps.dwMinFwdNumRings;
    m_maxFwdNumRings = caps.dwMaxFwdNumRings;
    m_features = caps.dwAddressFeatures;
    m_maxNoAnswerTimeout = caps.dwMaxNoAnswerTimeout;
    m_connectedModes = caps.dwConnectedModes;
    m_offeringModes = caps.dwOfferingModes;
    // A block that lies outside the structure yields no copy, so the size reads 0.
    m_devSpecific = TnvTapiBuffer::part(addressCapsBlock, caps.dwDevSpecificSize, caps.dwDevSpecificOffset);
    return true;
}

void TnvAddressCaps::clear()
{
    for (quint32* value :
         {&m_flags, &m_busyModes, &m_callerIDFlags, &m_calledIDFlags, &m_connectedIDFlags, &m_redirectionIDFlags,
          &m_redirectingIDFlags, &m_callInfoStates, &m_callStates, &m_dialtoneModes, &m_disconnectModes, &m_states,
          &m_specialInfo, &m_maxNumActiveCalls, &m_maxNumOnHoldCalls, &m_maxNumOnHoldPendingCalls, &m_maxNumConference,
          &m_maxNumTransConf, &m_callFeatures, &m_callFeatures2, &m_removeFromConfCaps, &m_removeFromConfState,
          &m_transferModes, &m_parkModes, &m_forwardModes, &m_maxForwardEntries, &m_maxSpecificEntries,
          &m_minFwdNumRings, &m_maxFwdNumRings, &m_features, &m_maxNoAnswerTimeout, &m_connectedModes,
          &m_offeringModes})
        *value = 0;
    m_devSpecific.clear();
}

bool TnvAddressCaps::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Capabilities");
    if (!opened)
        return false;
    const QString& path = *opened;
    TnvVantage* vantage = m_line->Vantage();
    const auto flags = [&](const char* name, quint32 value, TnvTextFn text, quint32 last, quint32 first) {
        vantage->LogFlags(path + QLatin1String(name), value, text, last, first);
    };
    const auto number = [&](const char* name, quint32 value) {
        log->Add(false, path + QLatin1String(name) + QStringLiteral(" = ") + QString::number(value));
    };
    const quint32 partyFirst = LINECALLPARTYID_BLOCKED;
    const quint32 partyLast = LINECALLPARTYID_UNAVAIL;

    // The trace has always written this name with a blank before " = ".
    flags("BusyModes ", m_busyModes, BusyModeText, LINEBUSYMODE_UNAVAIL, LINEBUSYMODE_STATION);
    flags("CalledIDFlags", m_calledIDFlags, CallPartyIDText, partyLast, partyFirst);
    flags("CallerIDFlags", m_callerIDFlags, CallPartyIDText, partyLast, partyFirst);
    flags("CallFeatures", m_callFeatures, CallFeatureText, LINECALLFEATURE_SETQOS, LINECALLFEATURE_ACCEPT);
    flags("CallFeatures2", m_callFeatures2, CallFeature2Text, LINECALLFEATURE2_PARKNONDIRECT,
          LINECALLFEATURE2_NOHOLDCONFERENCE);
    flags("CallInfoStates", m_callInfoStates, CallInfoStateText, LINECALLINFOSTATE_CALLDATA, LINECALLINFOSTATE_OTHER);
    flags("CallStates", m_callStates, CallStateText, LINECALLSTATE_UNKNOWN, LINECALLSTATE_IDLE);
    flags("ConnectedIDFlags", m_connectedIDFlags, CallPartyIDText, partyLast, partyFirst);
    flags("ConnectedModes", m_connectedModes, ConnectedModeText, LINECONNECTEDMODE_CONFIRMED,
          LINECONNECTEDMODE_ACTIVE);
    // These two sit one level deeper than their neighbours in the trace.
    log->Add(false, QLatin1Char('\t') + path + QStringLiteral("DevSpecific = ") + TnvVantage::HexText(DevSpecificSize()));
    log->Add(false, QLatin1Char('\t') + path + QStringLiteral("DevSpecificSize = ") + QString::number(DevSpecificSize()));
    flags("DialtoneModes", m_dialtoneModes, DialToneModeText, LINEDIALTONEMODE_UNAVAIL, LINEDIALTONEMODE_NORMAL);
    flags("DisconnectModes", m_disconnectModes, DisconnectModeText, LINEDISCONNECTMODE_CANCELLED,
          LINEDISCONNECTMODE_NORMAL);
    flags("Features", m_features, AddressFeatureText, LINEADDRFEATURE_FORWARDDND, LINEADDRFEATURE_FORWARD);
    flags("Flags", m_flags, AddressCapFlagsText, LINEADDRCAPFLAGS_ACDGROUP, LINEADDRCAPFLAGS_FWDNUMRINGS);
    flags("ForwardModes", m_forwardModes, ForwardModeText, LINEFORWARDMODE_UNAVAIL, LINEFORWARDMODE_UNCOND);
    number("MaxForwardEntries", m_maxForwardEntries);
    number("MaxFwdNumRings", m_maxFwdNumRings);
    number("MaxNoAnswerTimeout", m_maxNoAnswerTimeout);
    number("MaxNumActiveCalls", m_maxNumActiveCalls);
    number("MaxNumOnHoldCalls", m_maxNumOnHoldCalls);
    number("MaxNumOnHoldPendingCalls", m_maxNumOnHoldPendingCalls);
    number("MaxNumConference", m_maxNumConference);
    number("MaxNumTransConf", m_maxNumTransConf);
    number("MaxSpecificEntries", m_maxSpecificEntries);
    number("MinFwdNumRings", m_minFwdNumRings);
    flags("OfferingModes", m_offeringModes, OfferingModeText, LINEOFFERINGMODE_INACTIVE, LINEOFFERINGMODE_ACTIVE);
    flags("ParkModes", m_parkModes, ParkModeText, LINEPARKMODE_NONDIRECTED, LINEPARKMODE_DIRECTED);
    flags("RedirectingIDFlags", m_redirectingIDFlags, CallPartyIDText, partyLast, partyFirst);
    flags("RedirectionIDFlags", m_redirectionIDFlags, CallPartyIDText, partyLast, partyFirst);
    // An enumeration rather than a set: the value itself is named.
    vantage->LogSteps(path + QStringLiteral("RemoveFromConfCaps"), m_removeFromConfCaps, RemoveFromConfText,
                      LINEREMOVEFROMCONF_ANY, LINEREMOVEFROMCONF_NONE);
    // The state a call is left in once removed from a conference.
    flags("RemoveFromConfState", m_removeFromConfState, CallStateText, LINECALLSTATE_UNKNOWN, LINECALLSTATE_IDLE);
    flags("SpecialInfo", m_specialInfo, SpecialInfoText, LINESPECIALINFO_UNAVAIL, LINESPECIALINFO_NOCIRCUIT);
    flags("States", m_states, AddressStateText, LINEADDRESSSTATE_CAPSCHANGE, LINEADDRESSSTATE_OTHER);
    flags("TransferModes", m_transferModes, TransferModeText, LINETRANSFERMODE_CONFERENCE, LINETRANSFERMODE_TRANSFER);
    return true;
}
