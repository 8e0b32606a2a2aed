#pragma once

// Opens a module installed beside a library of the suite and finds its entry point:
// the parts that pull in heavy libraries (dialogs, the SIP stack, printing, the sound
// library) are loaded this way on first use. A module is never unloaded, since what it
// made may live as long as the program.

#include <QFileInfo>
#include <QLibrary>
#include <QString>

#include <dlfcn.h>

namespace SiblingModule {

// The folder of the library that holds `anchor` (any address in it); empty if unknown.
inline QString folderOf(const void* anchor)
{
    Dl_info info{};
    if (!anchor || dladdr(anchor, &info) == 0 || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
}

// The entry point `entry` of `folder`/`fileName`, or null with the reason in *error.
template <typename Entry>
Entry resolve(const QString& folder, const char* fileName, const char* entry, QString* error = nullptr)
{
    QLibrary module(folder + QLatin1Char('/') + QLatin1String(fileName));
    const auto found = reinterpret_cast<Entry>(module.resolve(entry));
    if (!found && error)
        *error = module.errorString();
    return found;
}

} // namespace SiblingModule
