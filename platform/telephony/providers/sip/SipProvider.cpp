#include "SipProvider.h"

#include "SipAddress.h"
#include "SipCaps.h"
#include "SipInputGuard.h"
#include "SipStreamGuard.h"
#include "shims/SipShims.h"

#include "../../TapiConstants.h"
#include "../../VisibleText.h"

#include <QDateTime>
#include <QDebug>
#include <QJsonArray>
#include <QTimer>

namespace Telephony {

using namespace Sip;

namespace {

// Reports into nowhere while the service has not attached or has let go.
class NullSink : public ProviderSink {
public:
    void completeRequest(DWORD, LONG) override {}
    CallId newCall(DWORD, DWORD) override { return 0; }
    void callStateChanged(CallId, DWORD, DWORD) override {}
    void callInfoChanged(CallId, DWORD) override {}
    void lineDevStateChanged(DWORD, DWORD, DWORD, DWORD) override {}
    void addressStateChanged(DWORD, DWORD, DWORD) override {}
    void lineClosed(DWORD) override {}
    void lineDevSpecific(DWORD, CallId, DWORD, DWORD, DWORD) override {}
    void digitReceived(CallId, char, DWORD) override {}
    void mediaModeDetected(CallId, DWORD) override {}
    void toneDetected(DWORD, DWORD) override {}
    void generateFinished(DWORD, DWORD) override {}
    void phoneStateChanged(DWORD, DWORD, DWORD) override {}
    void phoneButton(DWORD, DWORD, DWORD, DWORD) override {}
};

} // namespace

SipProvider::SipProvider(const QVariantMap& settings, QObject* parent) : QObject(parent)
{
    applySettings(settings);
}

SipProvider::~SipProvider()
{
    m_sink = nullptr;
    endMixes();
    m_calls.clear();
    m_leaving.clear();
    if (m_callAudio)
        m_callAudio->detach();
    m_endpoints.clear();
}

QString SipProvider::name() const { return QStringLiteral("sip"); }

void SipProvider::setSink(ProviderSink* sink) { m_sink = sink; }

ProviderSink& SipProvider::sink()
{
    static NullSink none;
    return m_sink ? *m_sink : none;
}

int SipProvider::lineDeviceCount() const { return int(m_endpoints.size()); }

const LineDeviceCaps& SipProvider::lineCaps(int device) const
{
    static const LineDeviceCaps none;
    return validLine(device) ? m_caps[size_t(device)] : none;
}

// "wave/out" and "wave/in" are the line's wave devices, which carry its calls' audio.
LONG SipProvider::deviceId(int device, const QString& deviceClass, DWORD* id) const
{
    const QString cls = deviceClass.trimmed().toLower();
    if (cls != QLatin1String("wave/out") && cls != QLatin1String("wave/in"))
        return LONG(LINEERR_INVALDEVICECLASS);
    const int number = validLine(device) && m_callAudio
                           ? m_callAudio->deviceNumber(device, cls == QLatin1String("wave/out") ? WaveDirection::Out
                                                                                               : WaveDirection::In)
                           : -1;
    if (number < 0)
        return LONG(LINEERR_NODEVICE);
    if (id)
        *id = DWORD(number);
    return 0;
}

LONG SipProvider::validateAddress(int, const QByteArray& address) const { return checkDialable(address); }

void SipProvider::applySettings(const QVariantMap& settings)
{
    // A changed account means new stacks; calls of the old ones end with them.
    m_warnings.clear();
    m_settings = takeNewPasswords(settings);
    m_soundCard = settings.value(QStringLiteral("audio"), QStringLiteral("soundcard")).toString() != QLatin1String("none");
    m_ringMs = qBound(100, settings.value(QStringLiteral("ringMs"), 6000).toInt(), 60000);
    m_registerWaitMs = qBound(0, settings.value(QStringLiteral("registerWaitMs"), 30000).toInt(), 3600000);
    m_accounts = readAccounts(settings, &m_warnings);
    const int mediaTimeout = qBound(1, settings.value(QStringLiteral("mediaTimeout"), 30).toInt(), 3600);
    for (SipAccount& account : m_accounts)
        account.mediaTimeout = mediaTimeout;
    failWaitingDials(LONG(LINEERR_OPERATIONFAILED));
    for (auto& [id, c] : m_calls)
        if (c.state != LINECALLSTATE_IDLE)
            setState(id, LINECALLSTATE_IDLE);
    m_calls.clear();
    m_leaving.clear();
    if (m_callAudio)
        m_callAudio->detach();
    m_endpoints.clear();
    m_callAudio.reset();
    m_caps.clear();
    m_forwarding.clear();
    startEndpoints();
    for (const QString& warning : m_warnings)
        qWarning().noquote() << "sip:" << warning;
}

QVariantMap SipProvider::settings() const
{
    QVariantMap shown = m_settings;
    // A password never travels through the settings, whatever the file held.
    for (auto it = shown.begin(); it != shown.end();)
        it = it.key().endsWith(QLatin1String(".password")) ? shown.erase(it) : std::next(it);
    // An empty, write-only field per password file: the dialog sets a new password there.
    for (const SipAccount& account : std::as_const(m_accounts))
        if (!account.passwordFile.isEmpty())
            shown.insert(QStringLiteral("account%1.newPassword").arg(account.index), QString());
    return shown;
}

QVariantMap SipProvider::takeNewPasswords(const QVariantMap& settings)
{
    static const QLatin1String suffix(".newPassword");
    QVariantMap kept = settings;
    for (auto it = kept.begin(); it != kept.end();) {
        if (!it.key().endsWith(suffix)) {
            ++it;
            continue;
        }
        QByteArray password = it.value().toString().toUtf8();
        const QString prefix = it.key().chopped(suffix.size());
        it = kept.erase(it);
        if (password.isEmpty())
            continue;
        const QString path = kept.value(prefix + QStringLiteral(".passwordFile")).toString().trimmed();
        QString error;
        if (path.isEmpty())
            m_warnings << QStringLiteral("%1: a new password needs a passwordFile to live in")
                              .arg(VisibleText::escaped(prefix.left(32)));
        else if (!writePassword(path, password, &error))
            m_warnings << QStringLiteral("%1: %2").arg(VisibleText::escaped(prefix.left(32)), error);
        password.fill('\0');
    }
    return kept;
}

void SipProvider::startEndpoints()
{
    QStringList names;
    for (int device = 0; device < int(m_accounts.size()); ++device)
        names << QString::fromUtf8(buildLineCaps(device, m_accounts[device]).lineName);
    m_callAudio = SipCallAudio::create(names, this, [this](int device) {
        if (validLine(device))
            m_endpoints[size_t(device)]->routeAudio();
    });
    for (const SipAccount& account : std::as_const(m_accounts)) {
        const int device = int(m_endpoints.size());
        auto endpoint = std::make_unique<SipEndpoint>(device, account, m_soundCard, this, this);
        endpoint->setLineAudio(m_callAudio->line(device), names.value(device));
        m_endpoints.push_back(std::move(endpoint));
        m_caps.push_back(buildLineCaps(device, account));
        m_opens.resize(m_endpoints.size(), 0);
        m_forwarding.resize(m_endpoints.size());
        // A line that registers is reachable only once registered, so it starts now; any
        // other line's stack waits until the line is opened.
        if (account.registerEnabled) {
            startEndpoint(device, &m_warnings);
            continue;
        }
        // The password file is checked now all the same, so its fault shows at start.
        QByteArray password;
        QString error;
        if (!account.passwordFile.isEmpty() && !readPassword(account.passwordFile, &password, &error))
            m_warnings << QStringLiteral("account%1 (%2): %3")
                              .arg(account.index)
                              .arg(VisibleText::escaped(account.shortName()), error);
        password.fill('\0');
    }
}

bool SipProvider::startEndpoint(int device, QStringList* warnings)
{
    SipEndpoint& endpoint = *m_endpoints[size_t(device)];
    if (endpoint.started())
        return true;
    QString error;
    if (endpoint.start(&error))
        return true;
    const QString warning = QStringLiteral("account%1 (%2): %3")
                                .arg(endpoint.account().index)
                                .arg(VisibleText::escaped(endpoint.account().shortName()), error);
    if (warnings)
        *warnings << warning;
    else
        qWarning().noquote() << "sip:" << warning;
    return false;
}

int SipProvider::localPort(int device) const
{
    return validLine(device) ? m_endpoints[size_t(device)]->localPort() : 0;
}

bool SipProvider::inService(int device) const
{
    return validLine(device) && m_endpoints[size_t(device)]->started() && m_endpoints[size_t(device)]->inService();
}

void SipProvider::registrationChanged(SipEndpoint& endpoint)
{
    const DWORD state = endpoint.inService() ? LINEDEVSTATE_INSERVICE : LINEDEVSTATE_OUTOFSERVICE;
    if (endpoint.registration() == SipEndpoint::Registration::Failed)
        qWarning().noquote() << QStringLiteral("sip: %1 cannot register: %2")
                                    .arg(VisibleText::escaped(endpoint.account().shortName()),
                                         endpoint.registrationError());
    sink().lineDevStateChanged(DWORD(endpoint.device()), state, 0, 0);
    // Calls waiting for the registration go on outside the stack's report.
    if (!m_waitingDials.empty())
        QTimer::singleShot(0, this, [this, device = endpoint.device()] { registrationSettled(device); });
}

// ---------------------------------------------------------------------------------------
// Lines
// ---------------------------------------------------------------------------------------

LONG SipProvider::open(int device, DWORD privileges, DWORD mediaModes)
{
    if (!validLine(device))
        return LONG(LINEERR_BADDEVICEID);
    if ((privileges & LINECALLPRIVILEGE_OWNER) &&
        (mediaModes == 0 || (mediaModes & ~m_caps[size_t(device)].fixed.dwMediaModes) != 0))
        return LONG(LINEERR_INVALMEDIAMODE);
    // A stack that did not start leaves the line open but out of service; the next
    // open tries again.
    startEndpoint(device, nullptr);
    ++m_opens[size_t(device)];
    return 0;
}

void SipProvider::close(int device)
{
    if (validLine(device) && m_opens[size_t(device)] > 0)
        --m_opens[size_t(device)];
}

int SipProvider::liveCalls(int device) const
{
    int count = 0;
    for (const auto& [id, c] : m_calls)
        if (c.device == device && !c.isConference && c.state != 0 && c.state != LINECALLSTATE_IDLE)
            ++count;
    return count;
}

LineStatusData SipProvider::lineStatus(int device) const
{
    LineStatusData d;
    if (!validLine(device))
        return d;
    LINEDEVSTATUS& s = d.fixed;
    s.dwNumOpens = DWORD(m_opens[size_t(device)]);
    bool ringing = false;
    for (const auto& [id, c] : m_calls) {
        if (c.device != device)
            continue;
        if (c.state == LINECALLSTATE_ONHOLD)
            ++s.dwNumOnHoldCalls;
        else if (c.state == LINECALLSTATE_ONHOLDPENDTRANSFER || c.state == LINECALLSTATE_ONHOLDPENDCONF)
            ++s.dwNumOnHoldPendCalls;
        else if (c.state == LINECALLSTATE_CONFERENCED)
            continue; // counted as the conference call
        else if (c.state != 0 && c.state != LINECALLSTATE_IDLE && c.state != LINECALLSTATE_OFFERING &&
                 c.state != LINECALLSTATE_DISCONNECTED)
            ++s.dwNumActiveCalls;
        ringing = ringing || c.state == LINECALLSTATE_OFFERING;
    }
    s.dwLineFeatures = m_caps[size_t(device)].fixed.dwLineFeatures;
    s.dwRingMode = ringing ? 1 : 0;
    s.dwSignalLevel = 0xFFFF;
    s.dwBatteryLevel = 0xFFFF;
    s.dwRoamMode = 0x00000002; // LINEROAMMODE_UNAVAIL
    s.dwDevStatusFlags = LINEDEVSTATUSFLAGS_CONNECTED | (inService(device) ? LINEDEVSTATUSFLAGS_INSERVICE : 0);
    s.dwAvailableMediaModes = m_caps[size_t(device)].fixed.dwMediaModes;
    return d;
}

AddressStatusData SipProvider::addressStatus(int device, DWORD addressId) const
{
    AddressStatusData d;
    if (!validLine(device) || addressId != 0)
        return d;
    const LineStatusData line = lineStatus(device);
    d.fixed.dwNumInUse = liveCalls(device) > 0 ? 1 : 0;
    d.fixed.dwNumActiveCalls = line.fixed.dwNumActiveCalls;
    d.fixed.dwNumOnHoldCalls = line.fixed.dwNumOnHoldCalls;
    d.fixed.dwNumOnHoldPendCalls = line.fixed.dwNumOnHoldPendCalls;
    d.fixed.dwAddressFeatures = LINEADDRFEATURE_MAKECALL | LINEADDRFEATURE_FORWARD;
    d.fixed.dwNumRingsNoAnswer = m_forwarding[size_t(device)].rings;
    d.forwards = m_forwarding[size_t(device)].entries;
    return d;
}

LONG SipProvider::forward(DWORD requestId, int device, bool, DWORD addressId,
                          const QList<AddressStatusData::Forward>& forwards, DWORD numRingsNoAnswer)
{
    if (!validLine(device))
        return LONG(LINEERR_BADDEVICEID);
    if (addressId != 0)
        return LONG(LINEERR_INVALADDRESSID);
    constexpr DWORD supported = LINEFORWARDMODE_UNCOND | LINEFORWARDMODE_BUSY | LINEFORWARDMODE_NOANSW;
    for (const AddressStatusData::Forward& f : forwards) {
        if ((f.mode & (f.mode - 1)) != 0 || (f.mode & supported) == 0)
            return LONG(LINEERR_INVALPARAM);
        if (checkDialable(f.destAddress) != 0)
            return LONG(LINEERR_INVALADDRESS);
    }
    const DWORD rings = qBound<DWORD>(1, numRingsNoAnswer ? numRingsNoAnswer : 3, 10);
    QTimer::singleShot(0, this, [this, requestId, device, forwards, rings] {
        if (!validLine(device)) {
            sink().completeRequest(requestId, LONG(LINEERR_OPERATIONFAILED));
            return;
        }
        sink().completeRequest(requestId, 0);
        m_forwarding[size_t(device)] = {forwards, rings};
        sink().addressStateChanged(DWORD(device), 0, LINEADDRESSSTATE_FORWARD);
    });
    return 0;
}

// ---------------------------------------------------------------------------------------
// Control commands (linkora-sim and tests)
// ---------------------------------------------------------------------------------------

QJsonObject SipProvider::control(const QString& command, const QJsonObject&)
{
    if (command == QLatin1String("lines")) {
        QJsonArray lines;
        for (const auto& endpoint : m_endpoints)
            lines.append(QJsonObject{{QStringLiteral("name"), QString::fromUtf8(m_caps[size_t(endpoint->device())].lineName)},
                                     {QStringLiteral("port"), endpoint->localPort()},
                                     {QStringLiteral("started"), endpoint->started()},
                                     {QStringLiteral("inService"), inService(endpoint->device())},
                                     {QStringLiteral("error"), endpoint->registrationError()}});
        // How often the stack entered each of the module's shims: one never entered while
        // SIP flows is not in effect.
        QJsonObject shims;
        for (int i = 0; i < Shims::shimCount(); ++i)
            shims.insert(QString::fromLatin1(Shims::shims()[i].function), Shims::shims()[i].calls());
        // Messages the input guard shortened or dropped, and stream connections closed as
        // hostile, in the whole process.
        return {{QStringLiteral("ok"), true},
                {QStringLiteral("shims"), shims},
                {QStringLiteral("stackLibraryFound"), Shims::stackLibraryFound()},
                {QStringLiteral("lines"), lines},
                {QStringLiteral("shortened"), SipInputGuard::rewrittenCount()},
                {QStringLiteral("dropped"), SipInputGuard::droppedCount()},
                {QStringLiteral("closedConnections"), SipStreamGuard::closedCount()}};
    }
    return TelephonyProvider::control(command, {});
}

} // namespace Telephony
