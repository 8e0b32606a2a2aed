#pragma once

// Reads the shell's lines from a terminal without stopping the event loop, so events
// print while a person types. With the line editor (when built with it) the lines have
// history and Tab completion; without it, or when standard input is no terminal, they
// are read plainly as they arrive.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;

class RingfastTerminal {
public:
    using Completer = std::function<QStringList(const QString& lineBefore, const QString& partial)>;

    // Whether standard input is a terminal.
    static bool interactive();
    // Whether lines are edited with history and completion.
    static bool editing();

    RingfastTerminal(const QString& prompt, Completer completer);
    ~RingfastTerminal();

    // Runs the event loop until a whole line was typed; nothing at the end of input.
    std::optional<QString> readLine();

    // Clears the line being typed, and shows it again; around output that comes meanwhile.
    static void hideInput();
    static void showInput();

private:
    void onReadable();

    QString m_prompt;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_pending;
    QStringList m_lines;
    bool m_ended = false;
};
