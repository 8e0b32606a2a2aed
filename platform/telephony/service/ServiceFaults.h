// Faults the service injects on request (tests and linkora-sim): a named function fails
// with a given code, its reply is delayed or withheld, or it answers
// LINEERR_STRUCTURETOOSMALL once whatever the buffer.
#pragma once

#include "../TapiStructs.h"

#include <QHash>
#include <QJsonObject>
#include <QString>

namespace Telephony {

class ServiceFaults {
public:
    // The code the function must fail with now, or 0.
    LONG takeFailure(const QString& function);
    // Whether any function is set to fail: every API call asks, nearly always of none.
    bool anyFailure() const { return !m_failures.isEmpty(); }
    bool takeTooSmall(const QString& function);
    // Milliseconds to hold the function's reply back; -1 withholds it for good.
    int replyDelay(const QString& function) const;

    // The control commands "fail", "delay", "withhold", "toosmall" and "clearfaults".
    bool handles(const QString& command) const;
    QJsonObject control(const QString& command, const QJsonObject& args);
    void clear();

private:
    struct Failure {
        LONG code = 0;
        int remaining = 0;
    };
    QHash<QString, Failure> m_failures;
    QHash<QString, int> m_tooSmall;
    QHash<QString, int> m_delays;
};

} // namespace Telephony
