#pragma once

// Finds the telephony service's extended phone initialisation at run time, as a program
// must when the service it runs on may be too old to have it.

#include <TapiStructs.h>

#include <QString>

namespace TnvPhoneLibrary {

using InitializeEx = LONG (*)(HPHONEAPP*, void*, PHONECALLBACK, const char*, DWORD*, DWORD*,
                              PHONEINITIALIZEEXPARAMS*);

// phoneInitializeExA of the service library, or null when the library or the entry point
// is missing.
InitializeEx initializeEx();

// The library looked in (tests name one without the entry point).
QString libraryName();
void setLibraryName(const QString& name);

} // namespace TnvPhoneLibrary
