#include "TnvLog.h"

#include "TnvClock.h"
#include "TnvHostServices.h"
#include "TnvNotation.h"
#include "TnvSharedControl.h"
#include "TnvVantage.h"
#include "TnvVantageWindow.h"


namespace {

const QString kMarker = QStringLiteral("MARKER");

} // namespace

TnvLog::TnvLog(TnvSharedControl* owner, TnvVantage* vantage)
    : QObject(vantage)
    , m_owner(owner)
    , m_vantage(vantage)
{
    setObjectName(QStringLiteral("Log"));
}

bool TnvLog::Add(bool stamped, const QString& text)
{
    // The line that falls out of a full log lends its buffer to the new one, where no
    // one else holds it: a busy trace then writes its lines without allocating.
    QString line;
    if (m_active) {
        if (m_count > 0 && m_lines.size() >= m_count)
            line = std::move(m_lines.first());
        trimTo(m_count - 1);
    }

    const bool marker = text == kMarker;
    if (!m_timeStamp) {
        if (marker)
            line = QString(80, QLatin1Char('*'));
        else
            TnvNotation::notateInto(line, text, m_vantage->DevEnv());
    } else {
        // Stamp and notated text written into one string.
        const QString& body = marker ? QString(80, QLatin1Char('*')) : text;
        const qsizetype prefix = stamped ? TnvClock::StampLength + 1 : 2;
        const TDevEnv env = m_vantage->DevEnv();
        // Sized once (a lent buffer that fits is kept) and trimmed once, when written.
        line.resize(prefix + TnvNotation::roomFor(body.size(), env));
        QChar* const out = line.data();
        if (stamped)
            TnvClock::writeStamp(out);
        else
            out[0] = QLatin1Char('\t');
        out[prefix - 1] = QLatin1Char('\t');
        line.truncate(TnvNotation::writeNotated(out + prefix, body, env) - out);
    }

    bool result = false;
    if (m_active) {
        m_lines.append(line);
        Refresh();
        result = true;
    }
    if (m_owner && m_owner->OnLog) {
        m_owner->OnLog(m_owner, line);
        result = true;
    }
    return result;
}

bool TnvLog::AppendToLast(const QString& text)
{
    if (!m_active)
        return false;
    if (m_lines.isEmpty() || m_lines.constLast().contains(QLatin1StringView("<< Error >>")))
        return Add(false, text);
    m_lines.last() += TnvNotation::notate(text, m_vantage->DevEnv());
    Refresh();
    return true;
}

bool TnvLog::Clear()
{
    if (!m_active)
        return false;
    m_lines.clear();
    Refresh();
    return true;
}

void TnvLog::Refresh()
{
    if (m_updateDepth > 0) {
        m_refreshPending = true;
        return;
    }
    if (TnvVantageWindow* window = m_vantage->window())
        window->refreshLogView();
}

void TnvLog::BeginUpdate()
{
    ++m_updateDepth;
}

void TnvLog::EndUpdate()
{
    if (m_updateDepth == 0 || --m_updateDepth > 0)
        return;
    if (m_refreshPending) {
        m_refreshPending = false;
        Refresh();
    }
}

bool TnvLog::CopyToClipboard()
{
    TnvVantageWindow* window = m_vantage->window();
    return window && window->copyLogToClipboard();
}

bool TnvLog::Print()
{
    QStringList page;
    page.reserve(m_lines.size() + 3);
    page << QStringLiteral("Norvane Linkora v3.7.1.2")
         << QStringLiteral("Control: ") + TnvSharedControl::KindText(m_owner ? m_owner->Kind() : 0)
         << QString();
    page += m_lines;
    return TnvHostServices::instance().printLines(page);
}

std::optional<QString> TnvLog::propertyPath(const QString& header, const QString& prefix, const QString& indent,
                                            QStringView name)
{
    if (!m_active)
        return std::nullopt;
    if (!header.isEmpty())
        Add(true, header);
    QString path = indent;
    if (!prefix.isEmpty())
        path += prefix + QLatin1Char('.');
    path.append(name).append(QLatin1Char('.'));
    return path;
}

bool TnvLog::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    const std::optional<QString> opened = propertyPath(header, prefix, indent, u"Log");
    if (!opened)
        return false;
    const QString& path = *opened;
    Add(false, path + QStringLiteral("Active = ") + TnvNotation::boolText(m_active));
    Add(false, path + QStringLiteral("Count = ") + QString::number(m_count));
    Add(false, path + QStringLiteral("TimeStamp = ") + TnvNotation::boolText(m_timeStamp));
    return true;
}

void TnvLog::setActive(bool value)
{
    if (!value)
        Add(true, QStringLiteral("Log.Active := False"));
    m_active = value;
    if (value)
        Add(true, QStringLiteral("Log.Active := True"));
    Refresh();
}

void TnvLog::setCount(int value)
{
    if (value > 0) {
        Add(true, QStringLiteral("Log.Count := %1 //Lines").arg(value));
        if (value < m_count)
            trimTo(value);
        m_count = value;
    }
    Refresh();
}

void TnvLog::setTimeStamp(bool value)
{
    Add(true, QStringLiteral("Log.TimeStamp := ") + TnvNotation::boolText(value));
    m_timeStamp = value;
    Refresh();
}

void TnvLog::trimTo(int count)
{
    const qsizetype excess = m_lines.size() - qMax(count, 0);
    if (excess > 0)
        m_lines.remove(0, excess);
}
