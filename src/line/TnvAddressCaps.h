#pragma once

// What the selected address can do, copied from its LINEADDRESSCAPS: the values the
// trace and the inspector show, the address-state mask asked for when the line opens,
// and an owned copy of the device-specific block.

#include <TapiStructs.h>

#include <QByteArray>
#include <QObject>

class TnvLineContext;

class TnvAddressCaps : public QObject {
    Q_OBJECT
    Q_PROPERTY(uint Flags READ Flags STORED false)
    Q_PROPERTY(uint BusyModes READ BusyModes STORED false)
    Q_PROPERTY(uint CallerIDFlags READ CallerIDFlags STORED false)
    Q_PROPERTY(uint CalledIDFlags READ CalledIDFlags STORED false)
    Q_PROPERTY(uint ConnectedIDFlags READ ConnectedIDFlags STORED false)
    Q_PROPERTY(uint RedirectionIDFlags READ RedirectionIDFlags STORED false)
    Q_PROPERTY(uint RedirectingIDFlags READ RedirectingIDFlags STORED false)
    Q_PROPERTY(uint CallInfoStates READ CallInfoStates STORED false)
    Q_PROPERTY(uint CallStates READ CallStates STORED false)
    Q_PROPERTY(uint DialtoneModes READ DialtoneModes STORED false)
    Q_PROPERTY(uint DisconnectModes READ DisconnectModes STORED false)
    Q_PROPERTY(uint States READ States STORED false)
    Q_PROPERTY(uint SpecialInfo READ SpecialInfo STORED false)
    Q_PROPERTY(uint MaxNumActiveCalls READ MaxNumActiveCalls STORED false)
    Q_PROPERTY(uint MaxNumOnHoldCalls READ MaxNumOnHoldCalls STORED false)
    Q_PROPERTY(uint MaxNumOnHoldPendingCalls READ MaxNumOnHoldPendingCalls STORED false)
    Q_PROPERTY(uint MaxNumConference READ MaxNumConference STORED false)
    Q_PROPERTY(uint MaxNumTransConf READ MaxNumTransConf STORED false)
    Q_PROPERTY(uint CallFeatures READ CallFeatures STORED false)
    Q_PROPERTY(uint CallFeatures2 READ CallFeatures2 STORED false)
    Q_PROPERTY(uint RemoveFromConfCaps READ RemoveFromConfCaps STORED false)
    Q_PROPERTY(uint RemoveFromConfState READ RemoveFromConfState STORED false)
    Q_PROPERTY(uint TransferModes READ TransferModes STORED false)
    Q_PROPERTY(uint ParkModes READ ParkModes STORED false)
    Q_PROPERTY(uint ForwardModes READ ForwardModes STORED false)
    Q_PROPERTY(uint MaxForwardEntries READ MaxForwardEntries STORED false)
    Q_PROPERTY(uint MaxSpecificEntries READ MaxSpecificEntries STORED false)
    Q_PROPERTY(uint MinFwdNumRings READ MinFwdNumRings STORED false)
    Q_PROPERTY(uint MaxFwdNumRings READ MaxFwdNumRings STORED false)
    Q_PROPERTY(uint Features READ Features STORED false)
    Q_PROPERTY(uint MaxNoAnswerTimeout READ MaxNoAnswerTimeout STORED false)
    Q_PROPERTY(uint ConnectedModes READ ConnectedModes STORED false)
    Q_PROPERTY(uint OfferingModes READ OfferingModes STORED false)
    Q_PROPERTY(int DevSpecificSize READ DevSpecificSize STORED false)
    Q_PROPERTY(QByteArray DevSpecific READ DevSpecific STORED false)

public:
    TnvAddressCaps(TnvLineContext* line, QObject* parent);

    quint32 Flags() const { return m_flags; }
    quint32 BusyModes() const { return m_busyModes; }
    quint32 CallerIDFlags() const { return m_callerIDFlags; }
    quint32 CalledIDFlags() const { return m_calledIDFlags; }
    quint32 ConnectedIDFlags() const { return m_connectedIDFlags; }
    quint32 RedirectionIDFlags() const { return m_redirectionIDFlags; }
    quint32 RedirectingIDFlags() const { return m_redirectingIDFlags; }
    quint32 CallInfoStates() const { return m_callInfoStates; }
    quint32 CallStates() const { return m_callStates; }
    quint32 DialtoneModes() const { return m_dialtoneModes; }
    quint32 DisconnectModes() const { return m_disconnectModes; }
    quint32 States() const { return m_states; }
    quint32 SpecialInfo() const { return m_specialInfo; }
    quint32 MaxNumActiveCalls() const { return m_maxNumActiveCalls; }
    quint32 MaxNumOnHoldCalls() const { return m_maxNumOnHoldCalls; }
    quint32 MaxNumOnHoldPendingCalls() const { return m_maxNumOnHoldPendingCalls; }
    quint32 MaxNumConference() const { return m_maxNumConference; }
    quint32 MaxNumTransConf() const { return m_maxNumTransConf; }
    quint32 CallFeatures() const { return m_callFeatures; }
    quint32 CallFeatures2() const { return m_callFeatures2; }
    quint32 RemoveFromConfCaps() const { return m_removeFromConfCaps; }
    quint32 RemoveFromConfState() const { return m_removeFromConfState; }
    quint32 TransferModes() const { return m_transferModes; }
    quint32 ParkModes() const { return m_parkModes; }
    quint32 ForwardModes() const { return m_forwardModes; }
    quint32 MaxForwardEntries() const { return m_maxForwardEntries; }
    quint32 MaxSpecificEntries() const { return m_maxSpecificEntries; }
    quint32 MinFwdNumRings() const { return m_minFwdNumRings; }
    quint32 MaxFwdNumRings() const { return m_maxFwdNumRings; }
    quint32 Features() const { return m_features; }
    quint32 MaxNoAnswerTimeout() const { return m_maxNoAnswerTimeout; }
    quint32 ConnectedModes() const { return m_connectedModes; }
    quint32 OfferingModes() const { return m_offeringModes; }
    qint32 DevSpecificSize() const { return qint32(m_devSpecific.size()); }
    const QByteArray& DevSpecific() const { return m_devSpecific; }

    // Takes the values from a LINEADDRESSCAPS block as the service returned it; a block
    // shorter than the fixed part changes nothing and gives false.
    bool store(const QByteArray& addressCapsBlock);
    // Back to construction: all values 0, no device-specific copy.
    void clear();

    // Lines start with the caller's prefix ("Address") and "Capabilities.".
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvLineContext* m_line;
    quint32 m_flags = 0;
    quint32 m_busyModes = 0;
    quint32 m_callerIDFlags = 0;
    quint32 m_calledIDFlags = 0;
    quint32 m_connectedIDFlags = 0;
    quint32 m_redirectionIDFlags = 0;
    quint32 m_redirectingIDFlags = 0;
    quint32 m_callInfoStates = 0;
    quint32 m_callStates = 0;
    quint32 m_dialtoneModes = 0;
    quint32 m_disconnectModes = 0;
    quint32 m_states = 0;
    quint32 m_specialInfo = 0;
    quint32 m_maxNumActiveCalls = 0;
    quint32 m_maxNumOnHoldCalls = 0;
    quint32 m_maxNumOnHoldPendingCalls = 0;
    quint32 m_maxNumConference = 0;
    quint32 m_maxNumTransConf = 0;
    quint32 m_callFeatures = 0;
    quint32 m_callFeatures2 = 0;
    quint32 m_removeFromConfCaps = 0;
    quint32 m_removeFromConfState = 0;
    quint32 m_transferModes = 0;
    quint32 m_parkModes = 0;
    quint32 m_forwardModes = 0;
    quint32 m_maxForwardEntries = 0;
    quint32 m_maxSpecificEntries = 0;
    quint32 m_minFwdNumRings = 0;
    quint32 m_maxFwdNumRings = 0;
    quint32 m_features = 0;
    quint32 m_maxNoAnswerTimeout = 0;
    quint32 m_connectedModes = 0;
    quint32 m_offeringModes = 0;
    QByteArray m_devSpecific;
};
