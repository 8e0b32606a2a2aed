#include "RingfastCallAudio.h"

#include "RingfastEvents.h"

#include <TnvLine.h>
#include <TnvPlay.h>
#include <TnvRecord.h>
#include <TnvWaveRecovery.h>

#include <TapiConstants.h>
#include <VisibleText.h>

#include <QEventLoop>
#include <QTimer>

#include <optional>

using Telephony::VisibleText;

namespace {

// The events after which the call may be over.
bool mayEndCall(const QString& event)
{
    return event == QLatin1String("OnDisconnected") || event == QLatin1String("OnCallEnd")
           || event == QLatin1String("OnIdle");
}

QString quotedName(const QString& text)
{
    return QLatin1Char('\'') + VisibleText::escaped(text) + QLatin1Char('\'');
}

bool isDtmfDigit(QChar c)
{
    return c.isDigit() || QStringLiteral("ABCD*#").contains(c.toUpper());
}

} // namespace

RingfastCallAudio::RingfastCallAudio(TnvLine& line, RingfastEvents& events)
    : m_line(line)
    , m_events(events)
{
}

bool RingfastCallAudio::callConnected() const
{
    return m_line.Call()->Handle() != 0 && m_line.Call()->State() == LINECALLSTATE_CONNECTED;
}

bool RingfastCallAudio::deviceOfCall(bool output, int* id, QString* error) const
{
    const QString word = output ? QStringLiteral("play") : QStringLiteral("record");
    if (!callConnected()) {
        *error = word + QStringLiteral(" needs a connected call");
        return false;
    }
    const TnvRelatedWaveDevice* device = output ? m_line.WavePlay() : m_line.WaveRecord();
    if (!device->Available() || device->ID() < 0) {
        *error = QStringLiteral("%1 has no wave %2 device for its calls")
                     .arg(m_line.Name(), output ? QStringLiteral("output") : QStringLiteral("input"));
        return false;
    }
    *id = device->ID();
    return true;
}

bool RingfastCallAudio::play(const QStringList& arguments, QString* error)
{
    if (arguments.size() != 1) {
        *error = QStringLiteral("play needs one file");
        return false;
    }
    int id = 0;
    if (!deviceOfCall(true, &id, error))
        return false;
    TnvPlay control;
    // Named as a form's first play control would be, so its events read like the line's.
    control.setObjectName(QStringLiteral("nvPlay1"));
    m_events.bind(control);
    control.Device()->setCODECsEnabled(true);
    control.Device()->setID(id);
    control.Source()->setFileName(arguments.first());
    if (control.Error()->Number() != 0 || !control.Source()->Valid()) {
        *error = QStringLiteral("play %1: %2").arg(quotedName(arguments.first()), control.Error()->Text());
        return false;
    }
    QEventLoop loop;
    bool done = false;
    // Over when played, when the call ends, or when the device stopped on an error.
    const auto check = [&] {
        if (done || !callConnected() || !control.Device()->Active())
            loop.quit();
    };
    m_events.setObserver([&](const QString& event) {
        if (event == QLatin1String("OnDone"))
            done = true;
        if (done || mayEndCall(event) || event == QLatin1String("OnError"))
            check();
    });
    control.Device()->setActive(true);
    if (!control.Device()->Active() && !done) {
        m_events.setObserver(nullptr);
        *error = QStringLiteral("play %1: %2").arg(quotedName(arguments.first()), control.Error()->Text());
        return false;
    }
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, &loop, check);
    guard.start(200);
    if (!done && callConnected())
        loop.exec();
    guard.stop();
    m_events.setObserver(nullptr);
    // The call ended first: what is left is not played.
    if (control.Device()->Active())
        control.Device()->setActive(false);
    return true;
}

bool RingfastCallAudio::record(const QStringList& arguments, QString* error)
{
    QStringList rest = arguments;
    std::optional<double> seconds;
    std::optional<QChar> digit;
    for (qsizetype i = 0; i < rest.size();) {
        const QString& word = rest.at(i);
        if (word != QLatin1String("--seconds") && word != QLatin1String("--until-digit")) {
            ++i;
            continue;
        }
        if (i + 1 >= rest.size()) {
            *error = QStringLiteral("record: %1 needs a value").arg(word);
            return false;
        }
        const QString value = rest.at(i + 1);
        if (word == QLatin1String("--seconds")) {
            bool ok = false;
            seconds = value.toDouble(&ok);
            if (!ok || !(*seconds > 0) || *seconds > kMaxSeconds) {
                *error = QStringLiteral("record: --seconds needs a number above 0, at most %1, not %2")
                             .arg(kMaxSeconds)
                             .arg(quotedName(value));
                return false;
            }
        } else {
            if (value.size() != 1 || !isDtmfDigit(value.at(0))) {
                *error = QStringLiteral("record: --until-digit needs one of 0-9, *, #, A-D, not %1 (quote \"#\")")
                             .arg(quotedName(value));
                return false;
            }
            digit = value.at(0).toUpper();
        }
        rest.remove(i, 2);
    }
    if (rest.size() != 1) {
        *error = QStringLiteral("record needs one file, and may take --seconds S and --until-digit D");
        return false;
    }
    const QString file = rest.first();
    int id = 0;
    if (!deviceOfCall(false, &id, error))
        return false;
    TnvMonitorDigits* monitor = m_line.Call()->MonitorDigits();
    if (digit && !monitor->Active()) {
        monitor->setActive(true);
        if (!monitor->Active()) {
            *error = QStringLiteral("record: the call's digits cannot be followed: ") + m_line.Error()->Text();
            return false;
        }
    }

    TnvRecord control;
    control.setObjectName(QStringLiteral("nvRecord1"));
    m_events.bind(control);
    control.Device()->setCODECsEnabled(true);
    control.Device()->setID(id);
    control.Source()->setFileName(file);
    if (control.Error()->Number() != 0 || !control.Source()->Valid()) {
        *error = QStringLiteral("record %1: %2")
                     .arg(quotedName(file), control.Error()->Number() ? control.Error()->Text()
                                                                       : QStringLiteral("no such folder"));
        return false;
    }
    QEventLoop loop;
    m_events.setObserver([&](const QString& event) {
        const bool pressed = digit && event == QLatin1String("OnDigitReceived")
                             && monitor->Received().endsWith(*digit);
        if (pressed || (mayEndCall(event) && !callConnected()))
            loop.quit();
    });
    // A device that stopped on an error ends the step too.
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, &loop, [&] {
        if (!control.Device()->Active())
            loop.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    control.Device()->setActive(true);
    if (!control.Device()->Active()) {
        m_events.setObserver(nullptr);
        *error = QStringLiteral("record %1: %2").arg(quotedName(file), control.Error()->Text());
        return false;
    }
    if (seconds)
        limit.start(int(*seconds * 1000.0));
    guard.start(200);
    if (callConnected())
        loop.exec();
    guard.stop();
    m_events.setObserver(nullptr);
    if (control.Device()->Active())
        control.Device()->setActive(false);
    if (control.Error()->Number() == 0)
        return true;
    *error = QStringLiteral("record %1: %2").arg(quotedName(file), control.Error()->Text());
    // Not written where asked: the control kept it, and the step says where it went.
    if (control.Source()->Buffer()->Handle()) {
        const QString rescued = TnvWaveRecovery::rescue(control, file);
        *error += rescued.isEmpty() ? QStringLiteral("; the recording is lost")
                                    : QStringLiteral("; the recording is saved in ") + rescued;
    }
    return false;
}
