#include "TnvWaveRecovery.h"

#include "TnvRecord.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

QString TnvWaveRecovery::folder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    const QString path = state + QStringLiteral("/linkora/recordings");
    return QDir().mkpath(path) ? path : QString();
}

QString TnvWaveRecovery::freeName(const QString& target)
{
    const QString path = folder();
    if (path.isEmpty())
        return {};
    const QString stem = QFileInfo(target).completeBaseName().isEmpty() ? QStringLiteral("recording")
                                                                         : QFileInfo(target).completeBaseName();
    const QString base = path + QLatin1Char('/') + stem + QLatin1Char('-')
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base + QStringLiteral(".wav");
    for (int i = 2; QFileInfo::exists(name); ++i)
        name = base + QStringLiteral("-%1.wav").arg(i);
    return name;
}

QString TnvWaveRecovery::rescue(TnvRecord& control, const QString& target)
{
    TnvWaveBuffer* buffer = control.Source()->Buffer();
    if (!buffer->Handle())
        return {};
    if (!buffer->Active())
        buffer->setActive(true);
    const QString name = freeName(target);
    if (name.isEmpty() || !buffer->Active() || !buffer->SaveToFile(name))
        return {};
    return name;
}
