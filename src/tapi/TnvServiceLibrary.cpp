#include "TnvServiceLibrary.h"

#include <QCoreApplication>
#include <QLibrary>

namespace TnvServiceLibrary {

namespace {

QString& name()
{
    static QString library = QStringLiteral("linkora-telephony");
    return library;
}

} // namespace

QFunctionPointer resolve(const char* function)
{
    QLibrary library(name());
    if (!library.load()) {
        // An installed program finds the service beside its own libraries.
        library.setFileName(QCoreApplication::applicationDirPath() + QStringLiteral("/../lib/lib") + name());
        if (!library.load())
            return nullptr;
    }
    // The library stays loaded: the program links it for every other function.
    return library.resolve(function);
}

QString libraryName()
{
    return name();
}

void setLibraryName(const QString& library)
{
    name() = library;
}

} // namespace TnvServiceLibrary
