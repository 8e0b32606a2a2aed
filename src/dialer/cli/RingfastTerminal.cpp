#include "RingfastTerminal.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "RingfastEditLine.h"

namespace {

// A line longer than this is cut; no command comes near it.
constexpr qsizetype kMaxLine = 65536;

// The editor calls plain functions; one terminal reads at a time.
RingfastTerminal::Completer* g_completer = nullptr;
QStringList* g_lines = nullptr;
bool* g_ended = nullptr;
bool g_prompting = false;

#ifdef LINKORA_HAVE_EDITLINE
QStringList g_matches;

char* nextMatch(const char*, int state)
{
    if (state == 0) {
        g_matches.clear();
        if (g_completer) {
            const RingfastEditLine* e = RingfastEditLine::get();
            const char* buffer = *e->lineBuffer;
            const int point = *e->point;
            const QString line = QString::fromUtf8(buffer, qsizetype(std::strlen(buffer)));
            const qsizetype start = line.lastIndexOf(QLatin1Char(' '), qMax<qsizetype>(point - 1, 0)) + 1;
            const QString before = line.left(start);
            const QString partial = line.mid(start, point - start);
            g_matches = (*g_completer)(before, partial);
        }
    }
    if (g_matches.isEmpty())
        return nullptr;
    // The editor frees what it gets.
    return strdup(g_matches.takeFirst().toUtf8().constData());
}

char** complete(const char* text, int, int)
{
    const RingfastEditLine* e = RingfastEditLine::get();
    *e->attemptedCompletionOver = 1;
    return e->completionMatches(text, nextMatch);
}

void lineTyped(char* line)
{
    const RingfastEditLine* e = RingfastEditLine::get();
    if (!line) {
        if (g_ended)
            *g_ended = true;
        e->callbackHandlerRemove();
        g_prompting = false;
        return;
    }
    if (*line)
        e->addHistory(line);
    if (g_lines)
        *g_lines << QString::fromUtf8(line).left(kMaxLine);
    std::free(line);
    // The next prompt comes when the next line is asked for, after the command ran.
    e->callbackHandlerRemove();
    g_prompting = false;
}
#endif

} // namespace

bool RingfastTerminal::interactive()
{
    return isatty(STDIN_FILENO) == 1;
}

bool RingfastTerminal::editing()
{
#ifdef LINKORA_HAVE_EDITLINE
    return interactive() && RingfastEditLine::get();
#else
    return false;
#endif
}

RingfastTerminal::RingfastTerminal(const QString& prompt, Completer completer)
    : m_prompt(prompt)
    , m_notifier(std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read))
{
    g_completer = new Completer(std::move(completer));
    g_lines = &m_lines;
    g_ended = &m_ended;
    m_notifier->setEnabled(false);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { onReadable(); });
#ifdef LINKORA_HAVE_EDITLINE
    if (editing()) {
        const RingfastEditLine* e = RingfastEditLine::get();
        *e->readlineName = "ringfast";
        *e->attemptedCompletionFunction = complete;
        // Dotted names are one word.
        *e->basicWordBreakCharacters = const_cast<char*>(" \t\n\"");
    }
#endif
}

RingfastTerminal::~RingfastTerminal()
{
#ifdef LINKORA_HAVE_EDITLINE
    if (g_prompting)
        RingfastEditLine::get()->callbackHandlerRemove();
#endif
    g_prompting = false;
    delete g_completer;
    g_completer = nullptr;
    g_lines = nullptr;
    g_ended = nullptr;
}

void RingfastTerminal::onReadable()
{
#ifdef LINKORA_HAVE_EDITLINE
    if (editing()) {
        RingfastEditLine::get()->callbackReadChar();
        return;
    }
#endif
    char buffer[4096];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) {
        m_ended = true;
        m_notifier->setEnabled(false);
        if (!m_pending.isEmpty())
            m_lines << QString::fromUtf8(m_pending).left(kMaxLine);
        m_pending.clear();
        return;
    }
    m_pending.append(buffer, got);
    qsizetype newline = 0;
    while ((newline = m_pending.indexOf('\n')) >= 0) {
        m_lines << QString::fromUtf8(m_pending.left(newline)).left(kMaxLine);
        m_pending.remove(0, newline + 1);
    }
    if (m_pending.size() > kMaxLine) {
        m_lines << QString::fromUtf8(m_pending.left(kMaxLine));
        m_pending.clear();
    }
}

std::optional<QString> RingfastTerminal::readLine()
{
#ifdef LINKORA_HAVE_EDITLINE
    if (editing() && !m_ended && m_lines.isEmpty() && !g_prompting) {
        RingfastEditLine::get()->callbackHandlerInstall(m_prompt.toUtf8().constData(), lineTyped);
        g_prompting = true;
    }
#endif
    if (!editing() && interactive() && m_lines.isEmpty() && !m_ended) {
        std::fputs(m_prompt.toUtf8().constData(), stdout);
        std::fflush(stdout);
    }
    // Input is read only while a line is asked for; what is typed while a command runs
    // waits for the next prompt.
    m_notifier->setEnabled(!m_ended);
    while (m_lines.isEmpty() && !m_ended)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    m_notifier->setEnabled(false);
    if (m_lines.isEmpty())
        return std::nullopt;
    return m_lines.takeFirst();
}

void RingfastTerminal::hideInput()
{
    if (!g_prompting)
        return;
    // Back to the start of the line and clear it; the editor draws it again afterwards.
    std::fputs("\r\x1b[K", stdout);
    std::fflush(stdout);
}

void RingfastTerminal::showInput()
{
#ifdef LINKORA_HAVE_EDITLINE
    if (g_prompting)
        RingfastEditLine::get()->forcedUpdateDisplay();
#endif
}
