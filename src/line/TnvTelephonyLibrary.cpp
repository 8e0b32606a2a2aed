#include "TnvTelephonyLibrary.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibrary>

#include <dlfcn.h>

namespace TnvTelephonyLibrary {

namespace {

QString& name()
{
    static QString library = QStringLiteral("linkora-telephony");
    return library;
}

} // namespace

InitializeEx initializeEx()
{
    // Programs link the service, so it is normally in the process already: the function
    // the program's own calls reach is then the one to use, found by one look-up, where
    // loading the library by file name costs several percent of a program's start.
    if (void* function = ::dlsym(RTLD_DEFAULT, "lineInitializeExA")) {
        Dl_info where{};
        const QByteArray soname = "/lib" + QFile::encodeName(name()) + ".so";
        if (::dladdr(function, &where) && where.dli_fname && QByteArray(where.dli_fname).endsWith(soname))
            return reinterpret_cast<InitializeEx>(function);
    }
    QLibrary library(name());
    if (!library.load()) {
        // An installed program finds the service beside its own libraries.
        library.setFileName(QCoreApplication::applicationDirPath() + QStringLiteral("/../lib/lib") + name());
        if (!library.load())
            return nullptr;
    }
    // The library stays loaded: the program links it for every other function.
    return reinterpret_cast<InitializeEx>(library.resolve("lineInitializeExA"));
}

QString libraryName()
{
    return name();
}

void setLibraryName(const QString& library)
{
    name() = library;
}

} // namespace TnvTelephonyLibrary
