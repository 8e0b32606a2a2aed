// The providers built into the telephony service. Adding one takes a folder of its own
// under providers/ (a static library) and one line in the table of BuiltinProviders.cpp.
#pragma once

namespace Telephony {

// Adds every built-in provider to the ProviderRegistry; the table's first entry becomes
// the fallback. Calling it again changes nothing.
void registerBuiltinProviders();

} // namespace Telephony
