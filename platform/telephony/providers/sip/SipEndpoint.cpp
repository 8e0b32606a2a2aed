#include "SipEndpoint.h"

#include "SipInputGuard.h"
#include "SipSoundCard.h"
#include "SipTone.h"

#include "../../VisibleText.h"

#include <QFile>
#include <QLoggingCategory>

#include <utility>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace Telephony::Sip {

namespace {

// Often enough that call set-up does not wait on the timer, rarely enough to stay idle.
constexpr int kIterateMs = 10;

std::string utf8(const QString& text) { return text.toStdString(); }

linphone::TransportType transportOf(SipAccount::Transport transport)
{
    switch (transport) {
    case SipAccount::Transport::Tcp:
        return linphone::TransportType::Tcp;
    case SipAccount::Transport::Tls:
        return linphone::TransportType::Tls;
    case SipAccount::Transport::Udp:
        break;
    }
    return linphone::TransportType::Udp;
}

Q_LOGGING_CATEGORY(lcStack, "linkora.sip.stack", QtCriticalMsg)

// FIXME: the stack's C++ wrapper looks its listener up unlocked when a media thread logs;
// with every level let through that raced with the main thread, so keep the mask narrow.
// The stack's errors, made visible, in a category of their own (off unless asked for
// with QT_LOGGING_RULES="linkora.sip.stack=true").
class StackLog : public linphone::LoggingServiceListener {
public:
    void onLogMessageWritten(const std::shared_ptr<linphone::LoggingService>&, const std::string& domain,
                             linphone::LogLevel, const std::string& message) override
    {
        qCWarning(lcStack).noquote() << VisibleText::escaped(QString::fromStdString(domain)) << ':'
                                     << VisibleText::escaped(QString::fromStdString(message).left(1000));
    }
};

void quietStackLogs()
{
    // The stack's own log would show SIP messages, digest exchanges included: only its
    // errors are let through, and not onto the terminal.
    static const bool done = [] {
        auto service = linphone::LoggingService::get();
        service->setLogLevelMask(unsigned(linphone::LogLevel::Error) | unsigned(linphone::LogLevel::Fatal));
        service->addListener(std::make_shared<StackLog>());
        return true;
    }();
    (void)done;
}

// The stack parses a message into many small blocks, and a call's media threads use
// allocator arenas of their own: freed, that memory stays with the process until it is
// handed back explicitly. Done after a call went and after a large message, it keeps
// the process's size flat; it takes well under a millisecond.
void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

class SipEndpoint::Listener : public linphone::CoreListener {
public:
    explicit Listener(SipEndpoint* endpoint) : m_endpoint(endpoint) {}
    void detach() { m_endpoint = nullptr; }

    void onAccountRegistrationStateChanged(const std::shared_ptr<linphone::Core>&,
                                           const std::shared_ptr<linphone::Account>&, linphone::RegistrationState state,
                                           const std::string& message) override
    {
        if (m_endpoint)
            m_endpoint->onRegistration(state, message);
    }
    void onCallStateChanged(const std::shared_ptr<linphone::Core>&, const std::shared_ptr<linphone::Call>& call,
                            linphone::Call::State state, const std::string&) override
    {
        if (state == linphone::Call::State::Released)
            m_released = true;
        if (m_endpoint && m_endpoint->events())
            m_endpoint->events()->callStateChanged(*m_endpoint, call, state);
    }
    bool takeReleased() { return std::exchange(m_released, false); }
    void onDtmfReceived(const std::shared_ptr<linphone::Core>&, const std::shared_ptr<linphone::Call>& call,
                        int dtmf) override
    {
        if (m_endpoint && m_endpoint->events())
            m_endpoint->events()->dtmfReceived(*m_endpoint, call, dtmf);
    }
    void onTransferStateChanged(const std::shared_ptr<linphone::Core>&, const std::shared_ptr<linphone::Call>& call,
                                linphone::Call::State state) override
    {
        if (m_endpoint && m_endpoint->events())
            m_endpoint->events()->transferStateChanged(*m_endpoint, call, state);
    }

private:
    SipEndpoint* m_endpoint;
    bool m_released = false;
};

SipEndpoint::SipEndpoint(int device, const SipAccount& account, bool soundCard, Events* events, QObject* parent)
    : QObject(parent)
    , m_device(device)
    , m_account(account)
    , m_soundCard(soundCard)
    , m_events(events)
{
    m_iterate.setInterval(kIterateMs);
    connect(&m_iterate, &QTimer::timeout, this, [this] {
        if (!m_core)
            return;
        m_core->iterate();
        const bool large = SipInputGuard::takeLargeMessage();
        const bool released = m_listener && m_listener->takeReleased();
        if (large || released)
            releaseFreedMemory();
    });
}

SipEndpoint::~SipEndpoint() { stopCore(); }

void SipEndpoint::stopCore()
{
    m_iterate.stop();
    m_running = false;
    if (m_listener)
        m_listener->detach();
    if (m_core) {
        m_core->terminateAllCalls();
        m_core->removeListener(m_listener);
        m_core->stop();
    }
    m_card.reset();
    m_sipAccount.reset();
    m_listener.reset();
    m_core.reset();
}

bool SipEndpoint::start(QString* error)
{
    if (m_running)
        return true;
    if (startCore(error)) {
        m_running = true;
        return true;
    }
    stopCore();
    m_registration = Registration::Unregistered;
    return false;
}

bool SipEndpoint::startCore(QString* error)
{
    quietStackLogs();
    if (!m_dir)
        m_dir = std::make_unique<QTemporaryDir>();
    if (!m_dir->isValid()) {
        *error = QStringLiteral("no folder for the SIP stack's data");
        return false;
    }
    QByteArray password;
    if (!m_account.passwordFile.isEmpty() && !readPassword(m_account.passwordFile, &password, error))
        return false;

    // Each core has folders of its own; one without a writable data folder never starts.
    const std::string dir = utf8(m_dir->path());
    auto factory = linphone::Factory::get();
    factory->setConfigDir(dir);
    factory->setDataDir(dir);
    factory->setDownloadDir(dir);
    // The stack's media plugins are video renderers built on another Qt major version;
    // loaded into this process they crash it at exit. A voice line needs none of them.
    factory->setMspluginsDir(dir);
    // The configuration lives in memory only: the password is never written to disk.
    auto config = factory->createConfigFromString("");
    if (!m_account.bindAddress.isEmpty()) {
        config->setString("sip", "bind_address", utf8(m_account.bindAddress));
        config->setString("rtp", "bind_address", utf8(m_account.bindAddress));
        config->setString("net", "nat_address", utf8(m_account.bindAddress));
    }
    // No call history: the stack would keep every call's log in memory for good.
    config->setString("storage", "call_logs_db_uri", "null");
    config->setInt("misc", "history_max_size", 0);
    // The host of Contact is the configured one, not a guess from the routing table.
    config->setInt("sip", "guess_hostname", 0);
    config->setInt("video", "automatically_initiate", 0);
    config->setInt("video", "automatically_accept", 0);
    config->setInt("video", "capture", 0);
    config->setInt("video", "display", 0);
    config->setInt("misc", "max_calls", m_account.maxCalls);
    // A trunk delivers every call from one address: each is a call of its own, not a
    // duplicate to turn away as busy.
    config->setInt("sip", "reject_duplicated_calls", 0);
    // A far end that vanished sends no media: the call ends after this many seconds.
    config->setInt("rtp", "nortp_timeout", m_account.mediaTimeout);
    m_core = factory->createCoreWithConfig(config, nullptr);
    if (!m_core) {
        *error = QStringLiteral("the SIP stack could not be created");
        return false;
    }
    m_listener = std::make_shared<Listener>(this);
    m_core->addListener(m_listener);
    m_core->enableAutoIterate(false);
    if (m_lineAudio) {
        m_card = std::make_unique<SipSoundCard>(m_core, m_cardName, m_lineAudio, m_soundCard, m_account.maxCalls);
        if (!m_card->installed())
            m_card.reset();
    }
    // Without a sound card the line's own card is the calls' audio; without that either,
    // the calls play a file.
    m_core->setUseFiles(!m_soundCard && !m_card);
    if (!m_soundCard) {
        // The stack's default file is not installed everywhere; without a file to play the
        // call's media never runs, and telephone events with it.
        const QString silence = m_dir->filePath(QStringLiteral("silence.wav"));
        if (writeFile(silence, SipTone::silence(1000))) {
            m_core->setPlayFile(utf8(silence));
            config->setString("sound", "hold_music", utf8(silence));
        }
        if (m_card) {
            // Nothing rings into the line's card, where a recording would hear it.
            m_core->setRingerDevice(m_card->id());
            m_core->setRing("");
            m_core->setRingback("");
        }
    }
    if (m_account.bindAddress.contains(QLatin1Char('.')))
        m_core->enableIpv6(false);
    m_core->enableVideoCapture(false);
    m_core->enableVideoDisplay(false);
    m_core->enableEchoCancellation(false);
    m_core->setMaxCalls(m_account.maxCalls);
    // Several lines in one process: each call's media takes a port of its own.
    m_core->setAudioPort(-1);
    // A GRUU as Contact sends in-dialog requests to the registrar's domain, which plain
    // proxies do not route back to the line: the line's own address is used instead.
    m_core->removeSupportedTag("gruu");
    // With Auto the stack sends telephone events; the provider sends SIP INFO itself to
    // a call whose media has none.
    m_core->setUseRfc2833ForDtmf(m_account.dtmf != SipAccount::Dtmf::Info);
    m_core->setUseInfoForDtmf(m_account.dtmf == SipAccount::Dtmf::Info || m_account.dtmf == SipAccount::Dtmf::Both);
    m_core->verifyServerCertificates(m_account.verifyTls);
    m_core->verifyServerCn(m_account.verifyTls);
    if (!m_account.caFile.isEmpty())
        m_core->setRootCa(utf8(m_account.caFile));

    m_core->setMediaEncryption(m_account.srtp ? linphone::MediaEncryption::SRTP : linphone::MediaEncryption::None);
    m_core->setMediaEncryptionMandatory(m_account.srtp);

    // FIXME: a TLS line has no certificate of its own to offer, so a peer cannot open a
    // TLS connection to it; it calls, and is called, over connections it opened itself.
    auto transports = factory->createTransports();
    const int port = m_account.port > 0 ? m_account.port : -1; // -1: any free port
    transports->setUdpPort(m_account.transport == SipAccount::Transport::Udp ? port : 0);
    transports->setTcpPort(m_account.transport == SipAccount::Transport::Tcp ? port : 0);
    transports->setTlsPort(m_account.transport == SipAccount::Transport::Tls ? port : 0);
    m_core->setTransports(transports);

    auto nat = m_core->createNatPolicy();
    nat->enableStun(!m_account.stunServer.isEmpty());
    if (!m_account.stunServer.isEmpty())
        nat->setStunServer(utf8(m_account.stunServer));
    nat->enableIce(m_account.ice);
    nat->enableUpnp(false);
    nat->enableTurn(false);
    m_core->setNatPolicy(nat);

    auto identity = m_core->createAddress(utf8(m_account.identity));
    if (!identity) {
        *error = QStringLiteral("the identity is not a SIP address");
        return false;
    }
    m_core->setPrimaryContact(identity->asString());

    if (!password.isEmpty()) {
        const QString authUser = m_account.authUser.isEmpty() ? m_account.user : m_account.authUser;
        m_core->addAuthInfo(factory->createAuthInfo(utf8(m_account.user), utf8(authUser), password.toStdString(), "",
                                                    "", utf8(m_account.domain)));
        password.fill('\0');
    }
    if (!m_account.proxy.isEmpty()) {
        auto params = m_core->createAccountParams();
        params->setIdentityAddress(identity);
        auto server = m_core->createAddress(utf8(m_account.proxy));
        if (!server) {
            *error = QStringLiteral("the proxy is not a SIP address");
            return false;
        }
        server->setTransport(transportOf(m_account.transport));
        params->setServerAddress(server);
        params->enableOutboundProxy(true);
        params->enableRegister(m_account.registerEnabled);
        params->setExpires(m_account.expires);
        params->setNatPolicy(nat);
        m_sipAccount = m_core->createAccount(params);
        if (!m_sipAccount || m_core->addAccount(m_sipAccount) != linphone::Status(0)) {
            *error = QStringLiteral("the account could not be set up");
            return false;
        }
        m_core->setDefaultAccount(m_sipAccount);
        if (m_account.registerEnabled)
            m_registration = Registration::Registering;
    }
    if (m_core->start() != linphone::Status(0)) {
        *error = QStringLiteral("the SIP stack did not start");
        return false;
    }
    // The stack does not guess a host (without a default route it would find none):
    // Contact names the bound address and the port actually taken, so a transfer's
    // Refer-To reaches this line.
    if (!m_account.bindAddress.isEmpty()) {
        auto contact = identity->clone();
        contact->setDomain(utf8(m_account.bindAddress));
        contact->setPort(localPort());
        m_core->setPrimaryContact(contact->asString());
    }
    m_iterate.start();
    return true;
}

void SipEndpoint::setLineAudio(std::shared_ptr<SipLineAudio> audio, const QString& name)
{
    m_lineAudio = std::move(audio);
    m_cardName = name;
}

void SipEndpoint::routeAudio()
{
    if (m_card)
        m_card->route();
}

void SipEndpoint::setCallAudio(const std::vector<SipSoundCard::CallAudio>& calls)
{
    if (m_card)
        m_card->setCalls(calls);
}

QString SipEndpoint::writeMediaFile(const QString& name, const QByteArray& data) const
{
    if (!m_dir)
        return {};
    const QString path = m_dir->filePath(name);
    return writeFile(path, data) ? path : QString();
}

bool SipEndpoint::inService() const
{
    if (m_account.proxy.isEmpty() || !m_account.registerEnabled)
        return true;
    return m_registration == Registration::Registered;
}

int SipEndpoint::localPort() const
{
    if (!m_core)
        return 0;
    auto used = m_core->getTransportsUsed();
    switch (m_account.transport) {
    case SipAccount::Transport::Tcp:
        return used->getTcpPort();
    case SipAccount::Transport::Tls:
        return used->getTlsPort();
    case SipAccount::Transport::Udp:
        break;
    }
    return used->getUdpPort();
}

void SipEndpoint::onRegistration(linphone::RegistrationState state, const std::string& message)
{
    Registration next = m_registration;
    switch (state) {
    case linphone::RegistrationState::Ok:
        next = Registration::Registered;
        m_registrationError.clear();
        break;
    case linphone::RegistrationState::Failed:
        next = Registration::Failed;
        m_registrationError = VisibleText::escaped(QString::fromStdString(message).left(200));
        break;
    case linphone::RegistrationState::Progress:
        next = m_registration == Registration::Registered ? Registration::Registered : Registration::Registering;
        break;
    case linphone::RegistrationState::Cleared:
    case linphone::RegistrationState::None:
        next = Registration::Unregistered;
        break;
    default:
        break;
    }
    if (next == m_registration)
        return;
    m_registration = next;
    if (m_events)
        m_events->registrationChanged(*this);
}

} // namespace Telephony::Sip
