#include "RingfastShell.h"

#include "RingfastEvents.h"
#include "RingfastHost.h"
#include "RingfastScript.h"
#include "RingfastTerminal.h"

#include <TnvDialerDescription.h>
#include <TnvLine.h>

#include <VisibleText.h>

#include <QCoreApplication>
#include <QFile>

using Telephony::VisibleText;

namespace {

// A script line longer than this is refused rather than read on for ever.
constexpr qint64 kMaxLineBytes = 65536;

} // namespace

RingfastShell::RingfastShell(const RingfastOptions& options, QTextStream& out, QTextStream& err)
    : m_options(options)
    , m_out(out)
    , m_err(err)
{
}

RingfastShell::~RingfastShell() = default;

int RingfastShell::run(Telephony::ServiceOptions service)
{
    if (m_options.simSpeed)
        service.providerSettings[QStringLiteral("simulated")].insert(QStringLiteral("pacing"), *m_options.simSpeed);
    Telephony::setServiceOptions(service);
    const RingfastHost host(m_err, m_options.trace);
    if (!createLine())
        return Failed;

    int code = Success;
    if (m_options.command == RingfastOptions::Command::Shell) {
        code = runInteractive();
    } else if (m_options.script == QLatin1String("-")) {
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly)) {
            m_err << "ringfast: cannot read standard input\n";
            code = Failed;
        } else {
            code = runScript(input, QStringLiteral("standard input"));
        }
    } else {
        QFile input(m_options.script);
        if (!input.open(QIODevice::ReadOnly)) {
            m_err << "ringfast: cannot read " << VisibleText::escaped(m_options.script) << ": "
                  << VisibleText::escaped(input.errorString()) << '\n';
            code = Failed;
        } else {
            code = runScript(input, m_options.script);
        }
    }
    // As the window does on closing; a call still up ends with the line.
    m_line->Device()->setActive(false);
    m_script.reset();
    m_line.reset();
    m_out.flush();
    m_err.flush();
    return code;
}

bool RingfastShell::createLine()
{
    const TnvDialerDescription::Settings settings = m_options.lineSettings();
    m_events = std::make_unique<RingfastEvents>(m_out, m_options.trace);
    m_line = std::make_unique<TnvLine>();
    m_events->bind(*m_line);
    if (m_options.trace) {
        m_line->OnLog = [this](TnvSharedControl*, const QString& text) {
            RingfastTerminal::hideInput();
            m_out << VisibleText::escaped(text, VisibleText::KeepTabs) << '\n';
            m_out.flush();
            RingfastTerminal::showInput();
        };
    }
    for (const QString& path : TnvDialerDescription::load(*m_line, settings))
        m_err << "ringfast: stored setting " << VisibleText::escaped(path) << " refused\n";
    // The window's start: enabled, with its idle delay.
    m_line->setEnabled(true);
    m_line->Device()->setIdleDelay(m_options.idleDelay);
    m_script = std::make_unique<RingfastScript>(*m_line, *m_events, m_out);
    if (!m_line->Initialised()) {
        m_err << "ringfast: the telephony service did not start: " << VisibleText::escaped(m_line->Error()->Text())
              << '\n';
        return false;
    }
    return true;
}

std::optional<QString> RingfastShell::nextLine(QIODevice& input, QString* error)
{
    // Every line but a last one without its line break ends in one, so nothing read
    // means the end of input (standard input blocks until a line comes).
    QByteArray line = input.readLine(kMaxLineBytes + 1);
    if (line.isEmpty())
        return std::nullopt;
    if (line.size() > kMaxLineBytes && !line.endsWith('\n')) {
        *error = QStringLiteral("a line is longer than %1 bytes").arg(kMaxLineBytes);
        return std::nullopt;
    }
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

int RingfastShell::runScript(QIODevice& input, const QString& name)
{
    int number = 0;
    QString error;
    while (const std::optional<QString> line = nextLine(input, &error)) {
        ++number;
        if (!m_script->execute(*line, &error)) {
            m_err << "ringfast: " << VisibleText::escaped(name) << ':' << number << ": " << VisibleText::escaped(error)
                  << '\n';
            m_err.flush();
            return Failed;
        }
        // Whatever came meanwhile prints before the next step starts.
        QCoreApplication::processEvents();
        if (m_script->quitRequested())
            break;
    }
    if (!error.isEmpty()) {
        m_err << "ringfast: " << VisibleText::escaped(name) << ':' << number + 1 << ": " << error << '\n';
        return Failed;
    }
    return Success;
}

int RingfastShell::runInteractive()
{
    if (RingfastTerminal::interactive()) {
        m_err << "ringfast: shell on " << VisibleText::escaped(m_line->Name())
              << "; 'help' lists the words, Tab completes names, Ctrl-D ends\n";
        m_err.flush();
    }
    RingfastTerminal terminal(QStringLiteral("ringfast> "), [this](const QString& before, const QString& partial) {
        return m_script->completions(before, partial);
    });
    m_events->setPrintHooks(&RingfastTerminal::hideInput, &RingfastTerminal::showInput);
    while (const std::optional<QString> line = terminal.readLine()) {
        QString error;
        if (!m_script->execute(*line, &error)) {
            m_err << "ringfast: " << VisibleText::escaped(error) << '\n';
            m_err.flush();
        }
        if (m_script->quitRequested())
            break;
    }
    m_events->setPrintHooks(nullptr, nullptr);
    return Success;
}
