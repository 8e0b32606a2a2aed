#pragma once

// Which events of the phone control bring its inspector window forward, one flag per
// event, all off after construction. Four of them (OnPhoneState, OnDevSpecific,
// OnTAPIMessage, OnTAPIReply) also switch those events' trace lines on.

#include <QObject>

#include <array>

// The events in the order of the property dump.
#define TNV_PHONE_POPUP_EVENTS(X) \
    X(OnDevSpecific) \
    X(OnDigitDown) \
    X(OnDigitUp) \
    X(OnError) \
    X(OnPhoneState) \
    X(OnHandsetHookSwitch) \
    X(OnHandsetVolume) \
    X(OnHandsetGain) \
    X(OnSpeakerphoneHookSwitch) \
    X(OnSpeakerphoneVolume) \
    X(OnSpeakerphoneGain) \
    X(OnHeadsetHookSwitch) \
    X(OnHeadsetVolume) \
    X(OnHeadsetGain) \
    X(OnTAPIMessage) \
    X(OnTAPIReply)

class TnvLog;

class TnvPhonePopup : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool OnDevSpecific READ OnDevSpecific WRITE setOnDevSpecific)
    Q_PROPERTY(bool OnDigitDown READ OnDigitDown WRITE setOnDigitDown)
    Q_PROPERTY(bool OnDigitUp READ OnDigitUp WRITE setOnDigitUp)
    Q_PROPERTY(bool OnError READ OnError WRITE setOnError)
    Q_PROPERTY(bool OnPhoneState READ OnPhoneState WRITE setOnPhoneState)
    Q_PROPERTY(bool OnHandsetHookSwitch READ OnHandsetHookSwitch WRITE setOnHandsetHookSwitch)
    Q_PROPERTY(bool OnHandsetVolume READ OnHandsetVolume WRITE setOnHandsetVolume)
    Q_PROPERTY(bool OnHandsetGain READ OnHandsetGain WRITE setOnHandsetGain)
    Q_PROPERTY(bool OnSpeakerphoneHookSwitch READ OnSpeakerphoneHookSwitch WRITE setOnSpeakerphoneHookSwitch)
    Q_PROPERTY(bool OnSpeakerphoneVolume READ OnSpeakerphoneVolume WRITE setOnSpeakerphoneVolume)
    Q_PROPERTY(bool OnSpeakerphoneGain READ OnSpeakerphoneGain WRITE setOnSpeakerphoneGain)
    Q_PROPERTY(bool OnHeadsetHookSwitch READ OnHeadsetHookSwitch WRITE setOnHeadsetHookSwitch)
    Q_PROPERTY(bool OnHeadsetVolume READ OnHeadsetVolume WRITE setOnHeadsetVolume)
    Q_PROPERTY(bool OnHeadsetGain READ OnHeadsetGain WRITE setOnHeadsetGain)
    Q_PROPERTY(bool OnTAPIMessage READ OnTAPIMessage WRITE setOnTAPIMessage)
    Q_PROPERTY(bool OnTAPIReply READ OnTAPIReply WRITE setOnTAPIReply)

public:
    enum Event {
#define TNV_PHONE_POPUP_ENUM(name) name##Event,
        TNV_PHONE_POPUP_EVENTS(TNV_PHONE_POPUP_ENUM)
#undef TNV_PHONE_POPUP_ENUM
        EventCount
    };

    TnvPhonePopup(TnvLog* log, QObject* parent);

#define TNV_PHONE_POPUP_ACCESSORS(name) \
    bool name() const { return m_flags[name##Event]; } \
    void set##name(bool value) { m_flags[name##Event] = value; }
    TNV_PHONE_POPUP_EVENTS(TNV_PHONE_POPUP_ACCESSORS)
#undef TNV_PHONE_POPUP_ACCESSORS

    bool flag(Event event) const { return event >= 0 && event < EventCount && m_flags[event]; }
    void setFlag(Event event, bool value);
    // By the event's name ("OnDigitUp"), as the inspector's Popup menu names them; an
    // unknown name reads as false and sets nothing.
    bool flag(const QString& eventName) const;
    bool setFlag(const QString& eventName, bool value);

    // The event's name, or null outside the range.
    static const char* eventName(int event);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvLog* m_log;
    std::array<bool, EventCount> m_flags{};
};
