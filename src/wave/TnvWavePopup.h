#pragma once

// Which events of a wave control bring its inspector window forward: one flag per event,
// all off after construction. The play and record controls each publish their own set;
// the inspector's PopUp menu reaches a flag by the event's name.

#include <QObject>
#include <QStringList>

#include <vector>

class TnvLog;

class TnvWavePopup : public QObject {
    Q_OBJECT

public:
    // The event names in the order of the property dump.
    TnvWavePopup(TnvLog* log, QStringList events, QObject* parent);

    const QStringList& events() const { return m_events; }
    // By the event's name ("OnDone"); an unknown name reads as false and sets nothing.
    bool flag(const QString& eventName) const;
    bool setFlag(const QString& eventName, bool value);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

protected:
    bool at(int event) const { return m_flags[size_t(event)]; }
    void setAt(int event, bool value) { m_flags[size_t(event)] = value; }

private:
    TnvLog* m_log;
    QStringList m_events;
    std::vector<bool> m_flags;
};
