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
