#pragma once

// The command line of linkora-attendant: which lines to answer, what callers hear, where
// their messages go, how long they may speak, the menu and the operator. Every value is
// checked here, so the service starts only with settings it can keep.

#include <QChar>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

struct AttendantOptions {
    // Line numbers as the exchange counts them (device ID + 1); empty: every voice line.
    QList<int> lines;
    // Empty: the built-in tone.
    QString greeting;
    QString messages;
    int maxSeconds = 120;
    // A digit pressed during the greeting plays its file instead.
    QMap<QChar, QString> menu;
    // Where 0 pressed during the greeting transfers the caller; empty: nowhere.
    QString operatorNumber;
    // Calls to take before ending; 0: until stopped.
    int count = 0;
    // The simulated exchange's pacing; none: the configured one.
    std::optional<double> simSpeed;
    bool help = false;

    static constexpr int kMaxSeconds = 3600;
    static constexpr int kMaxLine = 1024;

    // arguments without the program's name; nothing, with error set, when one is wrong.
    static std::optional<AttendantOptions> parse(const QStringList& arguments, QString* error);
    static QString usage();
    // The folder messages go to without --messages.
    static QString defaultMessages();
};
