#include "TnvWaveFormat.h"

#include "TnvWaveControl.h"
#include "TnvWaveNumbers.h"

#include <TnvLog.h>

#include <QMetaEnum>

namespace {

struct Row {
    const char* text;
    TnvWaveFormatFields fields;
};

// Indexed by TWaveFormatID.
constexpr Row kRows[TnvWaveFormat::FormatCount] = {
    {"Unknown", {0, 0, 0, 0, 0, 0}},
    {"PCM 8,000 Hz, 8-bit, Mono", {1, 1, 8000, 8000, 1, 8}},
    {"PCM 8,000 Hz, 8-bit, Stereo", {1, 2, 8000, 16000, 2, 8}},
    {"PCM 8,000 Hz, 16-bit, Mono", {1, 1, 8000, 16000, 2, 16}},
    {"PCM 8,000 Hz, 16-bit, Stereo", {1, 2, 8000, 32000, 4, 16}},
    {"PCM 11,025 Hz, 8-bit, Mono", {1, 1, 11025, 11025, 1, 8}},
    {"PCM 11,025 Hz, 8-bit, Stereo", {1, 2, 11025, 22050, 2, 8}},
    {"PCM 11,025 Hz, 16-bit, Mono", {1, 1, 11025, 22050, 2, 16}},
    {"PCM 11,025 Hz, 16-bit, Stereo", {1, 2, 11025, 44100, 4, 16}},
    {"PCM 22,050 Hz, 8-bit, Mono", {1, 1, 22050, 22050, 1, 8}},
    {"PCM 22,050 Hz, 8-bit, Stereo", {1, 2, 22050, 44100, 2, 8}},
    {"PCM 22,050 Hz, 16-bit, Mono", {1, 1, 22050, 44100, 2, 16}},
    {"PCM 22,050 Hz, 16-bit, Stereo", {1, 2, 22050, 88200, 4, 16}},
    {"PCM 44,100 Hz, 8-bit, Mono", {1, 1, 44100, 44100, 1, 8}},
    {"PCM 44,100 Hz, 8-bit, Stereo", {1, 2, 44100, 88200, 2, 8}},
    {"PCM 44,100 Hz, 16-bit, Mono", {1, 1, 44100, 88200, 2, 16}},
    {"PCM 44,100 Hz, 16-bit, Stereo", {1, 2, 44100, 176400, 4, 16}},
    {"uLaw 6,000 Hz, 8-bit, Mono", {7, 1, 6000, 6000, 1, 8}},
    {"uLaw 8,000 Hz, 8-bit, Mono", {7, 1, 8000, 8000, 1, 8}},
    {"ADPCM 6,000 Hz, 4-bit, Mono", {23, 1, 6000, 3000, 1, 4}},
    {"ADPCM 8,000 Hz, 4-bit, Mono", {23, 1, 8000, 4000, 1, 4}},
    {"IMA_ADPCM 4,800 Hz, 4-bit, Mono", {17, 1, 4800, 2400, 1, 4}},
    {"IMA_ADPCM 7,200 Hz, 4-bit, Mono", {17, 1, 7200, 3600, 1, 4}},
    {"IMA_ADPCM 8,000 Hz, 4-bit, Mono", {17, 1, 8000, 4000, 1, 4}},
};

bool inTable(int id)
{
    return id >= 0 && id < TnvWaveFormat::FormatCount;
}

} // namespace

TnvWaveFormat::TnvWaveFormat(TnvWaveControl* owner, bool logged)
    : QObject(owner)
    , m_owner(owner)
    , m_logged(logged)
{
    setObjectName(QStringLiteral("Format"));
}

TWaveFormatID TnvWaveFormat::Lookup(const TnvWaveFormatFields& fields)
{
    for (int id = 1; id < FormatCount; ++id) {
        if (kRows[id].fields == fields)
            return TWaveFormatID(id);
    }
    return wfUnknown;
}

TnvWaveFormatFields TnvWaveFormat::Row(TWaveFormatID id)
{
    return inTable(id) ? kRows[id].fields : TnvWaveFormatFields{};
}

QString TnvWaveFormat::IDName(TWaveFormatID id)
{
    const char* key = QMetaEnum::fromType<TWaveFormatID>().valueToKey(id);
    return key ? QString::fromLatin1(key) : IDName(wfUnknown);
}

QString TnvWaveFormat::Text(TWaveFormatID id)
{
    return QString::fromLatin1(kRows[inTable(id) ? id : 0].text);
}

double TnvWaveFormat::secondsOf(quint32 bytes, quint32 avgBytesPerSec)
{
    return bytes < 1 || avgBytesPerSec == 0 ? 0.0 : double(bytes) / double(avgBytesPerSec);
}

void TnvWaveFormat::setID(TWaveFormatID value)
{
    if (!inTable(value))
        value = wfUnknown;
    if (m_logged)
        m_owner->Log()->Add(true, QStringLiteral("Source.Format.ID := %1 (%2)").arg(IDName(value)).arg(int(value)));
    m_id = value;
    if (value != wfUnknown)
        m_fields = kRows[value].fields;
}

void TnvWaveFormat::setValue(const char* name, qint32 value, auto apply)
{
    if (m_logged)
        m_owner->Log()->Add(true, QStringLiteral("Source.Format.") + QLatin1StringView(name) + QStringLiteral(" := ")
                                      + QString::number(value));
    apply(value);
    lookUp();
}

void TnvWaveFormat::setTag(qint32 value)
{
    setValue("Tag", value, [this](qint32 v) { m_fields.tag = quint16(v); });
}

void TnvWaveFormat::setChannels(qint32 value)
{
    setValue("Channels", value, [this](qint32 v) { m_fields.channels = quint16(v); });
}

void TnvWaveFormat::setSamplesPerSec(qint32 value)
{
    setValue("SamplesPerSec", value, [this](qint32 v) { m_fields.samplesPerSec = quint32(v); });
}

void TnvWaveFormat::setAvgBytesPerSec(qint32 value)
{
    setValue("AvgBytesPerSec", value, [this](qint32 v) { m_fields.avgBytesPerSec = quint32(v); });
}

void TnvWaveFormat::setBlockAlign(qint32 value)
{
    setValue("BlockAlign", value, [this](qint32 v) { m_fields.blockAlign = quint16(v); });
}

void TnvWaveFormat::setBitsPerSample(qint32 value)
{
    setValue("BitsPerSample", value, [this](qint32 v) { m_fields.bitsPerSample = quint16(v); });
}

void TnvWaveFormat::lookUp()
{
    const TWaveFormatID id = Lookup(m_fields);
    if (id == m_id)
        return;
    if (m_logged)
        m_owner->Log()->Add(true, QStringLiteral("Source.Format.ID := %1 (%2)").arg(IDName(id)).arg(int(id)));
    m_id = id;
}

void TnvWaveFormat::assign(const TnvWaveFormatFields& fields, quint32 bytes, double seconds)
{
    m_fields = fields;
    m_id = Lookup(fields);
    setSize(bytes, seconds);
}

void TnvWaveFormat::setSize(quint32 bytes, double seconds)
{
    m_bytes = bytes;
    m_seconds = seconds;
}

void TnvWaveFormat::clear()
{
    assign(TnvWaveFormatFields{}, 0, 0.0);
}

bool TnvWaveFormat::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_owner->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Format");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("AvgBytesPerSec = ") + QString::number(AvgBytesPerSec()));
    log->Add(false, path + QStringLiteral("BitsPerSample = ") + QString::number(BitsPerSample()));
    log->Add(false, path + QStringLiteral("BlockAlign = ") + QString::number(BlockAlign()));
    log->Add(false, path + QStringLiteral("Bytes = ") + TnvWaveNumbers::bytesText(m_bytes));
    log->Add(false, path + QStringLiteral("Channels = ") + QString::number(Channels()));
    log->Add(false, path + QStringLiteral("ID = ") + IDName(m_id));
    log->Add(false, path + QStringLiteral("Name = '") + Name() + QLatin1Char('\''));
    log->Add(false, path + QStringLiteral("SamplesPerSec = ") + QString::number(SamplesPerSec()));
    log->Add(false, path + QStringLiteral("Seconds = ") + TnvWaveNumbers::secondsText(m_seconds));
    log->Add(false, path + QStringLiteral("Tag = ") + QString::number(Tag()));
    return true;
}
