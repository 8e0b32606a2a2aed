#pragma once

// Follows every event of a line control for ringfast's shell and scripts: each one is
// printed as it fires and kept until a script's wait takes it. The events are the
// control's own handler slots, bound by name, so a new event needs no code here.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <deque>
#include <functional>

class QEventLoop;
class TnvLine;
class TnvPlay;
class TnvRecord;

class RingfastEvents {
public:
    // verbose: also the service-level events (every message, reply, call state and call
    // information), which the trace shows in detail anyway.
    RingfastEvents(QTextStream& out, bool verbose);

    // Binds every event of line to this object; line must outlive the binding's use.
    void bind(TnvLine& line);
    // The events of a wave control that plays or records the call's audio.
    void bind(TnvPlay& play);
    void bind(TnvRecord& record);

    // Told the name of every event after it printed (the call's audio ends with the call).
    void setObserver(std::function<void(const QString&)> observer) { m_observer = std::move(observer); }

    // Whether the line control has an event of that name.
    static bool known(const QString& name);
    static const QStringList& names();

    // Takes the oldest kept occurrence of name, dropping the events kept before it;
    // with none kept, runs the event loop until it fires. False when timeoutMs passed.
    bool wait(const QString& name, int timeoutMs);

    // Set while a terminal line is being edited: before clears the line being typed, after
    // shows the prompt and the typed text again below the printed event.
    void setPrintHooks(void (*before)(), void (*after)())
    {
        m_beforePrint = before;
        m_afterPrint = after;
    }

    // How often the event fired so far.
    int count(const QString& name) const { return m_counts.value(name); }

private:
    template<typename Set>
    void bindSet(Set& set);
    void fired(const QString& control, const char* name, const QString& details);

    QTextStream& m_out;
    bool m_verbose;
    // Events not yet taken by a wait, oldest first; bounded, the oldest go first.
    std::deque<QString> m_kept;
    QHash<QString, int> m_counts;
    QString m_waitingFor;
    QEventLoop* m_loop = nullptr;
    void (*m_beforePrint)() = nullptr;
    void (*m_afterPrint)() = nullptr;
    std::function<void(const QString&)> m_observer;
};
