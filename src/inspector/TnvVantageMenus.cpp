#include "TnvVantageMenus.h"

#include <TnvHostServices.h>
#include <TnvVantage.h>

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>

namespace {

QAction* addItem(QMenu* menu, const char* name, const QString& caption, bool checkable = false)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(checkable);
    return action;
}

} // namespace

TDevEnv TnvVantageMenus::devEnvAt(int index)
{
    static const TDevEnv order[] = {deCppBuilder, deDelphi, deVisualBasic, deOther};
    return order[index >= 0 && index < 4 ? index : 3];
}

QMenu* TnvVantageMenus::addDevEnvMenu(QMenu* vantage, TnvVantage* settings, QObject* context,
                                      std::function<void(TDevEnv)> select, std::array<QAction*, 4>& items)
{
    QMenu* menu = vantage->addMenu(QStringLiteral("&DevEnv"));
    menu->setObjectName(QStringLiteral("MenuDevEnv"));
    auto* group = new QActionGroup(menu);
    const char* const captions[] = {"C++ Builder", "Delphi", "Visual Basic", "Other"};
    const char* const names[] = {"MenuDevEnvCBuilder", "MenuDevEnvDelphi", "MenuDevEnvVB", "MenuDevEnvOther"};
    for (int i = 0; i < 4; ++i) {
        if (i == 3)
            menu->addSeparator()->setObjectName(QStringLiteral("MenuDevEnvDivider"));
        QAction* item = addItem(menu, names[i], QLatin1String(captions[i]), true);
        group->addAction(item);
        const TDevEnv env = devEnvAt(i);
        QObject::connect(item, &QAction::triggered, context, [select, env] { select(env); });
        items[std::size_t(i)] = item;
    }
    QObject::connect(menu, &QMenu::aboutToShow, context, [settings, items] {
        for (int i = 0; i < 4; ++i)
            items[std::size_t(i)]->setChecked(devEnvAt(i) == settings->DevEnv());
    });
    return menu;
}

void TnvVantageMenus::addVantageItems(QMenu* vantage, TnvVantage* settings, QObject* context)
{
    QAction* events = addItem(vantage, "MenuVantageEvents", QStringLiteral("&Events"), true);
    QAction* stayOnTop = addItem(vantage, "MenuVantageStayOnTop", QStringLiteral("StayOnTop"), true);
    QAction* visible = addItem(vantage, "MenuVantageVisible", QStringLiteral("Visible"), true);
    QObject::connect(vantage, &QMenu::aboutToShow, context, [=] {
        events->setChecked(settings->Events());
        stayOnTop->setChecked(settings->StayOnTop());
        visible->setChecked(settings->Visible());
    });
    QObject::connect(events, &QAction::triggered, context, [settings](bool checked) { settings->setEvents(checked); });
    QObject::connect(stayOnTop, &QAction::triggered, context, [settings, stayOnTop] {
        settings->setStayOnTop(!settings->StayOnTop());
        stayOnTop->setChecked(settings->StayOnTop());
    });
    // Hiding the window from its own menu is allowed; the settings close it.
    QObject::connect(visible, &QAction::triggered, context, [settings](bool checked) { settings->setVisible(checked); });
}

void TnvVantageMenus::fillHelp(QMenu* help, TnvVantage* settings, QWidget* window)
{
    QAction* contents = addItem(help, "MenuHelpContents", QStringLiteral("&Contents"));
    contents->setShortcut(QKeySequence(Qt::Key_F1));
    QObject::connect(contents, &QAction::triggered, window, [settings] { settings->ShowHelp(QString()); });
    help->addSeparator()->setObjectName(QStringLiteral("MenuHelpD1"));
    QObject::connect(addItem(help, "MenuHelpHowToGetSupport", QStringLiteral("&How To Get Support")), &QAction::triggered,
                     window, [settings] { settings->ShowSupportPage(); });
    QObject::connect(addItem(help, "MenuHelpNorvaneHomePage", QStringLiteral("&Norvane Home Page")), &QAction::triggered,
                     window, [settings] { settings->ShowHomePage(); });
    QObject::connect(addItem(help, "MenuHelpCheckWebForUpdates", QStringLiteral("Check &Web For Updates")),
                     &QAction::triggered, window, [settings] {
                         settings->ShowUpdatesPage(QCoreApplication::applicationName(),
                                                   QCoreApplication::applicationVersion());
                     });
    help->addSeparator()->setObjectName(QStringLiteral("MenuHelpD2"));
    // Through the host services like every other message, so that tests can answer it.
    QObject::connect(addItem(help, "MenuHelpAbout", QStringLiteral("&About...")), &QAction::triggered, window, [] {
        TnvPrompt about;
        about.caption = QStringLiteral("About");
        about.text = QStringLiteral("Linkora telephony components\nVersion %1").arg(QCoreApplication::applicationVersion());
        about.icon = TnvPrompt::Information;
        TnvHostServices::instance().prompt(about);
    });
}
