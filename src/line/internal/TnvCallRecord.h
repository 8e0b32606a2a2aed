#pragma once

// One call the line control knows of: its handle, the request slots of the asynchronous
// operations on it, and the saved copy of everything the visible call object shows, so
// that selecting another call and back restores what was seen. A slot holds 0 when
// idle, the request ID while a reply is awaited, and -1 once the reply was matched.

#include "TnvCallerID.h"

#include <TapiStructs.h>

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <array>

// Records are saved from and loaded into the visible call at nearly every call message,
// their texts mostly the very same strings; a text already shared is left as it is
// rather than counted up and down again.
inline void copyRecordText(QString& to, const QString& from)
{
    if (!to.isSharedWith(from))
        to = from;
}

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

    // The service writes digits here when gathering ends.
    static constexpr int GatherBufferSize = 32;

    HCALL handle = 0;
    qint32 tag = 0;
    std::array<qint32, SlotCount> requests{};

    DWORD state = 0;
    DWORD stateMode = 0;
    DWORD features = 0;
    DWORD features2 = 0;
    DWORD id = 0;
    DWORD mediaMode = 0;
    DWORD bearerMode = 0;
    qint32 owners = 0;
    qint32 monitors = 0;
    DWORD origin = 0;
    DWORD reason = 0;
    qint32 address = 0;
    DWORD disconnectMode = 0;
    DWORD specialInfo = 0;
    DWORD dialtoneMode = 0;
    DWORD busyMode = 0;

    // A null time means not available.
    QDateTime began;
    QDateTime connected;
    QDateTime disconnected;
    QDateTime ended;

    bool owner = false;
    QString phoneNumber;

    // A record nobody saved settings into yet gathers as a new call object would.
    bool gatherActive = false;
    qint32 gatherCount = 5;
    QString gatherTerminate = QStringLiteral("#*");
    qint32 gatherTimeout = 5000;
    bool monitorDigitsActive = false;
    bool monitorMediaActive = false;
    DWORD monitorMediaModes = 0;
    bool monitorSilenceActive = false;
    qint32 monitorSilenceDuration = 0;
    // At most GatherBufferSize characters.
    QString gatheredDigits;
    std::array<char, GatherBufferSize> gatherBuffer{};
    // The buffer went to the service, which may still write it after the call ended.
    bool gatherBufferHanded = false;

    TnvCallerID::Records parties;

    // No request pending, not in a live state and not ended yet: the call may go.
    bool idle() const
    {
        for (qint32 slot : requests)
            if (slot != 0)
                return false;
        return (state == 0 || state == 0x1 /* LINECALLSTATE_IDLE */) && ended.isNull();
    }
};
