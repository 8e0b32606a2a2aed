#pragma once

// What the play and record control tests share: controls that keep their trace lines
// and count their events, the loopback devices picked by name, and short test sounds.

#include "QtPrinters.h"
#include "WaveTestSupport.h"

#include <EventLoop.h>
#include <TnvPlay.h>
#include <TnvRecord.h>

#include <QTemporaryDir>

inline const QString kLoopbackName = QStringLiteral("Linkora Loopback");

// A control of type C that records its trace and its events in order.
template<typename C>
struct Traced {
    C control;
    QStringList lines;
    QStringList events;

    Traced()
    {
        control.OnLog = [this](TnvSharedControl*, const QString& line) { lines << line; };
        control.OnError = [this](TnvSharedControl*) { events << QStringLiteral("OnError"); };
        control.OnDone = [this](TnvSharedControl*) { events << QStringLiteral("OnDone"); };
    }
    ~Traced()
    {
        control.OnLog = nullptr;
        control.OnError = nullptr;
        control.OnDone = nullptr;
    }

    int count(const QString& event) const { return int(events.count(event)); }
    bool logged(const QString& line) const { return lines.contains(line); }
    // Picks the device by its name, as a program would; false when it is not there.
    bool select(const QString& name)
    {
        const qsizetype id = control.Device()->List().indexOf(name);
        if (id < 0)
            return false;
        control.Device()->setID(int(id));
        return control.Device()->Name() == name;
    }
    // The lines from the first one equal to from on.
    QStringList linesFrom(const QString& from) const
    {
        const qsizetype at = lines.indexOf(from);
        return at < 0 ? QStringList() : lines.mid(at);
    }
};

struct TracedPlay : Traced<TnvPlay> {
    TracedPlay()
    {
        control.OnLoaded = [this](TnvSharedControl*) { events << QStringLiteral("OnLoaded"); };
        control.OnLoop = [this](TnvSharedControl*) { events << QStringLiteral("OnLoop"); };
    }
    ~TracedPlay()
    {
        control.OnLoaded = nullptr;
        control.OnLoop = nullptr;
    }
};

using TracedRecord = Traced<TnvRecord>;

namespace wavetest {

// 16-bit mono samples that silence never contains: every one is non-zero and they
// differ from their neighbours, so a recording can be searched for them.
inline QByteArray tone(int samples, int start = 1)
{
    QByteArray b;
    for (int i = 0; i < samples; ++i)
        b += le16(quint16(((start + i * 37) % 30000) + 1));
    return b;
}

// The data chunk of a WAVE file: its samples, or nothing when the file is no WAVE file.
inline QByteArray dataOf(const QByteArray& file)
{
    const qsizetype at = file.indexOf("data", 12);
    if (at < 0 || at + 8 > file.size())
        return QByteArray();
    return file.mid(at + 8, qsizetype(u32At(file, at + 4)));
}

} // namespace wavetest
