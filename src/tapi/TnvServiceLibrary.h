#pragma once

// Finds an entry point of the telephony service library at run time, as a program must
// when the service it runs on may be too old to have it (the extended initialisations).

#include <QString>
#include <QtGlobal>

namespace TnvServiceLibrary {

// The function called name in the service library, or null when the library or the
// entry point is missing. The library stays loaded.
QFunctionPointer resolve(const char* name);

// The library looked in (tests name one without the entry points).
QString libraryName();
void setLibraryName(const QString& name);

} // namespace TnvServiceLibrary
