#include "TnvLine.h"

TnvLine::TnvLine(QObject* owner)
    : TnvLineInternal(owner)
{
}
