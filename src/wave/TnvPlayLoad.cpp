// The play control's sound: checking the named files when the name is set, and loading
// the samples from the files or the buffer into the block the device plays.
#include "TnvPlay.h"
#include "TnvPlayPrivate.h"
#include "TnvPlayView.h"
#include "TnvBlockLock.h"
#include "TnvWaveFileReader.h"
#include "TnvWaveRegistry.h"

#include <TnvLog.h>
#include <TnvResultTexts.h>

#include <QFileInfo>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// The names of a comma-separated list as a load opens them: trimmed on the left, ".wav"
// added, later names in the first one's folder.
QStringList fileNames(const QString& list)
{
    QStringList names;
    QString directory;
    const QStringList elements = list.split(QLatin1Char(','));
    for (qsizetype i = 0; i < elements.size(); ++i) {
        QString name = elements.at(i);
        qsizetype blanks = 0;
        while (blanks < name.size() && name.at(blanks).isSpace())
            ++blanks;
        name.remove(0, blanks);
        if (!name.isEmpty()) {
            name = TnvWaveFileReader::completeName(name, directory);
            if (i == 0 && name.contains(QLatin1Char('/')))
                directory = QFileInfo(name).path();
        }
        names << name;
    }
    return names;
}

} // namespace

void TnvPlayPrivate::setSourceFileName(const QString& name)
{
    if (sourceIsBuffer()) {
        q->Source()->storeFileName(name);
        refresh(&TnvPlayView::RefreshSourceFile);
        return;
    }
    validate(name, true);
}

void TnvPlayPrivate::revalidateSource()
{
    validate(q->Source()->FileName(), false);
}

bool TnvPlayPrivate::validate(const QString& name, bool logged)
{
    TnvWaveSource* source = q->Source();
    if (source->FileName().isEmpty())
        source->setValid(false);
    if (logged && name != source->FileName())
        write(true, QStringLiteral("Source.FileName := '") + name + QLatin1Char('\''));
    clearError();
    source->storeFileName(name);
    TnvWaveFormat* format = Format();
    format->clear();
    source->setValid(!name.isEmpty());
    quint64 bytes = 0;
    TnvWaveFormatFields first;
    if (!name.isEmpty()) {
        const QStringList names = fileNames(name);
        for (qsizetype i = 0; i < names.size(); ++i) {
            TnvWaveFileReader reader;
            qint32 code = names.at(i).isEmpty() ? WAV_ERROR_NOFILE : reader.open(names.at(i));
            if (code == 0 && i == 0) {
                first = reader.format();
                format->assign(first, 0, 0.0);
            } else if (code == 0 && reader.format() != first) {
                code = WAV_ERROR_FORMATMISMATCH;
            }
            if (code != 0) {
                source->setValid(false);
                ReportResult(false, code);
                write(false, QStringLiteral("    File: ") + names.at(i));
                break;
            }
            bytes += reader.dataSize();
        }
    }
    const auto total = quint32(qMin<quint64>(bytes, TnvWaveImage::MaxDataSize));
    format->setSize(total, TnvWaveFormat::secondsOf(total, first.avgBytesPerSec));
    refresh(&TnvPlayView::RefreshSourceFile);
    refresh(&TnvPlayView::RefreshFormat);
    return source->Valid();
}

bool TnvPlayPrivate::load()
{
    return (sourceIsBuffer() ? loadFromBuffer() : loadFromFiles()) == 0;
}

qint32 TnvPlayPrivate::loadFromBuffer()
{
    const HGLOBAL handle = q->Source()->Buffer()->Handle();
    const TnvBlockLock image(TnvWaveRegistry::instance().find(handle) ? handle : 0);
    const std::optional<TnvWaveImage::Parsed> parsed =
        image.data() ? TnvWaveImage::parse(image.data(), image.size()) : std::nullopt;
    if (!parsed || parsed->dataSize == 0) {
        ReportResult(false, WAV_ERROR_FILECORRUPT);
        return WAV_ERROR_FILECORRUPT;
    }
    std::unique_ptr<char[]> data(new (std::nothrow) char[parsed->dataSize]);
    if (!data) {
        ReportResult(false, WAV_ERROR_NOMEMORY);
        return WAV_ERROR_NOMEMORY;
    }
    std::memcpy(data.get(), image.data() + parsed->dataOffset, parsed->dataSize);
    m_data = std::move(data);
    m_dataSize = parsed->dataSize;
    m_format = parsed->format;
    Format()->assign(m_format, m_dataSize, TnvWaveFormat::secondsOf(m_dataSize, m_format.avgBytesPerSec));
    refresh(&TnvPlayView::RefreshFormat);
    return 0;
}

qint32 TnvPlayPrivate::loadFromFiles()
{
    // Every file is opened and checked first, so the samples go into one block.
    const QStringList names = fileNames(q->Source()->FileName());
    std::vector<std::unique_ptr<TnvWaveFileReader>> readers;
    quint64 total = 0;
    bool limitAsked = false;
    const auto fail = [this](qint32 code, const QString& name) {
        ReportResult(false, code);
        write(false, QStringLiteral("    File: ") + name);
        return code;
    };
    for (const QString& name : names) {
        auto reader = std::make_unique<TnvWaveFileReader>();
        if (name.isEmpty())
            return fail(WAV_ERROR_NOFILE, name);
        if (qint32 code = reader->open(name))
            return fail(code, name);
        if (!readers.empty() && reader->format() != readers.front()->format())
            return fail(WAV_ERROR_FORMATMISMATCH, name);
        total += reader->dataSize();
        if (total > TnvWaveImage::MaxDataSize)
            return fail(WAV_ERROR_NOMEMORY, name);
        const qint64 limit = qint64(q->Source()->MaxSize()) * 1024;
        if (!limitAsked && limit > 0 && quint64(limit) < total) {
            limitAsked = true;
            if (!q->allowOverSize(true)) {
                ReportResult(false, WAV_ERROR_CANCELED);
                return WAV_ERROR_CANCELED;
            }
        }
        readers.push_back(std::move(reader));
    }
    std::unique_ptr<char[]> data(new (std::nothrow) char[size_t(total)]);
    if (!data) {
        ReportResult(false, WAV_ERROR_NOMEMORY);
        return WAV_ERROR_NOMEMORY;
    }
    quint64 at = 0;
    for (size_t i = 0; i < readers.size(); ++i) {
        TnvWaveFileReader& reader = *readers[i];
        if (qint32 code = reader.readSamples(reinterpret_cast<uchar*>(data.get() + at), reader.dataSize()))
            return fail(code, names.at(qsizetype(i)));
        at += reader.dataSize();
        reader.close();
    }
    m_data = std::move(data);
    m_dataSize = quint32(total);
    m_format = readers.front()->format();
    Format()->assign(m_format, m_dataSize, TnvWaveFormat::secondsOf(m_dataSize, m_format.avgBytesPerSec));
    refresh(&TnvPlayView::RefreshFormat);
    return 0;
}
