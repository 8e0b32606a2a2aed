#include "TelephonyDialogs.h"

#include <SiblingModule.h>

#include <QCoreApplication>
#include <QLibrary>
#include <QtDebug>

namespace Telephony {

namespace {

using EntryFunction = TelephonyDialogs* (*)();

} // namespace

TelephonyDialogs* TelephonyDialogs::load(const QString& path, QString* errorText)
{
    // Never unloaded: the dialogs it returns live as long as the program.
    QLibrary module(path);
    const auto entry = reinterpret_cast<EntryFunction>(module.resolve(EntryPoint));
    TelephonyDialogs* dialogs = entry ? entry() : nullptr;
    if (!dialogs && errorText)
        *errorText = module.errorString();
    return dialogs;
}

QString TelephonyDialogs::modulePath()
{
    const QString folder = SiblingModule::folderOf(reinterpret_cast<void*>(&TelephonyDialogs::modulePath));
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + QLatin1String(ModuleFileName);
}

TelephonyDialogs* TelephonyDialogs::get()
{
    // Dialogs need a window system; asked by class name so this code needs no widgets.
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app || !app->inherits("QApplication"))
        return nullptr;
    static TelephonyDialogs* const dialogs = [] {
        QString error;
        TelephonyDialogs* loaded = load(modulePath(), &error);
        if (!loaded)
            qWarning().noquote() << "linkora-telephony: no dialogs:" << error;
        return loaded;
    }();
    return dialogs;
}

} // namespace Telephony
