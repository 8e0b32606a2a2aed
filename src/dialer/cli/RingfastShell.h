#pragma once

// ringfast's shell and scripts: the dialer's line control (nvLine1 from the window's
// stored settings) driven one command at a time, from a person at a terminal or from a
// script. Every event prints as it fires (and with --trace the trace lines too); a
// script stops at the first step that fails and its exit status says whether all ran.

#include "RingfastOptions.h"

#include <ServiceControl.h>

#include <QIODevice>
#include <QTextStream>

#include <memory>

class RingfastEvents;
class RingfastScript;
class TnvLine;

class RingfastShell {
public:
    enum ExitCode { Success = 0, Failed = 1 };

    RingfastShell(const RingfastOptions& options, QTextStream& out, QTextStream& err);
    ~RingfastShell();

    // Runs the shell or the script of the options on the running QCoreApplication's
    // event loop. service holds the exchange's options (its pacing is replaced by
    // --sim-speed when given).
    int run(Telephony::ServiceOptions service = {});

    // Runs the lines of input, named name in messages; stops at the first failing step.
    int runScript(QIODevice& input, const QString& name);

private:
    bool createLine();
    int runInteractive();
    // The next line of input; nothing at its end or when a line is too long (error set).
    static std::optional<QString> nextLine(QIODevice& input, QString* error);

    RingfastOptions m_options;
    QTextStream& m_out;
    QTextStream& m_err;
    // Declared before the line, so the line and its handlers go first.
    std::unique_ptr<RingfastEvents> m_events;
    std::unique_ptr<TnvLine> m_line;
    std::unique_ptr<RingfastScript> m_script;
};
