#include "TnvDialer.h"

#include "TnvDialerView.h"

#include <TnvCallerID.h>
#include <TnvConstantTexts.h>
#include <TnvHostServices.h>
#include <TnvCall.h>
#include <TnvLine.h>
#include <TnvMonitorDigits.h>
#include <TnvNotation.h>

#include <TapiConstants.h>
#include <VisibleText.h>

#include <optional>

namespace {

QString tab(const char* text, const QString& value)
{
    return QLatin1Char('\t') + QLatin1String(text) + value;
}

} // namespace

TnvDialer::TnvDialer(TnvDialerView* view)
    : m_view(view)
{
}

TnvDialer::~TnvDialer() = default;

QStringList TnvDialer::createLine(const TnvDialerDescription::Settings& settings,
                                  const std::function<void(TnvLine&)>& prepare)
{
    m_line = std::make_unique<TnvLine>();
    if (prepare)
        prepare(*m_line);
    // Bound before loading, as the window description binds them, so events raised while
    // the stored settings are applied already reach the log box.
    bindEvents();
    // Queued: the window looks at the device once the change that moved it is complete.
    QObject::connect(m_line->Device(), &TnvLineDevice::stateChanged, m_line.get(), [this] { followDevice(); },
                     Qt::QueuedConnection);
    return TnvDialerDescription::load(*m_line, settings);
}

void TnvDialer::FormCreate(int idleDelay)
{
    m_line->setEnabled(true);
    m_line->Device()->setIdleDelay(idleDelay);
}

QString TnvDialer::limitedFunctionalityCaption()
{
    return QStringLiteral("Limited Functionality Device");
}

QString TnvDialer::limitedFunctionalityText(const QString& deviceName)
{
    return QStringLiteral("Linkora has detected that your device is a (") + deviceName
        + QStringLiteral(") DATA modem and therefore has no voice capabilities.") + QStringLiteral("\r\n\r\n")
        + QStringLiteral("Linkora will now force a compatibility mode in order to allow you to ")
        + QStringLiteral(" continue while greying out options your modem may not support.") + QStringLiteral("\r\n\r\n")
        + QStringLiteral("This device will be able to:") + QStringLiteral("\r\n\r\n") + QStringLiteral("\t")
        + QStringLiteral("DIAL") + QStringLiteral("\r\n\r\n")
        + QStringLiteral("If you think you have a voice modem, expected more functionality, ")
        + QStringLiteral("or other programs provide more functionality with this modem, see the ")
        + QStringLiteral("topic \"Working with Modems\" in the Appendix of the Linkora help file.");
}

void TnvDialer::append(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString& line : lines.split(QLatin1Char('\n')))
        m_view->appendLog(line);
}

bool TnvDialer::providerIsModem() const
{
    return m_line->TAPI()->TSP().toUpper().contains(QLatin1String("MODEM"));
}

void TnvDialer::CheckBoxActiveClick(bool checked)
{
    TnvLineDevice* device = m_line->Device();
    if (checked && !device->Active()) {
        m_view->setHangupEnabled(false);
        append(QStringLiteral("nvLine1.Device.Active := True"));
        device->setActive(true);
        // A data modem refuses the voice media mode to an owner; without a call
        // privilege it still opens, and can at least dial.
        if (!device->Active() && quint32(m_line->Error()->Number()) == LINEERR_INVALMEDIAMODE && providerIsModem()) {
            m_line->Privilege()->setNone(true);
            device->setActive(true);
            const QString text = limitedFunctionalityText(device->Name());
            append(text);
            TnvHostServices::instance().prompt({text, limitedFunctionalityCaption(), TnvPrompt::Ok, TnvPrompt::NoIcon});
        }
        if (device->Active()) {
            m_view->setDialEnabled(true);
        } else {
            append(tab("Error = ", m_line->Error()->Text()));
            m_view->setActiveChecked(false);
        }
    } else if (!checked && device->Active()) {
        append(QStringLiteral("nvLine1.Device.Active := False"));
        device->setActive(false);
        if (device->Active()) {
            append(tab("Error = ", m_line->Error()->Text()));
            m_view->setActiveChecked(true);
        } else {
            m_view->setDialEnabled(false);
        }
    }
}

void TnvDialer::ComboBoxDeviceChange(int index)
{
    if (m_line->Device()->Active())
        m_view->setActiveChecked(false);
    append(QStringLiteral("nvLine1.Device.ID := ") + QString::number(index));
    m_line->Device()->setID(index);
    if (m_line->Error()->Number() != 0) {
        append(tab("Error = ", m_line->Error()->Text()));
    } else {
        m_line->Privilege()->setMonitor(true);
        m_line->Privilege()->setOwner(true);
    }
}

bool TnvDialer::ButtonDialClick(const QString& phoneNumber)
{
    TnvCall* call = m_line->Call();
    call->setHandle(0);
    call->setPhoneNumber(phoneNumber);
    // The number is shown as typed, but a line break in it must not pass for a log line.
    append(QStringLiteral("Dialing [") + Telephony::VisibleText::escaped(phoneNumber) + QLatin1Char(']'));
    if (call->Dial()) {
        m_view->setDialEnabled(false);
        m_view->setHangupEnabled(true);
        return true;
    }
    append(tab("Error Dialing = ", m_line->Error()->Text()));
    ButtonHangupClick();
    return false;
}

void TnvDialer::ButtonHangupClick()
{
    append(QStringLiteral("nvLine.Hangup"));
    TnvCall* call = m_line->Call();
    if (call->Handle() != 0 && call->State() != LINECALLSTATE_IDLE) {
        if (!call->Hangup())
            append(QStringLiteral("\tThis TSP Already hungup while calling this method"));
    }
}

void TnvDialer::ButtonLineConfigClick()
{
    m_line->Device()->Configure();
}

void TnvDialer::ButtonVantageClick()
{
    m_line->Vantage()->setVisible(true);
    append(QStringLiteral("nvLine.Vantage.Visible = True"));
}

void TnvDialer::followDevice()
{
    const TnvLineDevice* device = m_line->Device();
    m_view->showDevice(device->ID());
    const bool active = device->Active();
    if (m_view->activeChecked() == active)
        return;
    // The check box's handler then finds the device as the box shows it and does nothing.
    m_view->setActiveChecked(active);
    m_view->setDialEnabled(active);
    if (!active)
        m_view->setHangupEnabled(false);
}

void TnvDialer::FormClose()
{
    m_line->Device()->setActive(false);
    // The inspector belongs to the dialer's control; left open it would outlive the
    // dialer and keep the program running.
    if (m_line->Vantage()->Visible())
        m_line->Vantage()->setVisible(false);
}

void TnvDialer::switchOnDigitMonitoring()
{
    const bool capable = (m_line->Address()->Capabilities()->CallFeatures() & LINECALLFEATURE_MONITORDIGITS) != 0;
    if (capable)
        setDigitMonitoring();
    if (providerIsModem()) {
        // A modem opened with a call privilege is asked to monitor regardless.
        if (!m_line->Privilege()->None())
            setDigitMonitoring();
        else if (capable)
            setDigitMonitoring();
    }
}

void TnvDialer::setDigitMonitoring()
{
    m_line->Call()->MonitorDigits()->setActive(true);
}

void TnvDialer::selectCall(int handle)
{
    TnvCall* call = m_line->Call();
    // Only a handle the control lists is a call it knows.
    if (handle != 0 && call->Handle() != 0 && call->Handle() != HCALL(handle)
        && call->List().indexOf(TnvNotation::hex8(quint32(handle)), 1) > 0)
        call->setHandle(HCALL(handle));
}

void TnvDialer::bindEvents()
{
    using Event = TnvDialerView::Event;
    TnvLine* line = m_line.get();
    TnvCall* call = line->Call();
    const auto simple = [this](const char* name, std::optional<Event> event = std::nullopt) {
        return [this, name, event](TnvSharedControl*, int handle) {
            append(QStringLiteral("nvLine1.") + QLatin1String(name));
            if (event)
                m_view->lineEvent(*event, handle);
        };
    };
    const auto party = [this](const char* name, const char* nameLabel, const char* numberLabel, TnvCallerID* id) {
        return [=, this](TnvSharedControl*, int handle) {
            selectCall(handle);
            append(QStringLiteral("nvLine1.") + QLatin1String(name));
            append(tab(nameLabel, id->Name()));
            append(tab(numberLabel, id->Number()));
        };
    };

    line->OnOffering = simple("OnOffering", Event::Offering);
    line->OnProceeding = simple("OnProceeding");
    line->OnCallBegin = simple("OnCallBegin", Event::CallBegin);
    line->OnDialtone = simple("OnDialtone");
    line->OnDialing = simple("OnDialing");
    line->OnBusy = [this](TnvSharedControl*, int handle) {
        selectCall(handle);
        append(QStringLiteral("nvLine1.OnBusy"));
        ButtonHangupClick();
        m_view->lineEvent(Event::Busy, handle);
    };
    line->OnRingBack = simple("OnRingBack");
    line->OnCallEnd = simple("OnCallEnd", Event::CallEnd);
    line->OnCallerID = party("OnCallerID", "CallerID.Name = ", "CallerID.Number = ", call->CallerID());
    const auto calledID = party("OnCalledID", "CalledID.Name = ", "CalledID.Number = ", call->CalledID());
    line->OnCalledID = [call, calledID](TnvSharedControl* sender, int handle) {
        call->setHandle(HCALL(handle));
        calledID(sender, handle);
    };
    line->OnConnectedID = party("OnConnectedID", "ConnectedID.Name = ", "ConnectedID.Number = ", call->ConnectedID());
    line->OnRedirectingID =
        party("OnRedirectingID", "RedirectingIDName = ", "RedirectingIDNumber = ", call->RedirectingID());
    line->OnRedirectionID =
        party("OnRedirectionID", "RedirectionIDName = ", "RedirectionIDNumber = ", call->RedirectionID());
    line->OnConnected = [this](TnvSharedControl*, int handle) {
        append(QStringLiteral("nvLine1.OnConnected"));
        m_view->setHangupEnabled(true);
        switchOnDigitMonitoring();
        m_view->lineEvent(Event::Connected, handle);
    };
    line->OnDisconnected = [this, call](TnvSharedControl*, int handle) {
        selectCall(handle);
        append(QStringLiteral("nvLine1.OnDisconnected"));
        append(tab("Call.DisconnectMode = ", DisconnectModeText(call->DisconnectMode())));
        ButtonHangupClick();
        m_view->lineEvent(Event::Disconnected, handle);
    };
    line->OnIdle = [this](TnvSharedControl*, int handle) {
        append(QStringLiteral("nvLine1.OnIdle"));
        m_view->setHangupEnabled(false);
        m_view->setDialEnabled(true);
        m_view->lineEvent(Event::Idle, handle);
    };
    line->OnSpecialInfo = [this, call](TnvSharedControl*, int handle) {
        selectCall(handle);
        append(QStringLiteral("nvLine1.OnSpecialInfo"));
        append(tab("nvLine1.Call.SpecialInfo = ", SpecialInfoText(call->SpecialInfo())));
        m_view->lineEvent(Event::SpecialInfo, handle);
    };
    line->OnRing = [this](TnvSharedControl*, int count, int ringMode) {
        append(QStringLiteral("nvLine1.OnRing [%1, %2]").arg(count).arg(ringMode));
    };
    line->OnDigitReceived = [this](TnvSharedControl*, int, QChar digit, int) {
        append(QStringLiteral("nvLine1.OnDigitReceived [") + digit + QLatin1Char(']'));
    };
    line->OnError = [this, line](TnvSharedControl*) {
        append(QStringLiteral("nvLine1.OnError"));
        append(tab("nvLine1.Error = ", line->Error()->Text()));
    };
}
