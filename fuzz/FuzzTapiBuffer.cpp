// The line control's reading of variable-size structures from the service: the growing
// buffer rule against any answer, texts taken by any size and offset, and the party
// identifications of a LINECALLINFO block whose fields say anything.

#include <TnvCallerID.h>
#include <TnvTapiBuffer.h>

#include <cstdint>
#include <cstring>

namespace {

DWORD dwordAt(const uint8_t* data, size_t size, size_t at)
{
    DWORD value = 0;
    if (at + sizeof value <= size)
        std::memcpy(&value, data + at, sizeof value);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 12)
        return 0;
    const DWORD partSize = dwordAt(data, size, 0);
    const DWORD partOffset = dwordAt(data, size, 4);
    const DWORD answers = dwordAt(data, size, 8);
    const QByteArray content(reinterpret_cast<const char*>(data + 12), qsizetype(size - 12));

    // Any block, any size and offset.
    TnvTapiBuffer::part(content, partSize, partOffset);
    TnvTapiBuffer::text(content, partSize, partOffset);

    // The service writes the content over the block it is given (behind its size field)
    // and answers "too small" up to three times as the input says, then success.
    QByteArray block;
    int round = 0;
    const LONG result = TnvTapiBuffer::read(sizeof(LINECALLINFO), block, [&](char* out) {
        DWORD total = 0;
        std::memcpy(&total, out, sizeof total);
        std::memcpy(out + sizeof total, content.constData(), qMin(size_t(content.size()), size_t(total) - sizeof total));
        const bool tooSmall = round < 3 && (answers >> round) & 1;
        // Past three rounds the needed size is made to fit, or every input that asks for
        // more would grow the block to its 64 MiB cap and slow the search to a crawl.
        if (++round >= 3)
            std::memcpy(out + sizeof total, &total, sizeof total);
        return tooSmall ? LONG(LINEERR_STRUCTURETOOSMALL) : LONG(0);
    });
    if (result == 0) {
        const LINECALLINFO& info = TnvTapiBuffer::fields<LINECALLINFO>(block);
        TnvTapiBuffer::text(block, info.dwAppNameSize, info.dwAppNameOffset);
        TnvTapiBuffer::text(block, info.dwDisplaySize, info.dwDisplayOffset);
        TnvCallerID::Records records;
        TnvCallerID::fillParties(records, block, 0xFFFFFFFF);
        for (int party = 0; party < TnvCallerID::PartyCount; ++party)
            TnvCallerID::fill(records[size_t(party)], TnvCallerID::Party(party), block);
    }
    // A block shorter than the structure, as a broken reply could leave it.
    TnvCallerID::Records records;
    TnvCallerID::fillParties(records, content, 0xFFFFFFFF);
    return 0;
}
