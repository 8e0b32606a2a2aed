#pragma once

// The event handler types of the line control; the sender comes first, as with every
// control of the suite.

#include <TnvTypes.h>

#include <QString>

#include <functional>

using TNV_CallNotifyEvent = std::function<void(TnvSharedControl* sender, int callHandle)>;
using TNV_AddressNotifyEvent = std::function<void(TnvSharedControl* sender, int address)>;
using TNV_AddressStateEvent = std::function<void(TnvSharedControl* sender, int address, int state)>;
using TNV_CallInfoEvent = std::function<void(TnvSharedControl* sender, int callHandle, int callInfoState)>;
using TNV_CallStateEvent =
    std::function<void(TnvSharedControl* sender, int callHandle, int state, int stateMode, int privilege)>;
using TNV_DevSpecific = std::function<void(TnvSharedControl* sender, int hDevice, int lParam1, int lParam2, int lParam3)>;
using TNV_LineStateEvent = std::function<void(TnvSharedControl* sender, int state, int param2, int param3)>;
using TNV_ProcDeviceStateCount = std::function<void(TnvSharedControl* sender, int count, int ringMode)>;
using TNV_ProcDigitReceived = std::function<void(TnvSharedControl* sender, int callHandle, QChar digit, int tag)>;
using TNV_ProcDigitsGathered =
    std::function<void(TnvSharedControl* sender, int callHandle, const QString& digits, int termination, int tag)>;
using TNV_TAPIMessageEvent =
    std::function<void(TnvSharedControl* sender, int callHandle, int message, int param1, int param2, int param3)>;
using TNV_TAPIReplyEvent = std::function<void(TnvSharedControl* sender, int param1, int param2, int param3)>;

// The events of the line control, one handler each; the control fires them, and an
// application assigns the ones it wants (nvLine1->OnConnected = ...).
struct TnvLineEventSet {
    TNV_AddressNotifyEvent OnAddressForward;
    TNV_AddressStateEvent OnAddressState;
    TNV_CallNotifyEvent OnBusy;
    TNV_CallNotifyEvent OnCallBegin;
    TNV_CallNotifyEvent OnCallEnd;
    TNV_CallNotifyEvent OnCallerID;
    TNV_CallNotifyEvent OnCalledID;
    TNV_CallNotifyEvent OnConnectedID;
    TNV_CallNotifyEvent OnRedirectionID;
    TNV_CallNotifyEvent OnRedirectingID;
    TNV_CallInfoEvent OnCallInfo;
    TNV_CallNotifyEvent OnCallMediaModeChange;
    TNV_CallNotifyEvent OnCallOwnerChange;
    TNV_CallStateEvent OnCallState;
    TNV_CallNotifyEvent OnConferenced;
    TNV_CallNotifyEvent OnConnected;
    TNV_DevSpecific OnDevSpecific;
    TNV_DevSpecific OnDevSpecificFeature;
    TNV_CallNotifyEvent OnDialing;
    TNV_CallNotifyEvent OnDialtone;
    TNV_ProcDigitReceived OnDigitReceived;
    TNV_ProcDigitsGathered OnDigitsGathered;
    TNV_CallNotifyEvent OnDigitsSent;
    TNV_CallNotifyEvent OnDisconnected;
    TNV_CallNotifyEvent OnHold;
    TNV_CallNotifyEvent OnHoldPendingConference;
    TNV_CallNotifyEvent OnHoldPendingTransfer;
    TNV_CallNotifyEvent OnIdle;
    TNV_LineStateEvent OnLineState;
    TNV_NotifyEvent OnMessageOff;
    TNV_NotifyEvent OnMessageOn;
    TNV_CallNotifyEvent OnOffering;
    TNV_CallNotifyEvent OnProceeding;
    TNV_ProcDeviceStateCount OnRing;
    TNV_CallNotifyEvent OnRingBack;
    TNV_CallNotifyEvent OnSilence;
    TNV_CallNotifyEvent OnSpecialInfo;
    TNV_TAPIMessageEvent OnTAPIMessage;
    TNV_TAPIReplyEvent OnTAPIReply;
    TNV_CallNotifyEvent OnToneSent;
};
