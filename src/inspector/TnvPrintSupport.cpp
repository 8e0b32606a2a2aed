#include "TnvPrintSupport.h"

#include <QCoreApplication>
#include <SiblingModule.h>

#include <QtDebug>

#include <dlfcn.h>

namespace {

using EntryFunction = TnvPrintSupport* (*)();

// The module is installed beside the suite's shared telephony library, which every
// program with these windows has loaded; asked by name so its own address is found,
// not a program's stub for it.
QString moduleDirectory()
{
    const QString folder = SiblingModule::folderOf(dlsym(RTLD_DEFAULT, "lineInitializeExA"));
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../lib") : folder;
}

} // namespace

TnvPrintSupport* TnvPrintSupport::get()
{
    // Never unloaded: the printer it made lives as long as the program.
    static TnvPrintSupport* const support = [] {
        QString error;
        const auto entry = SiblingModule::resolve<EntryFunction>(moduleDirectory(), ModuleFileName, EntryPoint, &error);
        TnvPrintSupport* loaded = entry ? entry() : nullptr;
        if (!loaded)
            qWarning().noquote() << "linkora-inspector: no printing:" << error;
        return loaded;
    }();
    return support;
}
