// FIXME: stands in for the call-info refresh until the message dispatch provides it;
// delete this file then.

#include "TnvLineInternal.h"

LONG TnvLineInternal::RefreshCallInfo(HCALL handle, DWORD mask)
{
    Q_UNUSED(handle);
    Q_UNUSED(mask);
    return 0;
}
