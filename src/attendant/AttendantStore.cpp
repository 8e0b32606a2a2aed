#include "AttendantStore.h"

#include <TnvRecord.h>
#include <TnvWaveRecovery.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// A number, or a SIP caller's address, reduced to what any file system takes.
QString numberForFileName(const QString& number)
{
    QString kept;
    for (const QChar c : number) {
        if (c == u'*')
            kept += u'S';
        else if (c == u'#')
            kept += u'H';
        else if ((c.isLetterOrNumber() && c.unicode() < 0x80) || QStringView(u"+.@_").contains(c))
            kept += c;
    }
    while (kept.startsWith(u'.'))
        kept.remove(0, 1);
    return kept.isEmpty() ? QStringLiteral("unknown") : kept.left(48);
}

bool appendLine(const QString& fileName, const QByteArray& line)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    // One write, so a line is never left half among others.
    return file.write(line) == line.size() && file.flush();
}

} // namespace

AttendantStore::AttendantStore(const QString& folder)
    : m_folder(folder)
{
}

bool AttendantStore::prepare(QString* error) const
{
    if (!QDir().mkpath(m_folder) || !QFileInfo(m_folder).isWritable()) {
        *error = QStringLiteral("cannot write messages in '%1'").arg(m_folder);
        return false;
    }
    return true;
}

QString AttendantStore::target(const AttendantCall& call) const
{
    const QString base = m_folder + QLatin1Char('/') + call.start.toString(QStringLiteral("yyyyMMdd-HHmmss"))
                         + QLatin1Char('-') + QString::number(call.line) + QLatin1Char('-')
                         + numberForFileName(call.callerNumber);
    QString name = base + QStringLiteral(".wav");
    for (int i = 2; QFileInfo::exists(name); ++i)
        name = base + QStringLiteral("-%1.wav").arg(i);
    return name;
}

void AttendantStore::save(TnvRecord& control, AttendantCall& call) const
{
    TnvWaveBuffer* buffer = control.Source()->Buffer();
    if (!buffer->Handle()) {
        call.result = AttendantCall::Lost;
        call.error = QStringLiteral("the recording was not kept: ") + control.Error()->Text();
        return;
    }
    buffer->setName(call.callerName);
    buffer->setSubject(call.callerNumber);
    buffer->setComments(call.digits);
    buffer->setCreationDate(call.start);
    const QString wanted = target(call);
    // The folder may have gone since the start; a message is worth making it again.
    QDir().mkpath(m_folder);
    control.Error()->Clear();
    if (buffer->SaveToFile(wanted)) {
        call.file = wanted;
        call.result = AttendantCall::Recorded;
        return;
    }
    call.error = QStringLiteral("cannot save '%1': %2").arg(wanted, control.Error()->Text());
    call.file = TnvWaveRecovery::rescue(control, wanted);
    call.result = call.file.isEmpty() ? AttendantCall::Lost : AttendantCall::Recovered;
}

QString AttendantStore::append(const AttendantCall& call) const
{
    const QByteArray line = call.toJsonLine();
    const QString calls = m_folder + QStringLiteral("/calls.jsonl");
    if (appendLine(calls, line))
        return calls;
    const QString recovery = TnvWaveRecovery::folder();
    if (!recovery.isEmpty() && appendLine(recovery + QStringLiteral("/calls.jsonl"), line))
        return recovery + QStringLiteral("/calls.jsonl");
    return {};
}
