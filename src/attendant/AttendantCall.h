#pragma once

// What the attendant keeps of one call: who called on which line and when, what they
// pressed, how long they spoke, where the message is and how the call ended.

#include <QDateTime>
#include <QJsonObject>
#include <QString>

struct AttendantCall {
    // How a call ended, as calls.jsonl writes it.
    static inline const QString Recorded = QStringLiteral("recorded");
    static inline const QString Recovered = QStringLiteral("recovered");
    static inline const QString Lost = QStringLiteral("lost");
    static inline const QString NoMessage = QStringLiteral("no-message");
    static inline const QString Transferred = QStringLiteral("transferred");
    static inline const QString Failed = QStringLiteral("failed");

    int line = 0;
    QString callerNumber;
    QString callerName;
    QDateTime start;
    double seconds = 0;
    QString digits;
    // The message's file; empty when there is none.
    QString file;
    QString result;
    // Why the message is not where it should be, or why the call failed.
    QString error;

    // The call as a JSON object.
    QJsonObject toJson() const;
    // One line of calls.jsonl: the object in the order a person reads it (line, caller,
    // start, seconds, digits, file, result, error), ended by a line break.
    QByteArray toJsonLine() const;
};
