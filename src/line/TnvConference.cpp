#include "TnvConference.h"

#include "TnvCallParameters.h"

TnvConference::TnvConference(TnvLineInternal* line, QObject* parent)
    : QObject(parent)
    , m_parameters(new TnvCallParameters(line, this))
{
    setObjectName(QStringLiteral("Conference"));
}
