#pragma once

// Finds the telephony service's extended initialisation at run time, as a program must
// when the service it runs on may be too old to have it.

#include <TapiStructs.h>

#include <QString>

namespace TnvTelephonyLibrary {

using InitializeEx = LONG (*)(HLINEAPP*, void*, LINECALLBACK, const char*, DWORD*, DWORD*, LINEINITIALIZEEXPARAMS*);

// lineInitializeExA of the service library, or null when the library or the entry point
// is missing.
InitializeEx initializeEx();

// The library looked in (tests name one without the entry point).
QString libraryName();
void setLibraryName(const QString& name);

} // namespace TnvTelephonyLibrary
