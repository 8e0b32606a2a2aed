#include "SipResponses.h"

#include "../../TapiConstants.h"

namespace Telephony::Sip {

DWORD disconnectModeForResponse(int code)
{
    switch (code) {
    case 486:
    case 600:
        return LINEDISCONNECTMODE_BUSY;
    case 404:
    case 484:
    case 416:
    case 604:
        return LINEDISCONNECTMODE_BADADDRESS;
    case 410:
        return LINEDISCONNECTMODE_NUMBERCHANGED;
    case 408:
    case 480:
        return LINEDISCONNECTMODE_NOANSWER;
    case 603:
        return LINEDISCONNECTMODE_REJECT;
    case 403:
        return LINEDISCONNECTMODE_BLOCKED;
    case 415:
    case 488:
    case 606:
        return LINEDISCONNECTMODE_INCOMPATIBLE;
    case 487:
        return LINEDISCONNECTMODE_CANCELLED;
    case 503:
        return LINEDISCONNECTMODE_CONGESTION;
    case 502:
    case 504:
        return LINEDISCONNECTMODE_UNREACHABLE;
    default:
        break;
    }
    if (code >= 500 && code < 600)
        return LINEDISCONNECTMODE_UNAVAIL;
    if (code >= 600 && code < 700)
        return LINEDISCONNECTMODE_REJECT;
    return LINEDISCONNECTMODE_UNKNOWN;
}

} // namespace Telephony::Sip
