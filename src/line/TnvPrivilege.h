#pragma once

// The call privileges the line is opened with. Changes are refused while the line is
// open, since they only take effect at the next open.

#include <TapiStructs.h>

#include <QObject>

class TnvLineContext;

class TnvPrivilege : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool None READ None WRITE setNone)
    Q_PROPERTY(bool Monitor READ Monitor WRITE setMonitor)
    Q_PROPERTY(bool Owner READ Owner WRITE setOwner)

public:
    TnvPrivilege(TnvLineContext* line, QObject* parent);

    bool None() const { return m_none; }
    bool Monitor() const { return m_monitor; }
    bool Owner() const { return m_owner; }
    void setNone(bool value);
    void setMonitor(bool value);
    void setOwner(bool value);

    // The privilege argument of lineOpen: the values of the set flags summed (0 for none).
    DWORD lineOpenPrivileges() const;

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    // Writes the assignment line; false when the open line refuses the change.
    bool beginChange(const char* name, bool value);

    TnvLineContext* m_line;
    bool m_none = false;
    bool m_monitor = true;
    bool m_owner = true;
};
