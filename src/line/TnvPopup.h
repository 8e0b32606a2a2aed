#pragma once

// Which events of the line control bring its inspector window forward: one flag per
// event (OnLog excepted), all off after construction. The inspector's Popup menu toggles
// them by the event's name.

#include <QObject>

#include <array>

// The events in the order of the property dump.
#define TNV_LINE_POPUP_EVENTS(X) \
    X(OnAddressState) \
    X(OnLineState) \
    X(OnDevSpecific) \
    X(OnDevSpecificFeature) \
    X(OnCallerID) \
    X(OnIdle) \
    X(OnError) \
    X(OnRing) \
    X(OnCalledID) \
    X(OnConnectedID) \
    X(OnRedirectionID) \
    X(OnRedirectingID) \
    X(OnMessageOn) \
    X(OnMessageOff) \
    X(OnBusy) \
    X(OnCallBegin) \
    X(OnCallEnd) \
    X(OnCallInfo) \
    X(OnCallMediaModeChange) \
    X(OnCallOwnerChange) \
    X(OnCallState) \
    X(OnConferenced) \
    X(OnRingBack) \
    X(OnConnected) \
    X(OnSpecialInfo) \
    X(OnDialing) \
    X(OnDialtone) \
    X(OnProceeding) \
    X(OnDigitReceived) \
    X(OnDigitsSent) \
    X(OnHold) \
    X(OnHoldPendingConference) \
    X(OnHoldPendingTransfer) \
    X(OnToneSent) \
    X(OnDisconnected) \
    X(OnOffering) \
    X(OnSilence) \
    X(OnTAPIMessage) \
    X(OnTAPIReply) \
    X(OnAddressForward) \
    X(OnDigitsGathered)

class TnvLineContext;

class TnvPopup : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool OnAddressState READ OnAddressState WRITE setOnAddressState STORED false)
    Q_PROPERTY(bool OnLineState READ OnLineState WRITE setOnLineState STORED false)
    Q_PROPERTY(bool OnDevSpecific READ OnDevSpecific WRITE setOnDevSpecific STORED false)
    Q_PROPERTY(bool OnDevSpecificFeature READ OnDevSpecificFeature WRITE setOnDevSpecificFeature STORED false)
    Q_PROPERTY(bool OnCallerID READ OnCallerID WRITE setOnCallerID STORED false)
    Q_PROPERTY(bool OnIdle READ OnIdle WRITE setOnIdle STORED false)
    Q_PROPERTY(bool OnError READ OnError WRITE setOnError STORED false)
    Q_PROPERTY(bool OnRing READ OnRing WRITE setOnRing STORED false)
    Q_PROPERTY(bool OnCalledID READ OnCalledID WRITE setOnCalledID STORED false)
    Q_PROPERTY(bool OnConnectedID READ OnConnectedID WRITE setOnConnectedID STORED false)
    Q_PROPERTY(bool OnRedirectionID READ OnRedirectionID WRITE setOnRedirectionID STORED false)
    Q_PROPERTY(bool OnRedirectingID READ OnRedirectingID WRITE setOnRedirectingID STORED false)
    Q_PROPERTY(bool OnMessageOn READ OnMessageOn WRITE setOnMessageOn STORED false)
    Q_PROPERTY(bool OnMessageOff READ OnMessageOff WRITE setOnMessageOff STORED false)
    Q_PROPERTY(bool OnBusy READ OnBusy WRITE setOnBusy STORED false)
    Q_PROPERTY(bool OnCallBegin READ OnCallBegin WRITE setOnCallBegin STORED false)
    Q_PROPERTY(bool OnCallEnd READ OnCallEnd WRITE setOnCallEnd STORED false)
    Q_PROPERTY(bool OnCallInfo READ OnCallInfo WRITE setOnCallInfo STORED false)
    Q_PROPERTY(bool OnCallMediaModeChange READ OnCallMediaModeChange WRITE setOnCallMediaModeChange STORED false)
    Q_PROPERTY(bool OnCallOwnerChange READ OnCallOwnerChange WRITE setOnCallOwnerChange STORED false)
    Q_PROPERTY(bool OnCallState READ OnCallState WRITE setOnCallState STORED false)
    Q_PROPERTY(bool OnConferenced READ OnConferenced WRITE setOnConferenced STORED false)
    Q_PROPERTY(bool OnRingBack READ OnRingBack WRITE setOnRingBack STORED false)
    Q_PROPERTY(bool OnConnected READ OnConnected WRITE setOnConnected STORED false)
    Q_PROPERTY(bool OnSpecialInfo READ OnSpecialInfo WRITE setOnSpecialInfo STORED false)
    Q_PROPERTY(bool OnDialing READ OnDialing WRITE setOnDialing STORED false)
    Q_PROPERTY(bool OnDialtone READ OnDialtone WRITE setOnDialtone STORED false)
    Q_PROPERTY(bool OnProceeding READ OnProceeding WRITE setOnProceeding STORED false)
    Q_PROPERTY(bool OnDigitReceived READ OnDigitReceived WRITE setOnDigitReceived STORED false)
    Q_PROPERTY(bool OnDigitsSent READ OnDigitsSent WRITE setOnDigitsSent STORED false)
    Q_PROPERTY(bool OnHold READ OnHold WRITE setOnHold STORED false)
    Q_PROPERTY(bool OnHoldPendingConference READ OnHoldPendingConference WRITE setOnHoldPendingConference STORED false)
    Q_PROPERTY(bool OnHoldPendingTransfer READ OnHoldPendingTransfer WRITE setOnHoldPendingTransfer STORED false)
    Q_PROPERTY(bool OnToneSent READ OnToneSent WRITE setOnToneSent STORED false)
    Q_PROPERTY(bool OnDisconnected READ OnDisconnected WRITE setOnDisconnected STORED false)
    Q_PROPERTY(bool OnOffering READ OnOffering WRITE setOnOffering STORED false)
    Q_PROPERTY(bool OnSilence READ OnSilence WRITE setOnSilence STORED false)
    Q_PROPERTY(bool OnTAPIMessage READ OnTAPIMessage WRITE setOnTAPIMessage STORED false)
    Q_PROPERTY(bool OnTAPIReply READ OnTAPIReply WRITE setOnTAPIReply STORED false)
    Q_PROPERTY(bool OnAddressForward READ OnAddressForward WRITE setOnAddressForward STORED false)
    Q_PROPERTY(bool OnDigitsGathered READ OnDigitsGathered WRITE setOnDigitsGathered STORED false)

public:
    enum Event {
#define TNV_POPUP_ENUM(name) name##Event,
        TNV_LINE_POPUP_EVENTS(TNV_POPUP_ENUM)
#undef TNV_POPUP_ENUM
        EventCount
    };

    TnvPopup(TnvLineContext* line, QObject* parent);

#define TNV_POPUP_ACCESSORS(name) \
    bool name() const { return m_flags[name##Event]; } \
    void set##name(bool value) { m_flags[name##Event] = value; }
    TNV_LINE_POPUP_EVENTS(TNV_POPUP_ACCESSORS)
#undef TNV_POPUP_ACCESSORS

    bool flag(Event event) const { return m_flags[event]; }
    void setFlag(Event event, bool value) { m_flags[event] = value; }
    // By the event's name ("OnCallState"); an unknown name reads as false and is not set.
    bool flag(const char* eventName) const;
    bool setFlag(const char* eventName, bool value);

    // The event's name, or null outside the range.
    static const char* eventName(int event);
    // The event called eventName, or EventCount when there is none.
    static Event eventOf(const char* eventName);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvLineContext* m_line;
    std::array<bool, EventCount> m_flags{};
};
