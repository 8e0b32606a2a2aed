#include "ApiHarness.h"

#include "EventLoop.h"
#include "InstantService.h"

#include <QCoreApplication>

std::vector<TapiMessage> ApiHarness::s_received;
std::function<void(const TapiMessage&)> ApiHarness::s_onMessage;

void ApiHarness::callback(DWORD device, DWORD message, DWORD instance, DWORD p1, DWORD p2, DWORD p3)
{
    s_received.push_back({device, message, instance, p1, p2, p3});
    if (s_onMessage)
        s_onMessage(s_received.back());
}

void ApiHarness::SetUp()
{
    s_received.clear();
    useInstantService(m_configDir);
}

void ApiHarness::TearDown()
{
    s_onMessage = nullptr;
    for (HLINEAPP app : m_apps)
        lineShutdown(app);
    // The service goes once its last user is gone; let it.
    waitForServiceStop();
}

HLINEAPP ApiHarness::initialize(const char* name, DWORD* devices)
{
    HLINEAPP app = 0;
    DWORD count = 0;
    DWORD version = TAPI_VERSION2_2;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;
    EXPECT_EQ(lineInitializeExA(&app, nullptr, &ApiHarness::callback, name, &count, &version, &params), 0);
    m_apps.push_back(app);
    if (devices)
        *devices = count;
    return app;
}

HLINE ApiHarness::open(HLINEAPP app, DWORD device, DWORD instance, DWORD privileges, DWORD media)
{
    HLINE line = 0;
    EXPECT_EQ(lineOpen(app, device, &line, TAPI_VERSION2_2, 0, instance, privileges, media, nullptr), 0);
    // Every state message the device can send.
    Block<LINEDEVCAPS> caps(sizeof(LINEDEVCAPS) + 4096);
    Block<LINEADDRESSCAPS> address(sizeof(LINEADDRESSCAPS) + 4096);
    EXPECT_EQ(lineGetDevCaps(app, device, TAPI_VERSION2_2, 0, caps.get()), 0);
    EXPECT_EQ(lineGetAddressCaps(app, device, 0, TAPI_VERSION2_2, 0, address.get()), 0);
    EXPECT_EQ(lineSetStatusMessages(line, caps->dwLineStates, address->dwAddressStates), 0);
    return line;
}

std::vector<TapiMessage> ApiHarness::messages(DWORD instance) const
{
    std::vector<TapiMessage> out;
    for (const TapiMessage& m : s_received)
        if (m.instance == instance)
            out.push_back(m);
    return out;
}

bool ApiHarness::waitFor(DWORD instance, const std::function<bool(const TapiMessage&)>& pred, TapiMessage* found,
                         int timeoutMs)
{
    size_t seen = 0;
    return waitUntil(
        [&] {
            for (; seen < s_received.size(); ++seen) {
                const TapiMessage& m = s_received[seen];
                if (m.instance == instance && pred(m)) {
                    if (found)
                        *found = m;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
}

bool ApiHarness::waitForReply(DWORD instance, LONG request, LONG* result)
{
    TapiMessage reply{};
    const bool ok = waitFor(
        instance, [&](const TapiMessage& m) { return m.message == LINE_REPLY && m.param1 == DWORD(request); }, &reply);
    if (result)
        *result = LONG(reply.param2);
    return ok;
}

bool ApiHarness::waitForState(DWORD instance, const HCALL& call, DWORD state)
{
    return waitFor(instance, [&](const TapiMessage& m) {
        return m.message == LINE_CALLSTATE && m.device == call && m.param1 == state;
    });
}

std::vector<DWORD> ApiHarness::states(DWORD instance, HCALL call) const
{
    std::vector<DWORD> out;
    for (const TapiMessage& m : s_received)
        if (m.instance == instance && m.message == LINE_CALLSTATE && m.device == call)
            out.push_back(m.param1);
    return out;
}

void ApiHarness::pump(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

QJsonObject ApiHarness::control(const QString& command, const QJsonObject& args)
{
    return Telephony::serviceControl(command, args);
}
