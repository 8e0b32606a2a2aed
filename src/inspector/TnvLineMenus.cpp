#include "TnvLineMenus.h"

#include "TnvLineCallPage.h"
#include "TnvLineJoinPage.h"
#include "TnvLineVantage.h"
#include "TnvMenuColumns.h"
#include "TnvVantageMenus.h"

#include <TnvCall.h>
#include <TnvConference.h>
#include <TnvConstantTexts.h>
#include <TnvLine.h>
#include <TnvLineDevice.h>
#include <TnvMediaModes.h>
#include <TnvMonitorDigits.h>
#include <TnvMonitorMediaModes.h>
#include <TnvMonitorSilence.h>
#include <TnvPopup.h>
#include <TnvPrivilege.h>
#include <TnvRelatedCommDevice.h>
#include <TnvTransfer.h>
#include <TnvVantage.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

namespace {

const char* const kLinePopupEvents[] = {
    "OnAddressForward", "OnAddressState", "OnBusy", "OnCallBegin", "OnCalledID", "OnCallEnd", "OnCallerID",
    "OnCallInfo", "OnCallMediaModeChange", "OnCallOwnerChange", "OnCallState", "OnConferenced", "OnConnected",
    "OnConnectedID", "OnDevSpecific", "OnDevSpecificFeature", "OnDialing", "OnDialtone", "OnDigitReceived",
    "OnDigitsGathered", "OnDigitsSent", "OnDisconnected", "OnError", "OnHold", "OnHoldPendingConference",
    "OnHoldPendingTransfer", "OnIdle", "OnLineState", "OnMessageOff", "OnMessageOn", "OnOffering",
    "OnProceeding", "OnRedirectingID", "OnRedirectionID", "OnRing", "OnRingBack", "OnSilence",
    "OnSpecialInfo", "OnTAPIMessage", "OnTAPIReply", "OnToneSent",
};

// Media-mode items carry their bit here.
constexpr const char* kBit = "mediaModeBit";

} // namespace

TnvLineMenus::TnvLineMenus(TnvLineVantage* window, TnvLine* line)
    : QObject(window)
    , m_window(window)
    , m_line(line)
{
}

QAction* TnvLineMenus::item(QMenu* menu, const char* name, const QString& caption, bool checkable)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(checkable);
    return action;
}

void TnvLineMenus::build(QMenuBar* bar, QMenu* vantage)
{
    const auto menu = [&](QMenu*& target, const char* name, const QString& caption) {
        target = new QMenu(caption, bar);
        target->setObjectName(QLatin1String(name));
    };
    menu(MenuNvLine, "MenuNvLine", QStringLiteral("nvLine"));
    menu(MenuDevice, "MenuDevice", QStringLiteral("&Device"));
    menu(MenuCall, "MenuCall", QStringLiteral("&Call"));
    menu(MenuComm, "MenuComm", QStringLiteral("Comm"));
    menu(MenuConference, "MenuConference", QStringLiteral("Conference"));
    menu(MenuPopup, "MenuPopup", QStringLiteral("&Popup"));
    menu(MenuDevicePrivilege, "MenuDevicePrivilege", QStringLiteral("Privilege"));
    menu(MenuTransfer, "MenuTransfer", QStringLiteral("Transfer"));
    menu(MenuHelp, "MenuHelp", QStringLiteral("&Help"));
    QAction* before = vantage->menuAction();
    for (QMenu* m : {MenuNvLine, MenuDevice, MenuCall, MenuComm, MenuConference, MenuPopup, MenuDevicePrivilege})
        bar->insertMenu(before, m);
    bar->addMenu(MenuTransfer);
    bar->addMenu(MenuHelp);
    makeNvLine();
    makeDevice();
    makeCall();
    makeOthers();
    makePopup();
    makeHelp();
    addVantageItems(vantage);
}

void TnvLineMenus::makeNvLine()
{
    QAction* enabled = item(MenuNvLine, "MenuEnabled", QStringLiteral("Enabled"), true);
    connect(MenuNvLine, &QMenu::aboutToShow, this, [this, enabled] { enabled->setChecked(m_line->Enabled()); });
    connect(enabled, &QAction::triggered, this, [this, enabled] {
        m_line->setEnabled(!m_line->Enabled());
        enabled->setChecked(m_line->Enabled());
    });
    connect(item(MenuNvLine, "MenuMethodsSetLocation", QStringLiteral("Set&Location")), &QAction::triggered, this,
            [this] { m_line->SetLocation(); });
}

void TnvLineMenus::makeDevice()
{
    TnvLineDevice* device = m_line->Device();
    QAction* active = item(MenuDevice, "MenuDeviceActive", QStringLiteral("&Active"), true);
    connect(active, &QAction::triggered, this, [this, device, active] {
        m_window->toggleDeviceActive();
        active->setChecked(device->Active());
    });
    connect(item(MenuDevice, "MenuDeviceConfigure", QStringLiteral("Configure")), &QAction::triggered, this,
            [device] { device->Configure(); });
    MenuDeviceMediaMode = MenuDevice->addMenu(QStringLiteral("MediaModes"));
    MenuDeviceMediaMode->setObjectName(QStringLiteral("MenuDeviceMediaMode"));
    QAction* translate = item(MenuDevice, "MenuTranslatePhoneNumber", QStringLiteral("TranslatePhoneNumber"), true);
    QAction* unformat = item(MenuDevice, "MenuUnformatPhoneNumber", QStringLiteral("UnformatPhoneNumber"), true);
    // Plain fields: they take the opposite of what the mark showed at the opening.
    connect(translate, &QAction::triggered, this, [device](bool checked) { device->setTranslatePhoneNumber(checked); });
    connect(unformat, &QAction::triggered, this, [device](bool checked) { device->setUnformatPhoneNumber(checked); });
    connect(MenuDevice, &QMenu::aboutToShow, this, [=, this] {
        active->setChecked(device->Active());
        translate->setChecked(device->TranslatePhoneNumber());
        unformat->setChecked(device->UnformatPhoneNumber());
        const TnvMediaModes* modes = device->MediaModes();
        MakeMediaModeMenu(MenuDeviceMediaMode, 0, !device->Active(), modes->Active(), modes->Available());
    });
}

void TnvLineMenus::makeCall()
{
    TnvCall* call = m_line->Call();
    TnvLineCallPage* page = m_window->callPage;
    QAction* active = item(MenuCall, "MenuCallActive", QStringLiteral("Active"), true);
    connect(active, &QAction::triggered, this, [call, page, active] {
        if (call->Active())
            call->Hangup();
        else
            page->dial();
        active->setChecked(call->Active());
    });
    MenuCallMediaMode = MenuCall->addMenu(QStringLiteral("MediaMode"));
    MenuCallMediaMode->setObjectName(QStringLiteral("MenuCallMediaMode"));
    QAction* owner = item(MenuCall, "MenuCallOwner", QStringLiteral("Owner"), true);
    connect(owner, &QAction::triggered, this, [call, owner] {
        call->setOwner(!call->Owner());
        owner->setChecked(call->Owner());
    });
    MenuCall->addSeparator()->setObjectName(QStringLiteral("MenuCallDivider1"));

    QMenu* digits = MenuCall->addMenu(QStringLiteral("MonitorDigits"));
    digits->setObjectName(QStringLiteral("MenuCallMonitorDigits"));
    QAction* digitsActive = item(digits, "MenuCallMonitorDigitsActive", QStringLiteral("&Active"), true);
    connect(digitsActive, &QAction::triggered, page, &TnvLineCallPage::toggleMonitorDigits);
    MenuCallMonitorMediaModes = MenuCall->addMenu(QStringLiteral("MonitorMediaModes"));
    MenuCallMonitorMediaModes->setObjectName(QStringLiteral("MenuCallMonitorMediaModes"));
    QAction* modesActive = item(MenuCallMonitorMediaModes, "MenuCallMonitorMediaModesActive", QStringLiteral("&Active"), true);
    connect(modesActive, &QAction::triggered, this, [call] {
        TnvMonitorMediaModes* monitor = call->MonitorMediaModes();
        monitor->setActive(!monitor->Active());
    });
    MenuCallMonitorMediaModes->addSeparator()->setObjectName(QStringLiteral("MenuCallMonitorMediaModesActiveD1"));
    QMenu* silence = MenuCall->addMenu(QStringLiteral("MonitorSilence"));
    silence->setObjectName(QStringLiteral("MenuCallMonitorSilence"));
    QAction* silenceActive = item(silence, "MenuCallMonitorSilenceActive", QStringLiteral("&Active"), true);
    connect(silenceActive, &QAction::triggered, page, &TnvLineCallPage::toggleMonitorSilence);
    MenuCall->addSeparator()->setObjectName(QStringLiteral("MenuCallDivider2"));

    const auto command = [&](const char* name, const QString& caption, const QKeySequence& keys, auto&& action) {
        QAction* a = item(MenuCall, name, caption);
        a->setShortcut(keys);
        connect(a, &QAction::triggered, this, action);
    };
    command("MenuCallAnswer", QStringLiteral("&Answer"), QKeySequence(QStringLiteral("Ctrl+A")), [call] { call->Answer(); });
    command("MenuCallDial", QStringLiteral("&Dial"), QKeySequence(QStringLiteral("Ctrl+D")), [page] { page->dial(); });
    command("MenuCallHandoff", QStringLiteral("Hand&off"), QKeySequence(QStringLiteral("Ctrl+O")), [page] { page->handoff(); });
    command("MenuCallHangup", QStringLiteral("&Hangup"), QKeySequence(QStringLiteral("Ctrl+H")), [call] { call->Hangup(); });
    command("MenuCallHold", QStringLiteral("Ho&ld"), QKeySequence(), [call] { call->Hold(); });
    command("MenuCallPark", QStringLiteral("Park"), QKeySequence(), [page] { page->park(); });
    command("MenuCallPickup", QStringLiteral("Pickup"), QKeySequence(), [page] { page->pickup(); });
    command("MenuCallRedirect", QStringLiteral("Redirect"), QKeySequence(), [page] { page->redirect(); });
    command("MenuCallSendDigits", QStringLiteral("SendDi&gits"), QKeySequence(QStringLiteral("Ctrl+G")), [page] { page->sendDigits(); });
    command("MenuCallSendTone", QStringLiteral("SendTo&ne"), QKeySequence(QStringLiteral("Ctrl+N")), [page] { page->sendTone(); });
    command("MenuCallTransfer", QStringLiteral("&Transfer (Blind)"), QKeySequence(QStringLiteral("Ctrl+T")), [call] { call->Transfer(); });
    command("MenuCallUnhold", QStringLiteral("&Unhold"), QKeySequence(), [call] { call->Unhold(); });
    command("MenuCallUnpark", QStringLiteral("Unpark"), QKeySequence(), [page] { page->unpark(); });

    connect(MenuCall, &QMenu::aboutToShow, this, [=, this] {
        active->setChecked(call->Active());
        owner->setChecked(call->Owner());
        const quint32 available = m_line->Device()->MediaModes()->Available();
        MakeMediaModeMenu(MenuCallMediaMode, 0, true, call->MediaMode(), available);
        MakeMediaModeMenu(MenuCallMonitorMediaModes, 2, true, call->MonitorMediaModes()->MediaModes(), -1);
        digitsActive->setChecked(call->MonitorDigits()->Active());
        modesActive->setChecked(call->MonitorMediaModes()->Active());
        silenceActive->setChecked(call->MonitorSilence()->Active());
    });
}

void TnvLineMenus::makeOthers()
{
    TnvRelatedCommDevice* comm = m_line->Comm();
    QAction* commEnabled = item(MenuComm, "MenuCommEnabled", QStringLiteral("Enabled"), true);
    connect(MenuComm, &QMenu::aboutToShow, this, [comm, commEnabled] { commEnabled->setChecked(comm->Enabled()); });
    connect(commEnabled, &QAction::triggered, this, [comm](bool checked) { comm->setEnabled(checked); });

    TnvConference* conference = m_line->Conference();
    connect(item(MenuConference, "MenuConferenceAddCall", QStringLiteral("AddCall")), &QAction::triggered, this,
            [conference] { conference->AddCall(); });
    connect(item(MenuConference, "MenuConferenceDial", QStringLiteral("Dial")), &QAction::triggered,
            m_window->conferencePage, &TnvLineJoinPage::dial);
    connect(item(MenuConference, "MenuConferenceRemoveCall", QStringLiteral("RemoveCall")), &QAction::triggered, this,
            [conference] { conference->RemoveCall(); });
    connect(item(MenuConference, "MenuConferenceSwapHold", QStringLiteral("SwapHold")), &QAction::triggered, this,
            [conference] { conference->SwapHold(); });

    TnvPrivilege* privilege = m_line->Privilege();
    QAction* monitor = item(MenuDevicePrivilege, "MenuDevicePrivilegeMonitor", QStringLiteral("Monitor"), true);
    QAction* none = item(MenuDevicePrivilege, "MenuDevicePrivilegeNone", QStringLiteral("None"), true);
    QAction* owner = item(MenuDevicePrivilege, "MenuDevicePrivilegeOwner", QStringLiteral("Owner"), true);
    connect(MenuDevicePrivilege, &QMenu::aboutToShow, this, [=, this] {
        monitor->setChecked(privilege->Monitor());
        none->setChecked(privilege->None());
        owner->setChecked(privilege->Owner());
        for (QAction* a : {monitor, none, owner})
            a->setEnabled(!m_line->Device()->Active());
    });
    connect(monitor, &QAction::triggered, this, [privilege] { privilege->setMonitor(!privilege->Monitor()); });
    connect(none, &QAction::triggered, this, [privilege] { privilege->setNone(!privilege->None()); });
    connect(owner, &QAction::triggered, this, [privilege] { privilege->setOwner(!privilege->Owner()); });

    TnvTransfer* transfer = m_line->Transfer();
    connect(item(MenuTransfer, "MenuTransferDial", QStringLiteral("Dial")), &QAction::triggered,
            m_window->transferPage, &TnvLineJoinPage::dial);
    connect(item(MenuTransfer, "MenuTransferComplete", QStringLiteral("Complete")), &QAction::triggered, this,
            [transfer] { transfer->Complete(); });
    connect(item(MenuTransfer, "MenuTransferThreeWay", QStringLiteral("ThreeWay")), &QAction::triggered, this,
            [transfer] { transfer->ThreeWay(); });
    connect(item(MenuTransfer, "MenuTransferSwapHold", QStringLiteral("SwapHold")), &QAction::triggered, this,
            [transfer] { transfer->SwapHold(); });
}

void TnvLineMenus::makePopup()
{
    // The events read as a table: two columns, the second from "OnDisconnected". The
    // items stay actions of their own, owned by the menu, so they keep their names.
    TnvPopup* popup = m_line->Popup();
    MenuPopupItems = new TnvMenuColumns(MenuPopup);
    MenuPopupItems->setObjectName(QStringLiteral("MenuPopupItems"));
    for (const char* event : kLinePopupEvents) {
        const QString caption = QLatin1String(event);
        if (caption == QLatin1String("OnDisconnected"))
            MenuPopupItems->addColumnBreak();
        const QByteArray name = caption == QLatin1String("OnIdle") ? QByteArray("MenuPopupOnCallIdle")
                                                                    : QByteArray("MenuPopup") + event;
        auto* a = new QAction(caption, MenuPopup);
        a->setObjectName(QLatin1String(name));
        a->setCheckable(true);
        MenuPopupItems->addItem(a);
        connect(a, &QAction::triggered, this, [popup, event](bool checked) { popup->setProperty(event, checked); });
    }
    MenuPopup->addAction(MenuPopupItems);
    connect(MenuPopup, &QMenu::aboutToShow, this, [this, popup] {
        for (QAction* a : MenuPopupItems->items())
            a->setChecked(popup->property(a->text().toLatin1().constData()).toBool());
    });
}

void TnvLineMenus::makeHelp()
{
    TnvVantageMenus::fillHelp(MenuHelp, m_line->Vantage(), m_window);
}

void TnvLineMenus::addVantageItems(QMenu* vantage)
{
    TnvVantageMenus::addVantageItems(vantage, m_line->Vantage(), this);
}

void TnvLineMenus::MakeMediaModeMenu(QMenu* parent, int start, bool usable, quint32 checkedSet, qint64 enabledSet)
{
    const QList<QAction*> existing = parent->actions();
    const bool create = existing.size() == start;
    int next = start;
    for (quint32 bit = 2; bit <= 0x8000; bit <<= 1) {
        QAction* a = nullptr;
        if (create) {
            a = parent->addAction(QString());
            a->setCheckable(true);
            a->setProperty(kBit, bit);
            connect(a, &QAction::triggered, this, [this, a] { mediaModeClicked(a); });
        } else {
            a = existing.value(next++);
            if (!a)
                return;
        }
        a->setEnabled(usable && (enabledSet == -1 || (quint64(enabledSet) & bit)));
        a->setChecked(checkedSet & bit);
        const QString name = MediaModeText(bit);
        a->setText(name.endsWith(QLatin1String("???")) ? QStringLiteral("???") : name);
    }
}

void TnvLineMenus::mediaModeClicked(QAction* action)
{
    // The trigger already inverted the mark.
    const quint32 bit = action->property(kBit).toUInt();
    const bool add = action->isChecked();
    const auto apply = [&](quint32 current) { return add ? (current | bit) : (current & ~bit); };
    QMenu* parent = qobject_cast<QMenu*>(action->parent());
    if (parent == MenuDeviceMediaMode) {
        TnvMediaModes* modes = m_line->Device()->MediaModes();
        modes->setActive(apply(modes->Active()));
    } else if (parent == MenuCallMediaMode) {
        m_line->Call()->setMediaMode(apply(m_line->Call()->MediaMode()));
    } else if (parent == MenuCallMonitorMediaModes) {
        TnvMonitorMediaModes* monitor = m_line->Call()->MonitorMediaModes();
        monitor->setMediaModes(apply(monitor->MediaModes()));
    }
    m_window->RefreshInfo();
}
