// Text from outside (configuration files, provider and network data) on its way to a
// log or a terminal: control characters must not act there, so they are shown as \xNN.
#pragma once

#include <QString>

namespace Telephony {

// Every control character (C0, DEL and C1) as \x followed by two hexadecimal digits;
// everything else unchanged.
QString visibleText(const QString& text);

} // namespace Telephony
