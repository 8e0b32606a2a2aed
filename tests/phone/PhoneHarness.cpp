#include "PhoneHarness.h"

#include "ExpectedLines.h"

#include <ServiceControl.h>


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
    expectStoredLines(QStringLiteral(LINKORA_TRACES "/") + name + QStringLiteral(".txt"), trace, "LINKORA_UPDATE_TRACES");
}

bool PhoneHarness::control(const QString& command, const QJsonObject& args)
{
    return exchangeCommand(command, args);
}
