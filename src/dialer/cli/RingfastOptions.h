#pragma once

// What the command line asked ringfast to do, checked: the command, its number and the
// settings of the line control and the simulated exchange.

#include <TnvDialerDescription.h>

#include <QString>
#include <QStringList>

#include <optional>

class RingfastOptions {
public:
    enum class Command { Help, Devices, Dial, Answer, Shell, Run };

    Command command = Command::Help;
    QString number;
    // run: the script's file, or "-" for standard input.
    QString script;
    int device = 0;
    // Seconds after connecting; none: until the far end ends the call.
    std::optional<double> hangupAfter;
    int count = 1;
    bool trace = false;
    QString devEnv = QStringLiteral("deDelphi");
    bool timestamp = false;
    std::optional<double> simSpeed;
    int idleDelay = 2000;
    // TAPI.ReplyTimeout; none: the stored 60000 ms.
    std::optional<int> replyTimeout;

    // Parses the arguments (the program's name first). On failure returns nothing and
    // sets error to a one-line reason.
    static std::optional<RingfastOptions> parse(const QStringList& arguments, QString* error);
    static QString helpText();

    // The dialer's stored settings with what the command line changes in them.
    TnvDialerDescription::Settings lineSettings() const;
};
