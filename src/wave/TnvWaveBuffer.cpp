#include "TnvWaveBuffer.h"

#include "TnvBlockLock.h"
#include "TnvWaveControl.h"
#include "TnvWaveNumbers.h"
#include "TnvWaveRegistry.h"

#include <TnvLog.h>
#include <TnvNotation.h>
#include <TnvResultTexts.h>

#include <cmath>
#include <cstring>
#include <numeric>

TnvWaveBuffer::TnvWaveBuffer(TnvWaveControl* owner)
    : QObject(owner)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("Buffer"));
}

int TnvWaveBuffer::Count()
{
    return TnvWaveRegistry::instance().Count();
}

QStringList TnvWaveBuffer::List()
{
    return TnvWaveRegistry::instance().List();
}

void TnvWaveBuffer::setText(QString TnvBufferFields::*field, const QString& value)
{
    m_fields.*field = value;
    refreshRegistry();
}

void TnvWaveBuffer::setCreationDate(const QDateTime& value)
{
    m_fields.CreationDate = value;
    refreshRegistry();
}

void TnvWaveBuffer::refreshRegistry()
{
    if (m_handle)
        TnvWaveRegistry::instance().refresh(m_handle, m_fields);
}

void TnvWaveBuffer::logState()
{
    TnvLog* log = m_owner->Log();
    log->Add(false, QStringLiteral("\tSource.Buffer.Active = ") + TnvNotation::boolText(m_active));
    log->Add(false, QStringLiteral("\tSource.Buffer.Count = ") + QString::number(Count()));
    log->Add(false, QStringLiteral("\tSource.Buffer.Handle = [") + TnvNotation::hex8(m_handle) + QLatin1Char(']'));
}

bool TnvWaveBuffer::CreateBuffer(qint32 size)
{
    m_owner->Log()->Add(true, QStringLiteral("Source.Buffer.CreateBuffer (%1)").arg(size));
    m_owner->Error()->Clear();
    bool result = false;
    if (size > 0) {
        const HGLOBAL block = GlobalAlloc(GHND, SIZE_T(size));
        if (!block) {
            m_owner->ReportResult(false, WAV_ERROR_NOMEMORY);
        } else {
            m_handle = block;
            m_active = false;
            m_fields.totalSize = quint32(size);
            m_fields.dataSize = 0;
            TnvWaveRegistry::instance().add(block, m_fields);
            m_fields.memoryPointer = TnvBlockLock(block).data();
            refreshRegistry();
            result = true;
        }
    }
    logState();
    return result;
}

void TnvWaveBuffer::FreeBuffer()
{
    m_owner->Log()->Add(true, QStringLiteral("Source.Buffer.FreeBuffer [") + TnvNotation::hex8(m_handle)
                                  + QLatin1Char(']'));
    m_owner->Error()->Clear();
    // The device may still be reading or filling the image.
    if (m_owner->deviceActive()) {
        m_owner->ReportResult(false, WAV_ERROR_DEVICEACTIVE);
        return;
    }
    // Only a registered block is ours to free; anything else is a handle we merely hold.
    if (m_handle && TnvWaveRegistry::instance().remove(m_handle))
        GlobalFree(m_handle);
    setHandle(0);
}

void TnvWaveBuffer::setHandle(quint32 value)
{
    m_owner->Log()->Add(true, QStringLiteral("Source.Buffer.Handle = [") + TnvNotation::hex8(value) + QLatin1Char(']'));
    m_owner->Error()->Clear();
    if (m_owner->deviceActive()) {
        m_owner->ReportResult(false, WAV_ERROR_DEVICEACTIVE);
        return;
    }
    if (m_active)
        attach(value);
    else
        m_handle = value;
    m_owner->refreshSource();
}

void TnvWaveBuffer::setActive(bool value)
{
    m_owner->Log()->Add(true, QStringLiteral("Source.Buffer.Active = ") + TnvNotation::boolText(value));
    m_owner->Error()->Clear();
    if (m_owner->deviceActive()) {
        m_owner->ReportResult(false, WAV_ERROR_DEVICEACTIVE);
        return;
    }
    m_active = value;
    if (value)
        attach(m_handle);
    else
        m_owner->revalidateSource();
    m_owner->refreshSource();
}

bool TnvWaveBuffer::attach(quint32 handle)
{
    TnvWaveFormat* format = m_owner->Source()->Format();
    if (handle == 0) {
        m_handle = 0;
        m_fields.clearMetadata();
        m_fields.totalSize = 0;
        m_fields.dataSize = 0;
        m_fields.memoryPointer = nullptr;
        format->clear();
        return true;
    }
    const TnvBufferFields* entry = TnvWaveRegistry::instance().find(handle);
    const TnvBlockLock image(handle);
    const std::optional<TnvWaveImage::Parsed> parsed =
        entry && image.data() ? TnvWaveImage::parse(image.data(), image.size()) : std::nullopt;
    if (!parsed) {
        m_owner->ReportResult(false, WAV_ERROR_FILECORRUPT);
        m_owner->Source()->setValid(false);
        return false;
    }
    m_handle = handle;
    m_fields = *entry;
    m_fields.totalSize = quint32(image.size());
    m_fields.dataSize = parsed->dataSize;
    m_fields.memoryPointer = image.data();
    format->assign(parsed->format, parsed->dataSize,
                   TnvWaveFormat::secondsOf(parsed->dataSize, parsed->format.avgBytesPerSec));
    return true;
}

bool TnvWaveBuffer::DeleteBefore(double seconds)
{
    return deleteBytes(seconds, true);
}

bool TnvWaveBuffer::DeleteAfter(double seconds)
{
    return deleteBytes(seconds, false);
}

bool TnvWaveBuffer::deleteBytes(double seconds, bool before)
{
    m_owner->Log()->Add(false, QStringLiteral("Source.Buffer.Delete") + (before ? QStringLiteral("Before") : QStringLiteral("After"))
                                   + QStringLiteral(" (") + TnvWaveNumbers::secondsText(seconds) + QLatin1Char(')'));
    m_owner->Error()->Clear();
    if (!m_active)
        return false;
    const TnvWaveFormat* format = m_owner->Source()->Format();
    // Rounded up to whole sample frames: an even count, and a multiple of the block
    // alignment so that a cut never swaps channels or splits a sample.
    const double exact = std::round(seconds * double(format->AvgBytesPerSec()));
    if (!(exact > 0) || exact >= double(m_fields.dataSize))
        return false;
    const quint64 unit = std::lcm<quint64>(2, quint64(qMax(format->BlockAlign(), 1)));
    const quint64 count = (quint64(exact) + unit - 1) / unit * unit;
    if (count >= m_fields.dataSize)
        return false;

    quint32 remaining = 0;
    {
        const TnvBlockLock image(m_handle);
        if (!image.data() || image.size() < quint64(TnvWaveImage::HeaderSize) + m_fields.dataSize)
            return false;
        uchar* samples = image.data() + TnvWaveImage::HeaderSize;
        if (before) {
            remaining = m_fields.dataSize - quint32(count);
            std::memmove(samples, samples + count, remaining);
        } else {
            remaining = quint32(count);
        }
        TnvWaveImage::setDataSize(image.data(), remaining);
    }
    if (!GlobalReAlloc(m_handle, TnvWaveImage::HeaderSize + remaining, GMEM_MOVEABLE))
        m_owner->ReportResult(false, WAV_ERROR_NOMEMORY);
    m_fields.dataSize = remaining;
    m_fields.totalSize = quint32(GlobalSize(m_handle));
    m_fields.memoryPointer = TnvBlockLock(m_handle).data();
    refreshRegistry();
    m_owner->Source()->Format()->setSize(remaining, TnvWaveFormat::secondsOf(remaining, quint32(format->AvgBytesPerSec())));
    m_owner->refreshSource();
    return true;
}

bool TnvWaveBuffer::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_owner->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Source.Format.Buffer");
    if (!opened)
        return false;
    const QString& path = *opened;
    const auto quoted = [](const QString& text) { return QLatin1Char('\'') + text + QLatin1Char('\''); };
    log->Add(false, path + QStringLiteral("Active = ") + TnvNotation::boolText(m_active));
    log->Add(false, path + QStringLiteral("Author = ") + quoted(m_fields.Author));
    log->Add(false, path + QStringLiteral("Category = ") + quoted(m_fields.Category));
    log->Add(false, path + QStringLiteral("Comments = ") + quoted(m_fields.Comments));
    log->Add(false, path + QStringLiteral("Copyright = ") + quoted(m_fields.Copyright));
    log->Add(false, path + QStringLiteral("Count = ") + QString::number(Count()));
    log->Add(false, path + QStringLiteral("CreationDate = ")
                        + (m_fields.CreationDate.isValid()
                               ? m_fields.CreationDate.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                               : QStringLiteral("0")));
    log->Add(false, path + QStringLiteral("Handle = [") + TnvNotation::hex8(m_handle) + QLatin1Char(']'));
    log->Add(false, path + QStringLiteral("Keywords = ") + quoted(m_fields.Keywords));
    log->Add(false, path + QStringLiteral("List"));
    for (const QString& handle : List())
        log->Add(false, indent + QLatin1Char('\t') + handle);
    const auto address = quintptr(m_fields.memoryPointer);
    log->Add(false, path + QStringLiteral("MemoryPointer = [")
                        + QStringLiteral("%1").arg(address, 8, 16, QLatin1Char('0')).toUpper() + QLatin1Char(']'));
    log->Add(false, path + QStringLiteral("Name = ") + quoted(m_fields.Name));
    log->Add(false, path + QStringLiteral("Subject = ") + quoted(m_fields.Subject));
    return true;
}

qint32 TnvWaveBuffer::storeRecording(const TnvWaveFormatFields& format, quint32 size, bool append,
                                     const std::function<void(uchar*)>& fill)
{
    TnvWaveRegistry& registry = TnvWaveRegistry::instance();
    if (append && m_handle && registry.find(m_handle)) {
        quint32 old = 0;
        bool appendable = false;
        {
            const TnvBlockLock image(m_handle);
            const std::optional<TnvWaveImage::Parsed> parsed =
                image.data() ? TnvWaveImage::parse(image.data(), image.size()) : std::nullopt;
            // Only an image with the standard header can grow in place; anything else
            // (a block made by CreateBuffer) is replaced by a new image.
            if (parsed && parsed->dataOffset == TnvWaveImage::HeaderSize) {
                if (parsed->format != format)
                    return WAV_ERROR_FORMATMISMATCH;
                old = parsed->dataSize;
                appendable = true;
            }
        }
        if (appendable) {
            if (quint64(old) + size > TnvWaveImage::MaxDataSize
                || !GlobalReAlloc(m_handle, SIZE_T(TnvWaveImage::HeaderSize) + old + size, GMEM_MOVEABLE))
                return WAV_ERROR_NOMEMORY;
            const TnvBlockLock image(m_handle);
            fill(image.data() + TnvWaveImage::HeaderSize + old);
            TnvWaveImage::setDataSize(image.data(), old + size);
            m_fields.dataSize = old + size;
            m_fields.totalSize = quint32(image.size());
            m_fields.memoryPointer = image.data();
            refreshRegistry();
            return 0;
        }
    }
    if (quint64(size) > TnvWaveImage::MaxDataSize)
        return WAV_ERROR_NOMEMORY;
    const HGLOBAL block = GlobalAlloc(GHND, SIZE_T(TnvWaveImage::HeaderSize) + size);
    if (!block)
        return WAV_ERROR_NOMEMORY;
    {
        const TnvBlockLock image(block);
        TnvWaveImage::writeHeader(image.data(), format, size);
        fill(image.data() + TnvWaveImage::HeaderSize);
    }
    m_handle = block;
    m_fields.totalSize = TnvWaveImage::HeaderSize + size;
    m_fields.dataSize = size;
    registry.add(block, m_fields);
    m_fields.memoryPointer = TnvBlockLock(block).data();
    refreshRegistry();
    return 0;
}
