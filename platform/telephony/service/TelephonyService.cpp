#include "TelephonyService.h"

#include "../control/ControlProtocol.h"

#include "AppConnection.h"

#include "../config/DialingLocations.h"
#include "../config/TelephonyConfig.h"
#include "../config/TelephonyDialogs.h"
#include "../control/ControlServer.h"
#include "../provider/LogText.h"
#include "../provider/ProviderRegistry.h"
#include "../providers/BuiltinProviders.h"
#include "CallParamsReader.h"
#include "StructWriter.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

namespace Telephony {

ServiceOptions TelephonyService::s_options;

namespace {

TelephonyService* g_service = nullptr;

constexpr DWORD kLowestVersion = TAPI_VERSION1_0;
constexpr DWORD kHighestVersion = TAPI_VERSION2_2;

} // namespace

// One provider's view of the core: its device numbers become the service's.
class ProviderPort : public ProviderSink {
public:
    ProviderPort(TelephonyService* service, TelephonyProvider* provider)
        : m_service(service)
        , m_provider(provider)
    {
    }

    void completeRequest(DWORD requestId, LONG result) override { m_service->completeRequest(requestId, result); }
    CallId newCall(DWORD device, DWORD addressId) override
    {
        const int global = m_service->lineDeviceOf(m_provider, int(device));
        return global < 0 ? 0 : m_service->newCall(DWORD(global), addressId);
    }
    void callStateChanged(CallId call, DWORD state, DWORD mode) override { m_service->callStateChanged(call, state, mode); }
    void callInfoChanged(CallId call, DWORD states) override { m_service->callInfoChanged(call, states); }
    void lineDevStateChanged(DWORD device, DWORD state, DWORD param2, DWORD param3) override
    {
        if (const int global = m_service->lineDeviceOf(m_provider, int(device)); global >= 0)
            m_service->lineDevStateChanged(DWORD(global), state, param2, param3);
    }
    void addressStateChanged(DWORD device, DWORD address, DWORD state) override
    {
        if (const int global = m_service->lineDeviceOf(m_provider, int(device)); global >= 0)
            m_service->addressStateChanged(DWORD(global), address, state);
    }
    void lineClosed(DWORD device) override
    {
        if (const int global = m_service->lineDeviceOf(m_provider, int(device)); global >= 0)
            m_service->lineClosed(DWORD(global));
    }
    void lineDevSpecific(DWORD device, CallId call, DWORD param1, DWORD param2, DWORD param3) override
    {
        if (const int global = m_service->lineDeviceOf(m_provider, int(device)); global >= 0)
            m_service->lineDevSpecific(DWORD(global), call, param1, param2, param3);
    }
    void digitReceived(CallId call, char digit, DWORD mode) override { m_service->digitReceived(call, digit, mode); }
    void mediaModeDetected(CallId call, DWORD mode) override { m_service->mediaModeDetected(call, mode); }
    void toneDetected(DWORD token, DWORD appSpecific) override { m_service->toneDetected(token, appSpecific); }
    void generateFinished(DWORD token, DWORD termination) override { m_service->generateFinished(token, termination); }
    void phoneStateChanged(DWORD phone, DWORD state, DWORD param2) override
    {
        if (const int global = m_service->phoneDeviceOf(m_provider, int(phone)); global >= 0)
            m_service->phoneStateChanged(DWORD(global), state, param2);
    }
    void phoneButton(DWORD phone, DWORD button, DWORD mode, DWORD state) override
    {
        if (const int global = m_service->phoneDeviceOf(m_provider, int(phone)); global >= 0)
            m_service->phoneButton(DWORD(global), button, mode, state);
    }
    void phoneDevSpecific(DWORD phone, DWORD param1, DWORD param2, DWORD param3) override
    {
        if (const int global = m_service->phoneDeviceOf(m_provider, int(phone)); global >= 0)
            m_service->phoneDevSpecific(DWORD(global), param1, param2, param3);
    }
    void phoneClosed(DWORD phone) override
    {
        if (const int global = m_service->phoneDeviceOf(m_provider, int(phone)); global >= 0)
            m_service->phoneClosed(DWORD(global));
    }

private:
    TelephonyService* m_service;
    TelephonyProvider* m_provider;
};

int TelephonyService::lineDeviceOf(const TelephonyProvider* provider, int index) const
{
    for (size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].provider == provider && m_lines[i].index == index)
            return int(i);
    return -1;
}

int TelephonyService::phoneDeviceOf(const TelephonyProvider* provider, int index) const
{
    for (size_t i = 0; i < m_phones.size(); ++i)
        if (m_phones[i].provider == provider && m_phones[i].index == index)
            return int(i);
    return -1;
}

// --- Life --------------------------------------------------------------------------

namespace {

// Never goes back, across restarts of the service too, so a value read from an earlier
// service is never taken for the current one's.
quint64 g_stamp = 1;

} // namespace

TelephonyService* TelephonyService::instance()
{
    ++g_stamp;
    return g_service;
}

TelephonyService* TelephonyService::instanceForReading()
{
    return g_service;
}

quint64 TelephonyService::stamp()
{
    return g_service ? g_stamp : 0;
}

bool TelephonyService::eventFilter(QObject* watched, QEvent*)
{
    // Handing a queued message to an application changes nothing the service reports
    // (what the application then does goes through the API), and most events are these.
    if (!qobject_cast<AppConnection*>(watched))
        ++g_stamp;
    return false;
}

TelephonyService* TelephonyService::start()
{
    if (!g_service) {
        ++g_stamp;
        g_service = new TelephonyService;
        g_service->loadProviders();
        // Providers and the service change state only in the handling of some event
        // (a timer, a queued call, a socket) or inside an API call.
        if (QCoreApplication* app = QCoreApplication::instance())
            app->installEventFilter(g_service);
    }
    return g_service;
}

void TelephonyService::setOptions(const ServiceOptions& options)
{
    s_options = options;
}

TelephonyService::TelephonyService()
{
    registerBuiltinProviders();
}

TelephonyService::~TelephonyService()
{
    ++g_stamp;
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
    // Providers stop first so that nothing reports into a half-destroyed core.
    for (auto& provider : m_providers)
        provider->setSink(nullptr);
    m_control.reset();
    m_providers.clear();
    if (g_service == this)
        g_service = nullptr;
}

void TelephonyService::loadProviders()
{
    m_config = std::make_unique<TelephonyConfig>(s_options.configPath.isEmpty() ? TelephonyConfig::defaultPath()
                                                                                 : s_options.configPath);
    m_config->load();
    for (const QString& warning : m_config->warnings())
        qWarning().noquote() << "telephony configuration:" << warning;

    for (const ProviderConfig& entry : m_config->providers()) {
        if (!startProvider(entry.name, entry.settings))
            qWarning().noquote() << QStringLiteral("telephony configuration: no provider called \"%1\"")
                                        .arg(visibleText(entry.name));
    }
    // A misspelt name must not leave the user without lines: the fallback runs instead.
    const QString fallback = ProviderRegistry::fallback();
    if (m_providers.empty() && !fallback.isEmpty() && startProvider(fallback, {}))
        qWarning().noquote() << QStringLiteral("telephony configuration: no usable provider; \"%1\" runs instead")
                                    .arg(fallback);

    if (s_options.controlServer) {
        m_control = std::make_unique<ControlServer>(s_options.controlServerName.isEmpty()
                                                        ? ControlServer::defaultName()
                                                        : s_options.controlServerName);
        m_control->setHandler([this](const QString& command, const QJsonObject& args) { return control(command, args); });
        if (!m_control->listen()) {
            qInfo().noquote() << "telephony control socket not available:" << m_control->errorString();
            m_control.reset();
        }
    }
}

bool TelephonyService::startProvider(const QString& name, QVariantMap settings)
{
    const QVariantMap overrides = s_options.providerSettings.value(name);
    for (auto it = overrides.cbegin(); it != overrides.cend(); ++it)
        settings.insert(it.key(), it.value());
    std::unique_ptr<TelephonyProvider> provider = ProviderRegistry::create(name, settings);
    if (!provider)
        return false;
    m_ports.push_back(std::make_unique<ProviderPort>(this, provider.get()));
    provider->setSink(m_ports.back().get());
    for (int i = 0; i < provider->lineDeviceCount(); ++i)
        m_lines.push_back({provider.get(), i});
    for (int i = 0; i < provider->phoneDeviceCount(); ++i)
        m_phones.push_back({provider.get(), i});
    m_providers.push_back(std::move(provider));
    return true;
}

DWORD TelephonyService::nextHandle()
{
    // One counter for every kind of handle, so a handle of one kind is never valid as
    // another; wraps before the sign bit, skipping 0.
    if (++m_lastHandle >= 0x7FFFFFFF)
        m_lastHandle = 0x00010001;
    return m_lastHandle;
}

DWORD TelephonyService::nextRequest()
{
    do {
        if (++m_lastRequest >= 0x7FFFFFFF)
            m_lastRequest = 1;
    } while (m_requests.count(m_lastRequest));
    return m_lastRequest;
}

// --- Usage handles ---------------------------------------------------------------

LONG TelephonyService::initialize(bool phone, DWORD* handle, LINECALLBACK callback, const QByteArray& appName,
                                  DWORD* numDevs)
{
    if (!handle || !numDevs)
        return phone ? LONG(PHONEERR_INVALPOINTER) : LONG(LINEERR_INVALPOINTER);
    if (!callback)
        return phone ? LONG(PHONEERR_INVALPOINTER) : LONG(LINEERR_INVALPOINTER);
    App app;
    app.handle = nextHandle();
    app.phone = phone;
    app.name = appName.isEmpty() ? QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() : appName;
    app.connection = new AppConnection(callback);
    m_apps.emplace(app.handle, app);
    *handle = app.handle;
    *numDevs = DWORD(phone ? m_phones.size() : m_lines.size());
    return 0;
}

LONG TelephonyService::shutdown(bool phone, DWORD handle)
{
    App* found = app(handle, phone);
    if (!found)
        return phone ? LONG(PHONEERR_INVALAPPHANDLE) : LONG(LINEERR_INVALAPPHANDLE);
    if (phone) {
        std::vector<HPHONE> opens;
        for (const auto& [h, open] : m_phoneOpens)
            if (open.app == handle)
                opens.push_back(h);
        for (HPHONE h : opens)
            phoneClose(h);
    } else {
        std::vector<HLINE> opens;
        for (const auto& [h, open] : m_opens)
            if (open.app == handle)
                opens.push_back(h);
        for (HLINE h : opens)
            close(h);
    }
    if (found->connection)
        found->connection->close();
    m_apps.erase(handle);
    if (m_apps.empty()) {
        // The last user is gone: providers and sockets go with it, unless someone
        // initialised again in the meantime.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [service = this] {
                if (g_service == service && service->m_apps.empty())
                    delete service;
            },
            Qt::QueuedConnection);
    }
    return 0;
}

TelephonyService::App* TelephonyService::app(DWORD handle, bool phone)
{
    auto it = m_apps.find(handle);
    return it != m_apps.end() && it->second.phone == phone ? &it->second : nullptr;
}

TelephonyService::LineOpen* TelephonyService::lineOpen(HLINE handle)
{
    auto it = m_opens.find(handle);
    return it != m_opens.end() ? &it->second : nullptr;
}

TelephonyService::CallHandle* TelephonyService::callHandle(HCALL handle)
{
    auto it = m_handles.find(handle);
    return it != m_handles.end() ? &it->second : nullptr;
}

TelephonyService::Call* TelephonyService::call(CallId id)
{
    auto it = m_calls.find(id);
    return it != m_calls.end() ? &it->second : nullptr;
}

const LineDeviceCaps* TelephonyService::lineCaps(DWORD device) const
{
    if (device >= m_lines.size())
        return nullptr;
    return &m_lines[device].provider->lineCaps(m_lines[device].index);
}

LONG TelephonyService::checkDevice(bool phone, DWORD appHandle, DWORD device) const
{
    auto it = m_apps.find(appHandle);
    if (it == m_apps.end() || it->second.phone != phone)
        return phone ? LONG(PHONEERR_INVALAPPHANDLE) : LONG(LINEERR_INVALAPPHANDLE);
    if (device >= (phone ? m_phones.size() : m_lines.size()))
        return phone ? LONG(PHONEERR_BADDEVICEID) : LONG(LINEERR_BADDEVICEID);
    return 0;
}

LONG TelephonyService::checkVersion(DWORD device, DWORD apiVersion) const
{
    const LineDeviceCaps* caps = lineCaps(device);
    if (!caps)
        return LONG(LINEERR_BADDEVICEID);
    if (apiVersion < qMax(kLowestVersion, caps->lowApiVersion) || apiVersion > qMin(kHighestVersion, caps->highApiVersion))
        return LONG(LINEERR_INCOMPATIBLEAPIVERSION);
    return 0;
}

LONG TelephonyService::negotiateApiVersion(bool phone, DWORD appHandle, DWORD device, DWORD low, DWORD high,
                                           DWORD* version, LINEEXTENSIONID* extensionId)
{
    if (const LONG error = checkDevice(phone, appHandle, device))
        return error;
    if (!version || !extensionId)
        return phone ? LONG(PHONEERR_INVALPOINTER) : LONG(LINEERR_INVALPOINTER);
    DWORD providerLow = 0, providerHigh = 0;
    LINEEXTENSIONID id{};
    if (phone) {
        const PhoneDeviceCaps* caps = m_phones[device].provider->phoneCaps(m_phones[device].index);
        providerLow = caps ? caps->lowApiVersion : kLowestVersion;
        providerHigh = caps ? caps->highApiVersion : kHighestVersion;
    } else {
        const LineDeviceCaps* caps = lineCaps(device);
        providerLow = caps->lowApiVersion;
        providerHigh = caps->highApiVersion;
        id = caps->extensionId;
    }
    const DWORD top = qMin(qMin(high, providerHigh), kHighestVersion);
    const DWORD bottom = qMax(qMax(low, providerLow), kLowestVersion);
    if (low > high || bottom > top)
        return phone ? LONG(PHONEERR_INCOMPATIBLEAPIVERSION) : LONG(LINEERR_INCOMPATIBLEAPIVERSION);
    *version = top;
    *extensionId = id;
    return 0;
}

LONG TelephonyService::negotiateExtVersion(bool phone, DWORD appHandle, DWORD device, DWORD apiVersion, DWORD low,
                                           DWORD high, DWORD* version)
{
    if (const LONG error = checkDevice(phone, appHandle, device))
        return error;
    if (!version)
        return phone ? LONG(PHONEERR_INVALPOINTER) : LONG(LINEERR_INVALPOINTER);
    if (phone)
        return LONG(PHONEERR_OPERATIONUNAVAIL);
    if (const LONG error = checkVersion(device, apiVersion))
        return error;
    const LineDeviceCaps* caps = lineCaps(device);
    if (caps->highExtVersion == 0)
        return LONG(LINEERR_OPERATIONUNAVAIL);
    if (low > high || high < caps->lowExtVersion || low > caps->highExtVersion)
        return LONG(LINEERR_INCOMPATIBLEEXTVERSION);
    *version = qMin(high, caps->highExtVersion);
    return 0;
}

LONG TelephonyService::getDevCaps(DWORD appHandle, DWORD device, DWORD apiVersion, LINEDEVCAPS* out)
{
    if (const LONG error = checkDevice(false, appHandle, device))
        return error;
    if (const LONG error = checkVersion(device, apiVersion))
        return error;
    if (m_faults.takeTooSmall(QStringLiteral("lineGetDevCaps")))
        return LONG(LINEERR_STRUCTURETOOSMALL);
    const LineDeviceCaps& caps = *lineCaps(device);
    StructBuilder<LINEDEVCAPS> builder(devCapsSize(apiVersion));
    builder.fields() = caps.fixed;
    builder.fields().dwNumAddresses = DWORD(caps.addresses.size());
    builder.fields().dwNumTerminals = DWORD(caps.terminalCaps.size());
    builder.fields().dwStringFormat = STRINGFORMAT_ASCII;
    builder.addText(&LINEDEVCAPS::dwProviderInfoSize, &LINEDEVCAPS::dwProviderInfoOffset, caps.providerInfo);
    builder.addText(&LINEDEVCAPS::dwSwitchInfoSize, &LINEDEVCAPS::dwSwitchInfoOffset, caps.switchInfo);
    builder.addText(&LINEDEVCAPS::dwLineNameSize, &LINEDEVCAPS::dwLineNameOffset, caps.lineName);
    QByteArray terminalCaps;
    for (const LINETERMCAPS& term : caps.terminalCaps)
        terminalCaps.append(reinterpret_cast<const char*>(&term), sizeof term);
    builder.add(&LINEDEVCAPS::dwTerminalCapsSize, &LINEDEVCAPS::dwTerminalCapsOffset, terminalCaps);
    // Terminal texts are entries of one fixed size each.
    qsizetype entry = 0;
    for (const QByteArray& text : caps.terminalTexts)
        entry = qMax(entry, text.size() + 1);
    QByteArray texts;
    for (const QByteArray& text : caps.terminalTexts)
        texts += text.leftJustified(entry, '\0', true);
    builder.fields().dwTerminalTextEntrySize = DWORD(entry);
    builder.add(&LINEDEVCAPS::dwTerminalTextSize, &LINEDEVCAPS::dwTerminalTextOffset, texts);
    builder.add(&LINEDEVCAPS::dwDevSpecificSize, &LINEDEVCAPS::dwDevSpecificOffset, caps.devSpecific);
    // Device classes: NUL-separated, ending in an empty one.
    if (!caps.deviceClasses.isEmpty())
        builder.add(&LINEDEVCAPS::dwDeviceClassesSize, &LINEDEVCAPS::dwDeviceClassesOffset,
                    caps.deviceClasses.join(QChar(u'\0')).toUtf8() + QByteArray(2, '\0'));
    return builder.write(out);
}

LONG TelephonyService::getAddressCaps(DWORD appHandle, DWORD device, DWORD address, DWORD apiVersion,
                                      LINEADDRESSCAPS* out)
{
    if (const LONG error = checkDevice(false, appHandle, device))
        return error;
    if (const LONG error = checkVersion(device, apiVersion))
        return error;
    const LineDeviceCaps& caps = *lineCaps(device);
    if (address >= DWORD(caps.addresses.size()))
        return LONG(LINEERR_INVALADDRESSID);
    if (m_faults.takeTooSmall(QStringLiteral("lineGetAddressCaps")))
        return LONG(LINEERR_STRUCTURETOOSMALL);
    const AddressCaps& addressCaps = caps.addresses.at(address);
    StructBuilder<LINEADDRESSCAPS> builder(addressCapsSize(apiVersion));
    builder.fields() = addressCaps.fixed;
    builder.fields().dwLineDeviceID = device;
    builder.addText(&LINEADDRESSCAPS::dwAddressSize, &LINEADDRESSCAPS::dwAddressOffset, addressCaps.address);
    builder.add(&LINEADDRESSCAPS::dwDevSpecificSize, &LINEADDRESSCAPS::dwDevSpecificOffset, addressCaps.devSpecific);
    if (!addressCaps.deviceClasses.isEmpty())
        builder.add(&LINEADDRESSCAPS::dwDeviceClassesSize, &LINEADDRESSCAPS::dwDeviceClassesOffset,
                    addressCaps.deviceClasses.join(QChar(u'\0')).toUtf8() + QByteArray(2, '\0'));
    return builder.write(out);
}

LONG TelephonyService::configDialog(DWORD device, void* owner, const QByteArray& deviceClass)
{
    if (device >= m_lines.size())
        return LONG(LINEERR_BADDEVICEID);
    if (!deviceClass.isEmpty() && deviceClass != "tapi/line")
        return LONG(LINEERR_INVALDEVICECLASS);
    // Dialogs need a window system; a program without one gets a clean refusal.
    TelephonyDialogs* dialogs = TelephonyDialogs::get();
    if (!dialogs)
        return LONG(LINEERR_OPERATIONFAILED);
    const Device& line = m_lines[device];
    QVariantMap settings = line.provider->settings();
    if (dialogs->editSettings(QString::fromUtf8(line.provider->lineCaps(line.index).lineName), settings, owner)) {
        line.provider->applySettings(settings);
        for (auto it = settings.begin(); it != settings.end();)
            it = TelephonyDialogs::isWriteOnly(it.key()) ? settings.erase(it) : std::next(it);
        m_config->setProviderSettings(line.provider->name(), settings);
        // The settings hold until the program ends; the caller must learn they were not kept.
        QString error;
        if (!m_config->save(&error)) {
            qWarning().noquote() << "telephony configuration:" << error;
            return LONG(LINEERR_OPERATIONFAILED);
        }
    }
    return 0;
}

LONG TelephonyService::translateDialog(DWORD appHandle, DWORD device, DWORD apiVersion, void* owner,
                                       const QByteArray& address)
{
    if (const LONG error = checkDevice(false, appHandle, device))
        return error;
    if (const LONG error = checkVersion(device, apiVersion))
        return error;
    TelephonyDialogs* dialogs = TelephonyDialogs::get();
    if (!dialogs)
        return LONG(LINEERR_OPERATIONFAILED);
    if (dialogs->editLocations(*m_config, QString::fromUtf8(address), owner)) {
        QString error;
        if (!m_config->save(&error)) {
            qWarning().noquote() << "telephony configuration:" << error;
            return LONG(LINEERR_OPERATIONFAILED);
        }
    }
    sendLineState(device, LINEDEVSTATE_TRANSLATECHANGE, 0, 0);
    return 0;
}

LONG TelephonyService::translateAddress(DWORD appHandle, DWORD device, DWORD apiVersion, const QByteArray& address,
                                        DWORD options, LINETRANSLATEOUTPUT* output)
{
    if (const LONG error = checkDevice(false, appHandle, device))
        return error;
    if (const LONG error = checkVersion(device, apiVersion))
        return error;
    if (!output)
        return LONG(LINEERR_INVALPOINTER);
    const TranslatedAddress result = DialingLocations::translate(m_config->currentLocation(), QString::fromUtf8(address), options);
    if (result.result != 0)
        return result.result;
    StructBuilder<LINETRANSLATEOUTPUT> builder;
    builder.fields().dwCurrentCountry = result.currentCountry;
    builder.fields().dwDestCountry = result.destCountry;
    builder.fields().dwTranslateResults = result.translateResults;
    builder.addText(&LINETRANSLATEOUTPUT::dwDialableStringSize, &LINETRANSLATEOUTPUT::dwDialableStringOffset,
                    result.dialable.toUtf8());
    builder.addText(&LINETRANSLATEOUTPUT::dwDisplayableStringSize, &LINETRANSLATEOUTPUT::dwDisplayableStringOffset,
                    result.displayable.toUtf8());
    return builder.write(output);
}

// --- Messages and requests -----------------------------------------------------------

void TelephonyService::postToLine(const LineOpen& open, Message message)
{
    auto it = m_apps.find(open.app);
    if (it != m_apps.end() && it->second.connection)
        it->second.connection->post(std::move(message));
}

void TelephonyService::postToPhone(const PhoneOpen& open, Message message)
{
    postToLine(LineOpen{0, open.app, 0, 0, 0, 0, 0, 0, 0}, std::move(message));
}

void TelephonyService::sendLineState(DWORD device, DWORD state, DWORD param2, DWORD param3, HLINE except)
{
    for (const auto& [h, open] : m_opens) {
        if (open.device != device || h == except)
            continue;
        const DWORD wanted = state & (open.lineStates | LINEDEVSTATE_REINIT);
        if (wanted)
            postToLine(open, {h, LINE_LINEDEVSTATE, open.instance, wanted, param2, param3, {}});
    }
}

DWORD TelephonyService::startRequest(const QString& function, HLINE line, bool phone)
{
    Request request;
    request.id = nextRequest();
    request.function = function;
    request.line = line;
    request.phone = phone;
    m_requests.emplace(request.id, std::move(request));
    return m_lastRequest;
}

LONG TelephonyService::injectedFailure(const char* function)
{
    if (!m_faults.anyFailure())
        return 0;
    return m_faults.takeFailure(QString::fromLatin1(function));
}

void TelephonyService::completeRequest(DWORD requestId, LONG result)
{
    auto it = m_requests.find(requestId);
    if (it == m_requests.end())
        return;
    Request request = std::move(it->second);
    m_requests.erase(it);
    finishRequest(std::move(request), result);
}

void TelephonyService::finishRequest(Request request, LONG result)
{
    if (request.done)
        request.done(result);
    const int delay = m_faults.replyDelay(request.function);
    if (delay < 0)
        return; // withheld
    Message reply;
    if (request.phone) {
        auto open = m_phoneOpens.find(request.line);
        if (open == m_phoneOpens.end())
            return;
        reply = {0, PHONE_REPLY, open->second.instance, request.id, DWORD(result), 0, {}};
        auto app = m_apps.find(open->second.app);
        if (app != m_apps.end() && app->second.connection)
            delay ? app->second.connection->postDelayed(reply, delay) : app->second.connection->post(reply);
        return;
    }
    LineOpen* open = lineOpen(request.line);
    if (!open)
        return;
    reply = {0, LINE_REPLY, open->instance, request.id, DWORD(result), 0, {}};
    if (result == 0 && (request.out || request.out2)) {
        // The handles become the application's once the reply arrives.
        reply.prepare = [out = request.out, value = request.newHandle, out2 = request.out2,
                         value2 = request.newHandle2] {
            if (out)
                *out = value;
            if (out2)
                *out2 = value2;
        };
    }
    auto app = m_apps.find(open->app);
    if (app != m_apps.end() && app->second.connection)
        delay ? app->second.connection->postDelayed(reply, delay) : app->second.connection->post(reply);
}

// --- Line events from providers --------------------------------------------------------

void TelephonyService::lineDevStateChanged(DWORD device, DWORD state, DWORD param2, DWORD param3)
{
    sendLineState(device, state, param2, param3);
}

void TelephonyService::addressStateChanged(DWORD device, DWORD address, DWORD state)
{
    for (const auto& [h, open] : m_opens) {
        const DWORD wanted = state & open.addressStates;
        if (open.device == device && wanted)
            postToLine(open, {h, LINE_ADDRESSSTATE, open.instance, address, wanted, 0, {}});
    }
}

void TelephonyService::lineClosed(DWORD device)
{
    std::vector<LineOpen> closing;
    for (const auto& [h, open] : m_opens)
        if (open.device == device)
            closing.push_back(open);
    for (const LineOpen& open : closing)
        closeLine(open, true);
}

void TelephonyService::lineDevSpecific(DWORD device, CallId callId, DWORD param1, DWORD param2, DWORD param3)
{
    if (Call* c = callId ? call(callId) : nullptr) {
        for (HCALL h : c->handles)
            if (LineOpen* open = lineOpen(m_handles.at(h).line))
                postToLine(*open, {h, LINE_DEVSPECIFIC, open->instance, param1, param2, param3, {}});
        return;
    }
    for (const auto& [h, open] : m_opens)
        if (open.device == device)
            postToLine(open, {h, LINE_DEVSPECIFIC, open.instance, param1, param2, param3, {}});
}

// --- Control ------------------------------------------------------------------------

QJsonObject TelephonyService::control(const QString& command, const QJsonObject& args)
{
    if (m_faults.handles(command))
        return m_faults.control(command, args);
    if (command == QLatin1String("status")) {
        return {{QStringLiteral("ok"), true},
                {QStringLiteral("apps"), int(m_apps.size())},
                {QStringLiteral("opens"), int(m_opens.size())},
                {QStringLiteral("calls"), int(m_calls.size())},
                {QStringLiteral("handles"), int(m_handles.size())}};
    }
    if (command == QLatin1String("providers")) {
        QJsonObject answer{{QStringLiteral("ok"), true}};
        QStringList names;
        for (const auto& provider : m_providers)
            names << provider->name();
        answer.insert(QStringLiteral("providers"), names.join(QLatin1Char(',')));
        return answer;
    }
    // Everything else belongs to the providers; the first that knows it answers.
    QJsonObject last = ControlProtocol::errorResponse(QStringLiteral("unknown command '%1'").arg(command));
    for (const auto& provider : m_providers) {
        const QJsonObject answer = provider->control(command, args);
        if (answer.value(QStringLiteral("ok")).toBool())
            return answer;
        last = answer;
    }
    return last;
}

QJsonObject serviceControl(const QString& command, const QJsonObject& args)
{
    TelephonyService* service = TelephonyService::instance();
    if (!service)
        return ControlProtocol::errorResponse(QStringLiteral("the telephony service is not running"));
    return service->control(command, args);
}

void setServiceOptions(const ServiceOptions& options)
{
    TelephonyService::setOptions(options);
}

quint64 serviceStamp()
{
    return TelephonyService::stamp();
}

bool serviceRunning()
{
    return TelephonyService::instance() != nullptr;
}

} // namespace Telephony
