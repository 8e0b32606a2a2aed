#include "TnvPhoneMenus.h"

#include "TnvPhoneVantage.h"
#include "TnvVantageMenus.h"

#include <TnvPhone.h>
#include <TnvVantage.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction* addItem(QMenu* menu, const QString& name, const QString& caption, bool checkable = false)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(checkable);
    return action;
}

// The Popup items in the menu's order.
const char* const kPhonePopupEvents[] = {"OnDevSpecific",        "OnDigitDown",          "OnDigitUp",
                                    "OnError",              "OnHandsetGain",        "OnHandsetHookSwitch",
                                    "OnHandsetVolume",      "OnHeadsetGain",        "OnHeadsetHookSwitch",
                                    "OnHeadsetVolume",      "OnPhoneState",         "OnSpeakerphoneGain",
                                    "OnSpeakerphoneHookSwitch", "OnSpeakerphoneVolume", "OnTAPIMessage",
                                    "OnTAPIReply"};

} // namespace

TnvPhoneMenus::TnvPhoneMenus(TnvPhoneVantage* window, TnvPhone* phone)
    : QObject(window)
    , m_window(window)
    , m_phone(phone)
{
}

void TnvPhoneMenus::build(QMenuBar* bar, QMenu* vantage)
{
    const auto menu = [&](QMenu*& target, const char* name, const QString& caption) {
        target = new QMenu(caption, bar);
        target->setObjectName(QLatin1String(name));
        bar->addMenu(target);
    };
    menu(MenuNvPhone, "MenuNvPhone", QStringLiteral("nvPhone"));
    menu(MenuDevice, "MenuDevice", QStringLiteral("&Device"));
    menu(MenuDevicePrivilege, "MenuDevicePrivilege", QStringLiteral("Privilege"));
    menu(MenuPopup, "MenuPopup", QStringLiteral("&Popup"));
    bar->addMenu(vantage);
    menu(MenuHelp, "MenuHelp", QStringLiteral("&Help"));
    makeNvPhone();
    makeDevice();
    makePopup();
    TnvVantageMenus::addVantageItems(vantage, m_phone->Vantage(), this);
    TnvVantageMenus::fillHelp(MenuHelp, m_phone->Vantage(), m_window);
}

void TnvPhoneMenus::makeNvPhone()
{
    QAction* enabled = addItem(MenuNvPhone, QStringLiteral("MenuEnabled"), QStringLiteral("Enabled"), true);
    connect(MenuNvPhone, &QMenu::aboutToShow, this, [this, enabled] { enabled->setChecked(m_phone->Enabled()); });
    connect(enabled, &QAction::triggered, this, [this, enabled](bool checked) {
        m_phone->setEnabled(checked);
        enabled->setChecked(m_phone->Enabled());
    });
}

void TnvPhoneMenus::makeDevice()
{
    TnvPhoneDevice* device = m_phone->Device();
    TnvPhonePrivilege* privilege = m_phone->Privilege();
    QAction* active = addItem(MenuDevice, QStringLiteral("MenuDeviceActive"), QStringLiteral("&Active"), true);
    connect(active, &QAction::triggered, this, [this, device, active] {
        m_window->toggleDeviceActive();
        active->setChecked(device->Active());
    });
    connect(addItem(MenuDevice, QStringLiteral("MenuDeviceConfigure"), QStringLiteral("Configure")), &QAction::triggered,
            this, [device] { device->Configure(); });
    QAction* monitor = addItem(MenuDevicePrivilege, QStringLiteral("MenuDevicePrivilegeMonitor"), QStringLiteral("Monitor"), true);
    QAction* owner = addItem(MenuDevicePrivilege, QStringLiteral("MenuDevicePrivilegeOwner"), QStringLiteral("Owner"), true);
    // The privilege menu has no opening action: it shows what the Device menu last read,
    // and the privilege applies at the next open, so it is locked while the phone is open.
    connect(MenuDevice, &QMenu::aboutToShow, this, [=] {
        active->setChecked(device->Active());
        monitor->setChecked(privilege->Monitor());
        owner->setChecked(privilege->Owner());
        monitor->setEnabled(!device->Active());
        owner->setEnabled(!device->Active());
    });
    connect(monitor, &QAction::triggered, this, [privilege, monitor](bool checked) {
        privilege->setMonitor(checked);
        monitor->setChecked(privilege->Monitor());
    });
    connect(owner, &QAction::triggered, this, [privilege, owner](bool checked) {
        privilege->setOwner(checked);
        owner->setChecked(privilege->Owner());
    });
}

void TnvPhoneMenus::makePopup()
{
    TnvPhonePopup* popup = m_phone->Popup();
    QList<QAction*> items;
    for (const char* event : kPhonePopupEvents) {
        const QString caption = QLatin1String(event);
        QAction* item = addItem(MenuPopup, QStringLiteral("MenuPopup") + caption, caption, true);
        // The checked state already shows the inverted mark; the flag follows it.
        connect(item, &QAction::triggered, this, [popup, caption](bool checked) { popup->setFlag(caption, checked); });
        items << item;
    }
    connect(MenuPopup, &QMenu::aboutToShow, this, [popup, items] {
        for (QAction* item : items)
            item->setChecked(popup->flag(item->text()));
    });
}
