#pragma once

// One hook-switch device of the phone: the handset, the speakerphone or the headset. Its
// mode (on hook, microphone only, speaker only, microphone and speaker), volume and gain
// are set through the service while the phone is open, each request keeping its
// identifier in a slot of its own until the reply comes; the service's state messages
// keep the values current.

#include "TnvPhoneEvents.h"
#include "TnvPhonePopup.h"

#include <TapiStructs.h>

#include <QObject>

class TnvPhonePrivate;

class TnvHookSwitchDevice : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Available READ Available STORED false)
    Q_PROPERTY(bool VolumeAvailable READ VolumeAvailable STORED false)
    Q_PROPERTY(bool GainAvailable READ GainAvailable STORED false)
    Q_PROPERTY(uint Modes READ Modes STORED false)
    Q_PROPERTY(bool OnHook READ OnHook WRITE setOnHook STORED false)
    Q_PROPERTY(bool MicrophoneOnly READ MicrophoneOnly WRITE setMicrophoneOnly STORED false)
    Q_PROPERTY(bool SpeakerOnly READ SpeakerOnly WRITE setSpeakerOnly STORED false)
    Q_PROPERTY(bool MicrophoneAndSpeaker READ MicrophoneAndSpeaker WRITE setMicrophoneAndSpeaker STORED false)
    Q_PROPERTY(int Volume READ Volume WRITE setVolume STORED false)
    Q_PROPERTY(int Gain READ Gain WRITE setGain STORED false)

public:
    // Which of the three it is; fixes its code, its name, its states and its events.
    enum Kind { Handset, Speakerphone, Headset };

    TnvHookSwitchDevice(TnvPhonePrivate* phone, Kind kind, QObject* parent);

    Kind kind() const { return m_kind; }
    // "Handset", "Speakerphone" or "Headset".
    QString DeviceName() const;
    // PHONEHOOKSWITCHDEV_HANDSET, _SPEAKER or _HEADSET.
    DWORD DeviceCode() const;

    bool Available() const { return m_available; }
    bool VolumeAvailable() const { return m_volumeAvailable; }
    bool GainAvailable() const { return m_gainAvailable; }
    quint32 Modes() const { return m_modes; }
    bool OnHook() const { return m_onHook; }
    bool MicrophoneOnly() const { return m_microphoneOnly; }
    bool SpeakerOnly() const { return m_speakerOnly; }
    bool MicrophoneAndSpeaker() const { return m_microphoneAndSpeaker; }
    int Volume() const { return m_volume; }
    int Gain() const { return m_gain; }

    // Only True selects a mode; False is refused, since some mode is always set.
    void setOnHook(bool value);
    void setMicrophoneOnly(bool value);
    void setSpeakerOnly(bool value);
    void setMicrophoneAndSpeaker(bool value);
    // 0 to 100; other values, and any value while the phone is closed, are ignored.
    void setVolume(int value);
    void setGain(int value);

    // The service's 0 to 0xFFFF and the control's 0 to 100, each rounded to the nearest
    // value, halves to even.
    static DWORD toTapi(int level);
    static int fromTapi(DWORD value);

    // --- What the control keeps here ---
    void storeCapabilities(bool available, quint32 modes, bool volumeAvailable, bool gainAvailable);
    void clearCapabilities();
    void storeMode(DWORD mode);
    void storeLevels(DWORD volume, DWORD gain);
    void clearSlots();
    // Gives the reply to the first slot that holds the request; false when none does.
    bool takeReply(qint32 request, qint32 value);
    qint32 hookSwitchSlot() const { return m_hookSwitchSlot; }
    qint32 volumeSlot() const { return m_volumeSlot; }
    qint32 gainSlot() const { return m_gainSlot; }

    // The service reported a change of this device's mode, volume or gain.
    void onHookSwitchState(DWORD mode);
    void onVolumeState();
    void onGainState();

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    void setMode(DWORD mode, const char* name, bool value);
    void setLevel(bool volume, int value);
    void fire(TNV_NotifyEvent TnvPhoneEventSet::*handler, TnvPhonePopup::Event event);
    bool modeSet(DWORD mode) const;

    TnvPhonePrivate* m_phone;
    Kind m_kind;
    bool m_volumeAvailable = false;
    bool m_gainAvailable = false;
    bool m_available = false;
    quint32 m_modes = 0;
    qint32 m_hookSwitchSlot = 0;
    qint32 m_volumeSlot = 0;
    qint32 m_gainSlot = 0;
    bool m_onHook = false;
    bool m_microphoneOnly = false;
    bool m_speakerOnly = false;
    bool m_microphoneAndSpeaker = false;
    int m_volume = 0;
    int m_gain = 0;
};
