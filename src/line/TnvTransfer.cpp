#include "TnvTransfer.h"

#include "TnvCallParameters.h"

TnvTransfer::TnvTransfer(TnvLineInternal* line, QObject* parent)
    : QObject(parent)
    , m_parameters(new TnvCallParameters(line, this))
{
    setObjectName(QStringLiteral("Transfer"));
}
