#include "CallParamsReader.h"

#include "../TapiConstants.h"

#include <cstddef>
#include <cstring>

namespace Telephony {

namespace {

constexpr DWORD kCallParamsMinimum = 112; // the oldest version's fixed part

constexpr DWORD kKnownBearerModes = 0xFF;
constexpr DWORD kKnownForwardModes = 0x3FFFF;

// A field of the block, or 0 when the block ends before it.
DWORD fieldAt(const void* block, DWORD total, size_t offset)
{
    if (offset + sizeof(DWORD) > total)
        return 0;
    DWORD value = 0;
    std::memcpy(&value, static_cast<const char*>(block) + offset, sizeof value);
    return value;
}

// A variable part named by its size and offset fields; false when it lies outside
// the block or overlaps the fixed part.
bool readPart(const void* block, DWORD total, DWORD minimumOffset, size_t sizeField, size_t offsetField,
              QByteArray* out, bool text)
{
    const DWORD size = fieldAt(block, total, sizeField);
    const DWORD offset = fieldAt(block, total, offsetField);
    out->clear();
    if (size == 0)
        return true;
    if (offset < minimumOffset || quint64(offset) + size > total)
        return false;
    const char* data = static_cast<const char*>(block) + offset;
    const size_t length = text ? strnlen(data, size) : size;
    *out = QByteArray(data, qsizetype(length));
    return true;
}

bool singleKnownBit(DWORD value, DWORD known)
{
    return value && (value & (value - 1)) == 0 && (value & ~known) == 0;
}

} // namespace

QByteArray readText(const char* text, bool* ok)
{
    if (ok)
        *ok = true;
    if (!text)
        return {};
    const size_t length = strnlen(text, kMaxText + 1);
    if (length > kMaxText) {
        if (ok)
            *ok = false;
        return {};
    }
    return QByteArray(text, qsizetype(length));
}

LONG readCallParams(const LINECALLPARAMS* params, CallParams* out)
{
    *out = CallParams();
    if (!params)
        return 0;
    const DWORD total = params->dwTotalSize;
    if (total < kCallParamsMinimum)
        return LONG(LINEERR_STRUCTURETOOSMALL);
    if (total > kMaxInputBlock)
        return LONG(LINEERR_INVALCALLPARAMS);

    const auto field = [&](size_t offset) { return fieldAt(params, total, offset); };
    if (const DWORD bearer = field(offsetof(LINECALLPARAMS, dwBearerMode))) {
        if (!singleKnownBit(bearer, kKnownBearerModes))
            return LONG(LINEERR_INVALBEARERMODE);
        out->bearerMode = bearer;
    }
    if (const DWORD media = field(offsetof(LINECALLPARAMS, dwMediaMode))) {
        if (media & ~kKnownMediaModes)
            return LONG(LINEERR_INVALMEDIAMODE);
        out->mediaMode = media;
    }
    out->callParamFlags = field(offsetof(LINECALLPARAMS, dwCallParamFlags));
    if (const DWORD mode = field(offsetof(LINECALLPARAMS, dwAddressMode))) {
        if (mode != LINEADDRESSMODE_ADDRESSID && mode != LINEADDRESSMODE_DIALABLEADDR)
            return LONG(LINEERR_INVALADDRESSMODE);
        out->addressMode = mode;
    }
    out->addressID = field(offsetof(LINECALLPARAMS, dwAddressID));
    out->noAnswerTimeout = field(offsetof(LINECALLPARAMS, dwNoAnswerTimeout));

    struct TextPart {
        size_t size;
        size_t offset;
        QByteArray* target;
        bool text;
    };
    const TextPart parts[] = {
        {offsetof(LINECALLPARAMS, dwOrigAddressSize), offsetof(LINECALLPARAMS, dwOrigAddressOffset), &out->origAddress, true},
        {offsetof(LINECALLPARAMS, dwDisplayableAddressSize), offsetof(LINECALLPARAMS, dwDisplayableAddressOffset),
         &out->displayableAddress, true},
        {offsetof(LINECALLPARAMS, dwCalledPartySize), offsetof(LINECALLPARAMS, dwCalledPartyOffset), &out->calledParty, true},
        {offsetof(LINECALLPARAMS, dwCommentSize), offsetof(LINECALLPARAMS, dwCommentOffset), &out->comment, true},
        {offsetof(LINECALLPARAMS, dwUserUserInfoSize), offsetof(LINECALLPARAMS, dwUserUserInfoOffset), &out->userUserInfo,
         false},
    };
    for (const TextPart& part : parts) {
        if (!readPart(params, total, kCallParamsMinimum, part.size, part.offset, part.target, part.text))
            return LONG(LINEERR_INVALPOINTER);
    }
    return 0;
}

LONG readForwardList(const LINEFORWARDLIST* list, QList<AddressStatusData::Forward>* out)
{
    out->clear();
    if (!list)
        return 0;
    const DWORD total = list->dwTotalSize;
    constexpr DWORD header = offsetof(LINEFORWARDLIST, ForwardList);
    if (total < header)
        return LONG(LINEERR_STRUCTURETOOSMALL);
    if (total > kMaxInputBlock)
        return LONG(LINEERR_INVALPARAM);
    const DWORD entries = list->dwNumEntries;
    if (entries > 64)
        return LONG(LINEERR_INVALPARAM);
    const DWORD fixedEnd = header + entries * DWORD(sizeof(LINEFORWARD));
    if (fixedEnd > total)
        return LONG(LINEERR_STRUCTURETOOSMALL);
    for (DWORD i = 0; i < entries; ++i) {
        const size_t base = header + i * sizeof(LINEFORWARD);
        AddressStatusData::Forward forward;
        forward.mode = fieldAt(list, total, base + offsetof(LINEFORWARD, dwForwardMode));
        if (!singleKnownBit(forward.mode, kKnownForwardModes))
            return LONG(LINEERR_INVALPARAM);
        forward.destCountryCode = fieldAt(list, total, base + offsetof(LINEFORWARD, dwDestCountryCode));
        if (!readPart(list, total, fixedEnd, base + offsetof(LINEFORWARD, dwCallerAddressSize),
                      base + offsetof(LINEFORWARD, dwCallerAddressOffset), &forward.callerAddress, true)
            || !readPart(list, total, fixedEnd, base + offsetof(LINEFORWARD, dwDestAddressSize),
                         base + offsetof(LINEFORWARD, dwDestAddressOffset), &forward.destAddress, true))
            return LONG(LINEERR_INVALPOINTER);
        out->append(forward);
    }
    return 0;
}

LONG readInitParams(const LINEINITIALIZEEXPARAMS* params)
{
    if (!params)
        return LONG(LINEERR_INVALPOINTER);
    if (params->dwTotalSize < sizeof(LINEINITIALIZEEXPARAMS))
        return LONG(LINEERR_STRUCTURETOOSMALL);
    // FIXME: event and completion-port delivery are not offered; callers get hidden-window delivery only.
    if (params->dwOptions != LINEINITIALIZEEXOPTION_USEHIDDENWINDOW)
        return LONG(LINEERR_INVALPARAM);
    return 0;
}

} // namespace Telephony
