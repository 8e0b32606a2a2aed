#pragma once

// The two service handles the line control holds: its usage handle from initialisation
// and the handle of the open line. Both are 0 when absent; the control sets them.

#include <TapiStructs.h>

#include <QObject>

class TnvLineContext;

class TnvLineLine : public QObject {
    Q_OBJECT
    Q_PROPERTY(uint AppHandle READ AppHandle WRITE setAppHandle STORED false)
    Q_PROPERTY(uint Handle READ Handle WRITE setHandle STORED false)

public:
    TnvLineLine(TnvLineContext* line, QObject* parent);

    HLINEAPP AppHandle() const { return m_appHandle; }
    HLINE Handle() const { return m_handle; }
    void setAppHandle(HLINEAPP value) { m_appHandle = value; }
    void setHandle(HLINE value) { m_handle = value; }

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvLineContext* m_line;
    HLINEAPP m_appHandle = 0;
    HLINE m_handle = 0;
};
