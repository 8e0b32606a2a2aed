#pragma once

// Base of every control of the suite (line, phone, wave play, wave record). Owns the
// last-error record, the inspector settings and through them the trace log, and is the
// one place where operations report their result codes.

#include "TnvError.h"
#include "TnvLog.h"
#include "TnvTypes.h"
#include "TnvVantage.h"

#include <QObject>

class TnvSharedControl : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE setName)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)
    Q_PROPERTY(TnvVantage* Vantage READ Vantage CONSTANT)
    Q_PROPERTY(TnvError* Error READ Error CONSTANT STORED false)

public:
    explicit TnvSharedControl(QObject* owner = nullptr);
    ~TnvSharedControl() override;

    TNV_NotifyEvent OnError;
    TNV_LogEvent OnLog;

    QString Name() const { return objectName(); }
    void setName(const QString& name) { setObjectName(name); }
    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // A disabled control asks before its inspector window opens.
    virtual bool Enabled() const { return m_enabled; }
    virtual void setEnabled(bool enabled) { m_enabled = enabled; }

    int Kind() const { return m_kind; }
    TnvError* Error() const { return m_error; }
    TnvVantage* Vantage() const { return m_vantage; }
    TnvLog* Log() const { return m_log; }

    void SetKind(int kind, const QString& name);

    // Records code in Error and reports a failure in the log, to OnError and by the
    // popup settings. False only when the user cancels a warning.
    bool ReportResult(bool warning, qint32 code);
    // Puts an already reported code back as the last error, without reporting it again.
    void restoreError(qint32 code);

    // Dumps every setting into the log. The base writes what every control has;
    // concrete controls add their own sub-objects.
    virtual bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

    // "nvLine", "nvPhone", "nvPlay" or "nvRecord".
    static QString KindText(int kind);

    // Settings of the concrete controls that the base consults.
    virtual bool popupOnError() const { return false; }
    virtual bool popupOnWarning() const { return false; }
    // A wave control's state that also makes its window open on the Log page.
    virtual bool vantageOpensOnLog() const { return false; }

protected:
    // The name of a result code in the table of this kind of control.
    virtual QString resultText(qint32 code) const;

private:
    TnvError* m_error;
    TnvVantage* m_vantage;
    TnvLog* m_log;
    int m_kind = 0;
    int m_tag = 0;
    bool m_enabled = true;
};
