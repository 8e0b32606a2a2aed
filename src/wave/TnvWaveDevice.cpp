#include "TnvWaveDevice.h"

TnvWaveDevice::TnvWaveDevice(TnvSharedControl* owner)
    : TnvSharedDevice(owner)
{
}

void TnvWaveDevice::storeList(const QStringList& names)
{
    m_list = names;
    m_count = int(names.size());
}
