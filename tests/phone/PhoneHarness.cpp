#include "PhoneHarness.h"

#include "EventLoop.h"
#include "InstantService.h"

#include <ServiceControl.h>

#include <QFile>

void PhoneHarness::SetUp()
{
    useInstantService(m_configDir);
}

void PhoneHarness::TearDown()
{
    waitUntil([] { return !Telephony::serviceRunning(); }, 2000);
}

std::unique_ptr<TnvPhone> PhoneHarness::enabledPhone()
{
    auto phone = std::make_unique<TnvPhone>();
    phone->setName(QStringLiteral("nvPhone1"));
    phone->OnLog = [this](TnvSharedControl*, const QString& text) { m_trace << text; };
    phone->setEnabled(true);
    EXPECT_TRUE(phone->Enabled());
    EXPECT_EQ(phone->Device()->Count(), 1);
    return phone;
}

std::unique_ptr<TnvPhone> PhoneHarness::openPhone()
{
    std::unique_ptr<TnvPhone> phone = enabledPhone();
    phone->Device()->setActive(true);
    EXPECT_TRUE(phone->Device()->Active());
    m_trace.clear();
    return phone;
}

QStringList PhoneHarness::takeTrace()
{
    return std::exchange(m_trace, {});
}

void PhoneHarness::expectTrace(const QString& name, const QStringList& trace)
{
    const QString path = QStringLiteral(LINKORA_TRACES "/") + name + QStringLiteral(".txt");
    if (qEnvironmentVariableIsSet("LINKORA_UPDATE_TRACES")) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        if (!trace.isEmpty())
            out.write(trace.join(QLatin1Char('\n')).toUtf8() + '\n');
        return;
    }
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
    const QString content = QString::fromUtf8(in.readAll());
    QStringList expected = content.isEmpty() ? QStringList() : content.split(QLatin1Char('\n'));
    if (!expected.isEmpty() && expected.constLast().isEmpty())
        expected.removeLast();
    bool same = expected.size() == trace.size();
    for (qsizetype i = 0; same && i < trace.size(); ++i)
        same = expected.at(i) == QLatin1String("<any>") || expected.at(i) == trace.at(i);
    EXPECT_TRUE(same) << "expected (" << name.toStdString() << "):\n"
                      << expected.join(QLatin1Char('\n')).toStdString() << "\nactual:\n"
                      << trace.join(QLatin1Char('\n')).toStdString();
}

bool PhoneHarness::control(const QString& command, const QJsonObject& args)
{
    return Telephony::serviceControl(command, args).value(QStringLiteral("ok")).toBool();
}
