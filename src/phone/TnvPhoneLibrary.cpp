#include "TnvPhoneLibrary.h"

#include <QCoreApplication>
#include <QLibrary>

namespace TnvPhoneLibrary {

namespace {

QString& name()
{
    static QString library = QStringLiteral("linkora-telephony");
    return library;
}

} // namespace

InitializeEx initializeEx()
{
    QLibrary library(name());
    if (!library.load()) {
        // An installed program finds the service beside its own libraries.
        library.setFileName(QCoreApplication::applicationDirPath() + QStringLiteral("/../lib/lib") + name());
        if (!library.load())
            return nullptr;
    }
    // The library stays loaded: the program links it for every other function.
    return reinterpret_cast<InitializeEx>(library.resolve("phoneInitializeExA"));
}

QString libraryName()
{
    return name();
}

void setLibraryName(const QString& library)
{
    name() = library;
}

} // namespace TnvPhoneLibrary
