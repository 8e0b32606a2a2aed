#pragma once

// One call the line control knows of: its handle and the request slots of the
// asynchronous operations on it. A slot holds 0 when idle, the request ID while a reply
// is awaited, and -1 once the reply was matched to it.

#include <TapiStructs.h>

#include <QtGlobal>

#include <array>

struct TnvCallRecord {
    // In the order replies are matched.
    enum Slot {
        SlotAnswer,
        SlotRedirect,
        SlotDial,
        SlotMakeCall,
        SlotDrop,
        SlotHold,
        SlotPark,
        SlotUnhold,
        SlotUnpark,
        SlotConferenceSetup,
        SlotConferenceDial,
        SlotConferenceAdd,
        SlotConferenceRemove,
        SlotPickup,
        SlotTransferSetup,
        SlotTransferDial,
        SlotSwapHold,
        SlotTransferComplete,
        SlotTransferThreeWay,
        SlotForward,
        SlotBlindTransfer,
        SlotCount
    };

    HCALL handle = 0;
    qint32 tag = 0;
    std::array<qint32, SlotCount> requests{};
    DWORD state = 0;
    DWORD stateMode = 0;

    bool idle() const
    {
        for (qint32 slot : requests)
            if (slot != 0)
                return false;
        return state == 0 || state == 0x1; // LINECALLSTATE_IDLE
    }
};
