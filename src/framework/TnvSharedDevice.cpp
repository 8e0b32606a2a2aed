#include "TnvSharedDevice.h"

#include "TnvSharedControl.h"

TnvSharedDevice::TnvSharedDevice(TnvSharedControl* owner)
    : QObject(owner)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("Device"));
}
