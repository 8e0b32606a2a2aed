#include "LineHarness.h"
#include <TnvLinePrivate.h>

#include "EventLoop.h"
#include "ExpectedLines.h"

#include <ServiceControl.h>
#include <TapiApi.h>
#include <TnvNotation.h>
#include <TnvPropertyPath.h>

#include <QJsonArray>
#include <QRegularExpression>

void LineHarness::SetUp()
{
    // Each test starts as a fresh program would.
    TnvLinePrivate::setRememberedActiveRequest(false);
    InstantServiceTest::SetUp();
}

std::vector<std::pair<QString, QVariant>> LineHarness::dialerSettings()
{
    std::vector<std::pair<QString, QVariant>> settings = {
        {"Name", "nvLine1"},
        {"Vantage.DevEnv", "deDelphi"},
        {"Vantage.Log.Active", true},
        {"Vantage.Log.Count", 50},
        {"Vantage.Log.TimeStamp", false},
        {"Vantage.StayOnTop", false},
        {"Vantage.Visible", false},
        {"Enabled", true},
        {"Device.IdleDelay", 0},
        {"Device.TranslatePhoneNumber", false},
        {"Device.UnformatPhoneNumber", false},
        {"Privilege.Monitor", true},
        {"Privilege.None", false},
        {"Privilege.Owner", true},
        {"TAPI.LowVersion", 65539},
        {"TAPI.HighVersion", 131074},
        {"TAPI.ExtensionLowVersion", 0},
        {"TAPI.ExtensionHighVersion", 0},
        {"TAPI.ReplyTimeout", 60000},
    };
    for (const char* owner : {"Call", "Conference", "Transfer", "Address.Forward"}) {
        const QString base = QString::fromLatin1(owner) + QStringLiteral(".Parameters.");
        settings.insert(settings.end(), {{base + "AddressID", 0},
                                         {base + "BearerMode", 1},
                                         {base + "Defaults", true},
                                         {base + "Flags", 0},
                                         {base + "MediaMode", 4},
                                         {base + "NoAnswerTimeout", 0}});
    }
    for (const char* party : {"CalledID", "CallerID", "ConnectedID", "RedirectingID", "RedirectionID"}) {
        const QString base = QStringLiteral("Call.") + QLatin1String(party) + QLatin1Char('.');
        settings.insert(settings.end(), {{base + "FormatName", true},
                                         {base + "MaskNumber", "000-000-0000;0;*"},
                                         {base + "EventFilter", true}});
    }
    settings.insert(settings.end(), {{"Comm.DeviceClass", "comm/datamodem"},
                                     {"Phone.DeviceClass", "tapi/phone"},
                                     {"WavePlay.DeviceClass", "wave/out"},
                                     {"WaveRecord.DeviceClass", "wave/in"}});
    return settings;
}

std::unique_ptr<TnvLine> LineHarness::loadDialerLine()
{
    auto line = std::make_unique<TnvLine>();
    line->OnLog = [this](TnvSharedControl*, const QString& text) { m_trace << text; };
    line->BeginLoading();
    const QStringList refused = TnvPropertyPath::apply(line.get(), dialerSettings());
    EXPECT_TRUE(refused.isEmpty()) << refused.join(QLatin1Char(' ')).toStdString();
    line->Loaded();
    return line;
}

namespace {

void ignoreMessages(DWORD, DWORD, DWORD, DWORD, DWORD, DWORD) {}

} // namespace

HLINEAPP LineHarness::holdCallsElsewhere(int count)
{
    HLINEAPP other = 0;
    DWORD devices = 0;
    HLINE line = 0;
    if (lineInitialize(&other, nullptr, ignoreMessages, "other", &devices) != 0
        || lineOpen(other, 0, &line, TAPI_VERSION2_2, 0, 1, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE,
                    nullptr) != 0)
        return 0;
    std::vector<HCALL> calls(size_t(count), 0);
    for (HCALL& call : calls)
        if (lineMakeCall(line, &call, "5550100", 0, nullptr) <= 0)
            return 0;
    if (!waitUntil([&] { return calls.back() != 0; }))
        return 0;
    return other;
}

QStringList LineHarness::takeTrace()
{
    return std::exchange(m_trace, {});
}

void LineHarness::expectTrace(const QString& name, const QStringList& trace)
{
    expectStoredLines(QStringLiteral(LINKORA_TRACES "/") + name + QStringLiteral(".txt"), trace, "LINKORA_UPDATE_TRACES");
}

QStringList LineHarness::takeNormalizedTrace(const QList<HCALL>& calls)
{
    QStringList trace = takeTrace();
    for (qsizetype i = 0; i < calls.size(); ++i)
        trace.replaceInStrings(TnvNotation::hex8(calls.at(i)),
                               calls.size() == 1 ? QStringLiteral("<call>") : QStringLiteral("<call%1>").arg(i + 1));
    trace.replaceInStrings(QRegularExpression(QStringLiteral("\\d\\d:\\d\\d:\\d\\d$")), QStringLiteral("<time>"));
    return trace;
}

bool LineHarness::control(const QString& command, const QJsonObject& args)
{
    return exchangeCommand(command, args);
}

QJsonValue LineHarness::exchangeCall(const QString& field, const QString& value)
{
    const QJsonArray calls =
        Telephony::serviceControl(QStringLiteral("calls"), {{"line", 1}}).value(QStringLiteral("calls")).toArray();
    for (const QJsonValue& call : calls)
        if (call.toObject().value(field).toString() == value)
            return call.toObject().value(QStringLiteral("call"));
    return {};
}
