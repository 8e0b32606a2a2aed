#include "TnvWaveInfo.h"

#include <TnvRiffChunk.h>

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

struct Item {
    FOURCC id;
    QString TnvBufferFields::*text;
};

// Written in this order; "ICRD" (the creation date) goes between ICOP and IKEY.
const std::array<Item, 7> kTextItems = {{
    {mmioFOURCC('I', 'A', 'U', 'T'), &TnvBufferFields::Author},
    {mmioFOURCC('I', 'C', 'A', 'T'), &TnvBufferFields::Category},
    {mmioFOURCC('I', 'C', 'M', 'T'), &TnvBufferFields::Comments},
    {mmioFOURCC('I', 'C', 'O', 'P'), &TnvBufferFields::Copyright},
    {mmioFOURCC('I', 'K', 'E', 'Y'), &TnvBufferFields::Keywords},
    {mmioFOURCC('I', 'N', 'A', 'M'), &TnvBufferFields::Name},
    {mmioFOURCC('I', 'S', 'B', 'J'), &TnvBufferFields::Subject},
}};
constexpr FOURCC kCreationDate = mmioFOURCC('I', 'C', 'R', 'D');
constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kInfo = mmioFOURCC('I', 'N', 'F', 'O');

bool validUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

bool isAscii(const QByteArray& bytes)
{
    for (char c : bytes) {
        if (uchar(c) >= 0x80)
            return false;
    }
    return true;
}

bool isKnown(FOURCC id)
{
    if (id == kCreationDate)
        return true;
    return std::any_of(kTextItems.begin(), kTextItems.end(), [id](const Item& item) { return item.id == id; });
}

// Positions the file at the first item of the file's first INFO list.
bool descendToList(HMMIO file, MMCKINFO& riff, MMCKINFO& list)
{
    if (mmioSeek(file, 0, SEEK_SET) != 0)
        return false;
    riff.fccType = kWave;
    if (mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) != 0)
        return false;
    list.fccType = kInfo;
    return mmioDescend(file, &list, &riff, MMIO_FINDLIST) == 0;
}

// The list's items without a field, whole and padded, while they fit in limit bytes. A
// field's item too long to be read as its text is kept the same way, so that a save does
// not lose it; later items of a field are not. Descending has checked each size against
// the list and the file.
QByteArray readOtherItems(HMMIO file, quint32 limit)
{
    QByteArray kept;
    MMCKINFO riff;
    MMCKINFO list;
    if (!descendToList(file, riff, list))
        return kept;
    std::vector<FOURCC> seen;
    MMCKINFO item;
    while (mmioDescend(file, &item, &list, 0) == 0) {
        bool keep = !isKnown(item.ckid);
        if (!keep && std::find(seen.begin(), seen.end(), item.ckid) == seen.end()) {
            seen.push_back(item.ckid);
            keep = item.cksize > DWORD(TnvWaveInfo::MaxItemSize);
        }
        if (keep && quint64(kept.size()) + TnvRiffChunk::wholeSize(item) <= limit) {
            const std::optional<QByteArray> bytes = TnvRiffChunk::readWhole(file, item);
            if (!bytes)
                break;
            kept += *bytes;
        }
        if (mmioAscend(file, &item, 0) != 0)
            break;
    }
    return kept;
}

// The item's text by the read rule: the whole chunk must be read, the text ends at the
// first NUL; nothing when the list or the item is missing or too long.
std::optional<QByteArray> readItem(HMMIO file, FOURCC id)
{
    MMCKINFO riff;
    MMCKINFO list;
    if (!descendToList(file, riff, list))
        return std::nullopt;
    MMCKINFO item;
    item.ckid = id;
    if (mmioDescend(file, &item, &list, MMIO_FINDCHUNK) != 0 || item.cksize > DWORD(TnvWaveInfo::MaxItemSize))
        return std::nullopt;
    char area[TnvWaveInfo::MaxItemSize + 1] = {};
    if (mmioRead(file, area, LONG(item.cksize)) != LONG(item.cksize))
        return QByteArray();
    return QByteArray(area, qsizetype(std::strlen(area)));
}

// Whether the fields hold a text or date of their own for the item id.
bool fieldSet(const TnvBufferFields& fields, FOURCC id)
{
    if (id == kCreationDate)
        return fields.CreationDate.isValid();
    for (const Item& item : kTextItems) {
        if (item.id == id)
            return !(fields.*item.text).isEmpty();
    }
    return false;
}

// The kept items a save writes: a kept item of a field that now has a value of its own
// was replaced by it. The kept bytes were put together by readOtherItems, whole.
QByteArray otherItemsToWrite(const TnvBufferFields& fields)
{
    const QByteArray& others = fields.otherInfo;
    QByteArray out;
    qsizetype at = 0;
    while (at + 8 <= others.size()) {
        FOURCC id = 0;
        quint32 size = 0;
        std::memcpy(&id, others.constData() + at, 4);
        std::memcpy(&size, others.constData() + at + 4, 4);
        const qsizetype whole = qsizetype(8 + quint64(size) + (size & 1));
        if (whole > others.size() - at)
            break;
        if (!fieldSet(fields, id))
            out += others.mid(at, whole);
        at += whole;
    }
    return out;
}

MMRESULT writeItem(HMMIO file, FOURCC id, const QByteArray& text)
{
    MMCKINFO item;
    item.ckid = id;
    if (MMRESULT result = mmioCreateChunk(file, &item, 0))
        return result;
    QByteArray padded = text;
    if (padded.size() & 1)
        padded.append('\0');
    if (mmioWrite(file, padded.constData(), LONG(padded.size())) != LONG(padded.size()))
        return MMIOERR_CANNOTWRITE;
    return mmioAscend(file, &item, 0);
}

} // namespace

bool TnvWaveInfo::fits(const QString& text)
{
    const qsizetype length = encodeText(text).size();
    return length + (length & 1) <= MaxItemSize;
}

QByteArray TnvWaveInfo::encodeText(const QString& text)
{
    // Latin-1 unless a character has no Latin-1 byte, or the Latin-1 bytes would read
    // back as UTF-8 (say "Ã©"); then UTF-8, which reads back as itself.
    bool latin1 = true;
    for (QChar c : text) {
        if (c.unicode() > 0xFF) {
            latin1 = false;
            break;
        }
    }
    if (latin1) {
        const QByteArray bytes = text.toLatin1();
        if (isAscii(bytes) || !validUtf8(bytes))
            return bytes;
    }
    return text.toUtf8();
}

QString TnvWaveInfo::decodeText(const QByteArray& bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    return validUtf8(bytes) ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

QByteArray TnvWaveInfo::creationDateText(const QDateTime& date)
{
    if (!date.isValid())
        return {};
    const QDate day = date.date();
    // Four year digits, so that a year before 1000 reads back by position.
    return QByteArray::number(day.year()).rightJustified(4, '0') + '-'
           + QByteArray::number(day.month()).rightJustified(2, '0') + '-'
           + QByteArray::number(day.day()).rightJustified(2, '0');
}

QDateTime TnvWaveInfo::parseCreationDate(const QByteArray& text)
{
    if (text.size() <= 9)
        return {};
    // Digits only: a sign or blank makes the part "not a number".
    const auto number = [&text](int from, int count) {
        const QByteArray part = text.mid(from, count);
        int value = 0;
        for (char c : part) {
            if (c < '0' || c > '9')
                return 0;
            value = value * 10 + (c - '0');
        }
        return value;
    };
    const QDate day(number(0, 4), number(5, 2), number(8, 2));
    return day.isValid() ? QDateTime(day, QTime(0, 0)) : QDateTime();
}

void TnvWaveInfo::read(HMMIO file, TnvBufferFields& fields)
{
    for (const Item& item : kTextItems) {
        const std::optional<QByteArray> text = readItem(file, item.id);
        fields.*item.text = text ? decodeText(*text) : QString();
    }
    const std::optional<QByteArray> date = readItem(file, kCreationDate);
    fields.CreationDate = date ? parseCreationDate(*date) : QDateTime();
    fields.otherInfo = readOtherItems(file, MaxOtherItemsSize);
}

quint64 TnvWaveInfo::listSize(const TnvBufferFields& fields)
{
    const auto item = [](qsizetype length) { return quint64(8 + length + (length & 1)); };
    quint64 size = 12 + quint64(otherItemsToWrite(fields).size());
    if (fields.CreationDate.isValid())
        size += item(creationDateText(fields.CreationDate).size());
    for (const Item& entry : kTextItems) {
        const QString& text = fields.*entry.text;
        if (!text.isEmpty())
            size += item(encodeText(text).size());
    }
    return size;
}

MMRESULT TnvWaveInfo::write(HMMIO file, const TnvBufferFields& fields)
{
    MMCKINFO list;
    list.fccType = kInfo;
    if (MMRESULT result = mmioCreateChunk(file, &list, MMIO_CREATELIST))
        return result;
    for (size_t i = 0; i < kTextItems.size(); ++i) {
        // ICRD sits between ICOP (index 3) and IKEY.
        if (i == 4 && fields.CreationDate.isValid()) {
            if (MMRESULT result = writeItem(file, kCreationDate, creationDateText(fields.CreationDate)))
                return result;
        }
        const QString& text = fields.*kTextItems[i].text;
        if (text.isEmpty())
            continue;
        if (MMRESULT result = writeItem(file, kTextItems[i].id, encodeText(text)))
            return result;
    }
    const QByteArray others = otherItemsToWrite(fields);
    if (!others.isEmpty() && mmioWrite(file, others.constData(), LONG(others.size())) != LONG(others.size()))
        return MMIOERR_CANNOTWRITE;
    return mmioAscend(file, &list, 0);
}
