// The module that holds the SIP provider and, through it, the SIP stack; the service
// loads it when a SIP line is configured (see BuiltinProviders.cpp).

#include "sip/SipProvider.h"

#include <QVariantMap>

#include <new>

extern "C" Q_DECL_EXPORT Telephony::TelephonyProvider* linkora_telephony_sip_provider(const QVariantMap* settings)
{
    return new (std::nothrow) Telephony::SipProvider(settings ? *settings : QVariantMap());
}
