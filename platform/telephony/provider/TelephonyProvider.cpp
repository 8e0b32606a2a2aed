#include "TelephonyProvider.h"

#include "../TapiConstants.h"

namespace Telephony {

namespace {

constexpr LONG kUnavailable = LONG(LINEERR_OPERATIONUNAVAIL);

} // namespace

LONG TelephonyProvider::deviceId(int, const QString&, DWORD*) const { return LONG(LINEERR_INVALDEVICECLASS); }
LONG TelephonyProvider::commHandle(CallId, int*) { return LONG(LINEERR_INVALDEVICECLASS); }
// Without a rule of its own a provider takes what the API let through.
LONG TelephonyProvider::validateAddress(int, const QByteArray&) const { return 0; }
LONG TelephonyProvider::setTerminal(DWORD, int, DWORD, CallId, DWORD, DWORD, bool) { return kUnavailable; }
LONG TelephonyProvider::forward(DWORD, int, bool, DWORD, const QList<AddressStatusData::Forward>&, DWORD)
{
    return kUnavailable;
}
LONG TelephonyProvider::hold(DWORD, CallId) { return kUnavailable; }
LONG TelephonyProvider::unhold(DWORD, CallId) { return kUnavailable; }
LONG TelephonyProvider::blindTransfer(DWORD, CallId, const QByteArray&, DWORD) { return kUnavailable; }
LONG TelephonyProvider::redirect(DWORD, CallId, const QByteArray&, DWORD) { return kUnavailable; }
LONG TelephonyProvider::park(DWORD, CallId, DWORD, const QByteArray&, QByteArray*) { return kUnavailable; }
LONG TelephonyProvider::unpark(DWORD, int, DWORD, CallId, const QByteArray&) { return kUnavailable; }
LONG TelephonyProvider::pickup(DWORD, int, DWORD, CallId, const QByteArray&, const QByteArray&) { return kUnavailable; }
LONG TelephonyProvider::setupTransfer(DWORD, CallId, CallId, const CallParams&) { return kUnavailable; }
LONG TelephonyProvider::completeTransfer(DWORD, CallId, CallId, CallId, DWORD) { return kUnavailable; }
LONG TelephonyProvider::swapHold(DWORD, CallId, CallId) { return kUnavailable; }
LONG TelephonyProvider::setupConference(DWORD, int, CallId, CallId, CallId, DWORD, const CallParams&)
{
    return kUnavailable;
}
LONG TelephonyProvider::prepareAddToConference(DWORD, CallId, CallId, const CallParams&) { return kUnavailable; }
LONG TelephonyProvider::addToConference(DWORD, CallId, CallId) { return kUnavailable; }
LONG TelephonyProvider::removeFromConference(DWORD, CallId) { return kUnavailable; }
LONG TelephonyProvider::setMediaMode(CallId, DWORD) { return kUnavailable; }
LONG TelephonyProvider::generateDigits(CallId, DWORD, DWORD, const QByteArray&, DWORD) { return kUnavailable; }
LONG TelephonyProvider::generateTone(CallId, DWORD, DWORD, DWORD, const QList<LINEGENERATETONE>&)
{
    return kUnavailable;
}
LONG TelephonyProvider::monitorTones(CallId, DWORD, const QList<LINEMONITORTONE>&) { return kUnavailable; }

QJsonObject TelephonyProvider::control(const QString& command, const QJsonObject&)
{
    return {{QStringLiteral("ok"), false},
            {QStringLiteral("error"), QStringLiteral("unknown command '%1'").arg(command)}};
}

} // namespace Telephony
