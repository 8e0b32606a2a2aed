#pragma once

// What the wave tests share: a wave control that stands in for the play and record
// controls, and a writer of RIFF WAVE bytes that can also lie about sizes.

#include <TnvWaveControl.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>

class TestWaveControl : public TnvWaveControl {
public:
    explicit TestWaveControl(int kind = ckPlay, bool logFormat = false)
        : TnvWaveControl(kind, nullptr, logFormat)
    {
        OnLog = [this](TnvSharedControl*, const QString& line) { lines << line; };
    }
    // The base writes its closing lines after this part is gone.
    ~TestWaveControl() override { OnLog = nullptr; }

    bool popupWarning = false;
    bool device = false;
    QStringList lines;

    bool popupOnWarning() const override { return popupWarning; }
    bool deviceActive() const override { return device; }

    TnvWaveBuffer* buffer() const { return Source()->Buffer(); }
    TnvWaveFormat* format() const { return Source()->Format(); }
    bool logged(const QString& line) const { return lines.contains(line); }
};

namespace wavetest {

inline QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (8 * i));
    return b;
}

inline QByteArray le16(quint16 v)
{
    return le32(v).left(2);
}

inline QByteArray chunk(const char* id, const QByteArray& body, qint64 sizeField = -1)
{
    QByteArray c = QByteArray(id, 4) + le32(sizeField < 0 ? quint32(body.size()) : quint32(sizeField)) + body;
    if (body.size() & 1)
        c.append('\0');
    return c;
}

inline QByteArray fmtBody(quint16 tag, quint16 channels, quint32 rate, quint16 bits, int extra = 0)
{
    const quint16 align = quint16(channels * qMax(bits / 8, 1));
    QByteArray b = le16(tag) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
    if (extra >= 0)
        b += le16(quint16(extra)) + QByteArray(extra, 'x');
    return b;
}

inline QByteArray info(std::initializer_list<std::pair<const char*, QByteArray>> items)
{
    QByteArray body = "INFO";
    for (const auto& [id, text] : items)
        body += chunk(id, text);
    return chunk("LIST", body);
}

// A RIFF WAVE file of the given chunks; riffSize < 0 means the true size.
inline QByteArray riff(const QByteArray& chunks, qint64 riffSize = -1)
{
    return QByteArray("RIFF") + le32(riffSize < 0 ? quint32(chunks.size() + 4) : quint32(riffSize)) + "WAVE" + chunks;
}

// 16-bit mono samples counting up from start, so joins and cuts can be checked.
inline QByteArray ramp(int samples, int start = 0)
{
    QByteArray b;
    for (int i = 0; i < samples; ++i)
        b += le16(quint16(start + i));
    return b;
}

inline QByteArray pcmFile(quint32 rate, const QByteArray& samples, const QByteArray& tail = {})
{
    return riff(chunk("fmt ", fmtBody(1, 1, rate, 16)) + chunk("data", samples) + tail);
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline quint32 u32At(const QByteArray& b, qsizetype at)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | uchar(b.at(at + i));
    return v;
}

// The samples of a loaded buffer.
inline QByteArray samplesOf(const TnvWaveBuffer* buffer)
{
    const auto* image = static_cast<const char*>(buffer->MemoryPointer());
    return image ? QByteArray(image + TnvWaveImage::HeaderSize, qsizetype(buffer->DataSize())) : QByteArray();
}

} // namespace wavetest
