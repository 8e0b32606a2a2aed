// Reads the structures and texts applications hand to the service. Nothing is read
// outside the block its dwTotalSize describes: a size or offset pointing beyond it is
// refused, never followed.
#pragma once

#include "../provider/TelephonyProvider.h"

namespace Telephony {

// The longest text accepted from an application (addresses, names, digits).
inline constexpr DWORD kMaxText = 4096;
// The largest input structure accepted at all.
inline constexpr DWORD kMaxInputBlock = 64 * 1024;
// Every media mode bit the API defines, LINEMEDIAMODE_UNKNOWN (bit 1) up to the highest.
inline constexpr DWORD kKnownMediaModes = 0xFFFE;

// A text argument: at most kMaxText bytes up to its NUL; ok is false when no NUL was
// found within that bound.
QByteArray readText(const char* text, bool* ok = nullptr);

// Decodes LINECALLPARAMS; a null block gives the defaults.
LONG readCallParams(const LINECALLPARAMS* params, CallParams* out);

// Decodes LINEFORWARDLIST; a null list means forwarding off (no entries).
LONG readForwardList(const LINEFORWARDLIST* list, QList<AddressStatusData::Forward>* out);

// Checks LINEINITIALIZEEXPARAMS: only hidden-window delivery is offered.
LONG readInitParams(const LINEINITIALIZEEXPARAMS* params);

} // namespace Telephony
