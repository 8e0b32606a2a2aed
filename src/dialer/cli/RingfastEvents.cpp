#include "RingfastEvents.h"

#include <TnvLine.h>
#include <TnvNotation.h>
#include <TnvPlay.h>
#include <TnvPopup.h>
#include <TnvRecord.h>

#include <VisibleText.h>

#include <QEventLoop>
#include <QTimer>

using Telephony::VisibleText;

namespace {

// A script that never waits must not hold every event of a long session.
constexpr std::size_t kMaxKept = 4096;

// Raw service traffic, which the trace shows in full; printed only when asked for.
bool serviceLevel(const QString& name)
{
    static const QStringList names = {QStringLiteral("OnTAPIMessage"), QStringLiteral("OnTAPIReply"),
                                      QStringLiteral("OnCallState"), QStringLiteral("OnCallInfo")};
    return names.contains(name);
}

QString argumentText(int value)
{
    return QLatin1Char('[') + TnvNotation::hex8(quint32(value)) + QLatin1Char(']');
}

QString argumentText(QChar value)
{
    return QLatin1Char('\'') + VisibleText::escaped(QString(value)) + QLatin1Char('\'');
}

QString argumentText(const QString& value)
{
    return QLatin1Char('\'') + VisibleText::escaped(value) + QLatin1Char('\'');
}

template<typename... Args>
QString detailsOf(const Args&... args)
{
    QString text;
    ((text += QLatin1Char(' ') + argumentText(args)), ...);
    return text;
}

} // namespace

RingfastEvents::RingfastEvents(QTextStream& out, bool verbose)
    : m_out(out)
    , m_verbose(verbose)
{
}

const QStringList& RingfastEvents::names()
{
    static const QStringList all = [] {
        QStringList list;
        for (int i = 0; i < TnvPopup::EventCount; ++i)
            list << QLatin1String(TnvPopup::eventName(i));
        return list;
    }();
    return all;
}

bool RingfastEvents::known(const QString& name)
{
    return names().contains(name);
}

template<typename Set>
void RingfastEvents::bindSet(Set& set)
{
    // Every event the control lists, bound where the set has a handler of that name.
#define RINGFAST_BIND_EVENT(name)                                                                        \
    if constexpr (requires { &Set::name; })                                                              \
        set.name = [this](TnvSharedControl* sender, const auto&... args) {                               \
            fired(sender ? sender->Name() : QString(), #name, detailsOf(args...));                       \
        };
    TNV_LINE_POPUP_EVENTS(RINGFAST_BIND_EVENT)
#undef RINGFAST_BIND_EVENT
}

void RingfastEvents::bind(TnvLine& line)
{
    bindSet<TnvLineEventSet>(line);
    // The error event belongs to every control, not to the line's own set.
    line.OnError = [this](TnvSharedControl* sender) {
        fired(sender->Name(), "OnError", QLatin1Char(' ') + argumentText(sender->Error()->Text()));
    };
}

void RingfastEvents::bind(TnvPlay& play)
{
    const auto notify = [this](const char* name) {
        return [this, name](TnvSharedControl* sender) { fired(sender->Name(), name, QString()); };
    };
    play.OnLoaded = notify("OnLoaded");
    play.OnLoop = notify("OnLoop");
    play.OnDone = notify("OnDone");
    play.OnError = [this](TnvSharedControl* sender) {
        fired(sender->Name(), "OnError", QLatin1Char(' ') + argumentText(sender->Error()->Text()));
    };
}

void RingfastEvents::bind(TnvRecord& record)
{
    record.OnDone = [this](TnvSharedControl* sender) { fired(sender->Name(), "OnDone", QString()); };
    record.OnError = [this](TnvSharedControl* sender) {
        fired(sender->Name(), "OnError", QLatin1Char(' ') + argumentText(sender->Error()->Text()));
    };
}

void RingfastEvents::fired(const QString& control, const char* name, const QString& details)
{
    const QString event = QLatin1String(name);
    ++m_counts[event];
    if (m_kept.size() >= kMaxKept)
        m_kept.pop_front();
    m_kept.push_back(event);
    // The event may fire inside a loop of the control's own; the wait's loop ends once
    // that one has returned.
    if (m_loop && event == m_waitingFor)
        m_loop->quit();
    if (m_verbose || !serviceLevel(event)) {
        if (m_beforePrint)
            m_beforePrint();
        m_out << VisibleText::escaped(control) << '.' << event << details << '\n';
        m_out.flush();
        if (m_afterPrint)
            m_afterPrint();
    }
    if (m_observer)
        m_observer(event);
}

bool RingfastEvents::wait(const QString& name, int timeoutMs)
{
    const auto take = [this, &name] {
        for (auto it = m_kept.begin(); it != m_kept.end(); ++it) {
            if (*it == name) {
                m_kept.erase(m_kept.begin(), it + 1);
                return true;
            }
        }
        return false;
    };
    if (take())
        return true;
    m_waitingFor = name;
    QEventLoop loop;
    m_loop = &loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    timeout.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(qMax(timeoutMs, 0));
    loop.exec();
    m_loop = nullptr;
    m_waitingFor.clear();
    return take();
}
