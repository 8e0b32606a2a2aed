#include "WaveBackendRegistry.h"

#include "WaveLayer.h"

void WaveBackendRegistry::add(const QString& name, Factory factory)
{
    WaveLayer::instance().addBackend(name, std::move(factory));
}

void WaveBackendRegistry::remove(const QString& name)
{
    WaveLayer::instance().removeBackend(name);
}

QStringList WaveBackendRegistry::names()
{
    return WaveLayer::instance().backendNames();
}

int WaveBackendRegistry::deviceNumber(const QString& backend, WaveDirection direction, int index)
{
    return WaveLayer::instance().deviceNumber(backend, direction, index);
}
