#include "AttendantCall.h"

#include <QJsonArray>
#include <QJsonDocument>

QJsonObject AttendantCall::toJson() const
{
    // The start with the local offset, so a reader elsewhere knows the moment.
    const QDateTime local = start.toOffsetFromUtc(start.offsetFromUtc());
    QJsonObject json{{QStringLiteral("line"), line},
                     {QStringLiteral("callerNumber"), callerNumber},
                     {QStringLiteral("callerName"), callerName},
                     {QStringLiteral("start"), local.toString(Qt::ISODate)},
                     {QStringLiteral("seconds"), qRound(seconds * 100.0) / 100.0},
                     {QStringLiteral("digits"), digits},
                     {QStringLiteral("file"), file.isEmpty() ? QJsonValue() : QJsonValue(file)},
                     {QStringLiteral("result"), result}};
    if (!error.isEmpty())
        json.insert(QStringLiteral("error"), error);
    return json;
}

QByteArray AttendantCall::toJsonLine() const
{
    const QJsonObject json = toJson();
    QByteArray line = "{";
    for (const char* key : {"line", "callerNumber", "callerName", "start", "seconds", "digits", "file", "result", "error"}) {
        const QJsonValue value = json.value(QLatin1String(key));
        if (value.isUndefined())
            continue;
        // Each value encoded as JSON writes it: inside a one-element array, less the brackets.
        const QByteArray encoded = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        if (line.size() > 1)
            line += ',';
        line += '"' + QByteArray(key) + "\":" + encoded.mid(1, encoded.size() - 2);
    }
    return line + "}\n";
}
