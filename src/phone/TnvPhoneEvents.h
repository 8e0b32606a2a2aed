#pragma once

// The event handler types of the phone control; the sender comes first, as with every
// control of the suite.

#include <TnvTypes.h>

#include <QChar>

#include <functional>

using TNV_PhoneDigitEvent = std::function<void(TnvSharedControl* sender, QChar digit)>;
using TNV_PhoneDevSpecificEvent =
    std::function<void(TnvSharedControl* sender, int hDevice, int param1, int param2, int param3)>;
using TNV_PhoneMessageEvent =
    std::function<void(TnvSharedControl* sender, int hDevice, int message, int param1, int param2, int param3)>;
// The reply's request identifier and result (0 or a PHONEERR_ code), and its third parameter.
using TNV_PhoneReplyEvent = std::function<void(TnvSharedControl* sender, int param1, int param2, int param3)>;

// The events of the phone control, one handler each; an application assigns the ones it
// wants (nvPhone1->OnDigitDown = ...).
struct TnvPhoneEventSet {
    TNV_NotifyEvent OnPhoneState;
    TNV_NotifyEvent OnHandsetHookSwitch;
    TNV_NotifyEvent OnHandsetVolume;
    TNV_NotifyEvent OnHandsetGain;
    TNV_NotifyEvent OnSpeakerphoneHookSwitch;
    TNV_NotifyEvent OnSpeakerphoneVolume;
    TNV_NotifyEvent OnSpeakerphoneGain;
    TNV_NotifyEvent OnHeadsetHookSwitch;
    TNV_NotifyEvent OnHeadsetVolume;
    TNV_NotifyEvent OnHeadsetGain;
    TNV_PhoneDigitEvent OnDigitDown;
    TNV_PhoneDigitEvent OnDigitUp;
    TNV_PhoneDevSpecificEvent OnDevSpecific;
    TNV_PhoneMessageEvent OnTAPIMessage;
    TNV_PhoneReplyEvent OnTAPIReply;
};
