// What the linkora-sim tool makes of its command line and how it shows an answer: the
// words a person types become one control request, and a response becomes "ok" or
// "error: ..." followed by "key: value" lines. Kept apart from the tool so tests can feed
// it every sort of mistyped line.
#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

namespace Telephony {

class ControlCommandLine {
public:
    enum class Action {
        Invalid, // errorText() says what is wrong with the words.
        ShowUsage,
        Send,
    };

    enum ExitCode {
        ExitOk = 0,
        ExitFailed = 1, // The program refused the command or gave no usable answer.
        ExitUsage = 2,
        ExitNoServer = 3,
    };

    static constexpr int maxValueLength = 4096;

    // The words after the program name. Tool options (--server, --timeout, --json,
    // --help) may stand anywhere; every other --name belongs to the command and so must
    // follow it. A --name followed by a word not starting with "--" takes that word as its
    // value, otherwise it is a flag sent as true; --name=value is accepted as well.
    bool parse(const QStringList& arguments);

    Action action() const { return m_action; }
    QString errorText() const { return m_errorText; }
    QString serverName() const { return m_serverName; }
    QString command() const { return m_command; }
    QJsonObject args() const { return m_args; }
    int timeoutMs() const { return m_timeoutMs; }

    static QString usage();
    static QString noServerText();

    // One "key: value" line per field of a response but "ok" and "error"; continuation
    // lines of multi-line texts are indented, control characters made visible.
    static QStringList fieldLines(const QJsonObject& response);
    static QString valueText(const QJsonValue& value);

private:
    bool invalid(const QString& text);
    bool takeToolOption(const QString& key, const QString& value);

    Action m_action = Action::Invalid;
    QString m_errorText;
    QString m_serverName;
    QString m_command;
    QJsonObject m_args;
    int m_timeoutMs = 0;
    bool m_serverGiven = false;
    bool m_timeoutGiven = false;
    bool m_jsonGiven = false;
};

} // namespace Telephony
