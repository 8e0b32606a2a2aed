#pragma once

// The result of a control's most recent operation: its code, the code in hexadecimal
// and its name. Cleared at the start of every operation; filled by ReportResult.

#include <QObject>

class TnvSharedControl;

class TnvError : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text)
    Q_PROPERTY(QString Hex READ Hex)
    Q_PROPERTY(int Number READ Number)

public:
    explicit TnvError(TnvSharedControl* owner);

    QString Text() const { return m_text; }
    QString Hex() const { return m_hex; }
    qint32 Number() const { return m_number; }

    void Clear();
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    friend class TnvSharedControl;

    TnvSharedControl* m_owner;
    QString m_text;
    QString m_hex;
    qint32 m_number = 0;
};
