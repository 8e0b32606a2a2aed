#include "StructWriter.h"

namespace Telephony {

namespace {

bool atLeast(DWORD apiVersion, DWORD version)
{
    return apiVersion >= version;
}

} // namespace

DWORD devCapsSize(DWORD apiVersion)
{
    return atLeast(apiVersion, TAPI_VERSION2_0) ? 252 : atLeast(apiVersion, TAPI_VERSION1_4) ? 240 : 236;
}

DWORD addressCapsSize(DWORD apiVersion)
{
    return atLeast(apiVersion, TAPI_VERSION2_0) ? 228 : atLeast(apiVersion, TAPI_VERSION1_4) ? 180 : 176;
}

DWORD devStatusSize(DWORD apiVersion)
{
    return atLeast(apiVersion, TAPI_VERSION2_0) ? 88 : 76;
}

DWORD callInfoSize(DWORD apiVersion)
{
    return atLeast(apiVersion, TAPI_VERSION2_0) ? 324 : 296;
}

DWORD callStatusSize(DWORD apiVersion)
{
    return atLeast(apiVersion, TAPI_VERSION2_0) ? 56 : 36;
}

DWORD phoneCapsSize(DWORD apiVersion)
{
    return atLeast(apiVersion, TAPI_VERSION2_0) ? 180 : 144;
}

DWORD phoneStatusSize(DWORD apiVersion)
{
    return atLeast(apiVersion, TAPI_VERSION2_0) ? 104 : 100;
}

QByteArray terminated(const QByteArray& text)
{
    if (text.isEmpty())
        return {};
    QByteArray out = text;
    out.append('\0');
    return out;
}

} // namespace Telephony
