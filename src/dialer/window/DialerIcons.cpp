#include "DialerIcons.h"

#include "DialerIconEngine.h"

QIcon dialerIcon(const char* name, std::initializer_list<int> sizes)
{
    return QIcon(new DialerIconEngine(name, QList<int>(sizes)));
}
