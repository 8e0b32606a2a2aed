#include "WaveBackendRegistry.h"

#include "WaveLayer.h"

void WaveBackendRegistry::add(const QString& name, Factory factory, int rank)
{
    WaveLayer::instance().addBackend(name, std::move(factory), nullptr, rank);
}

void WaveBackendRegistry::add(const QString& name, std::shared_ptr<WaveBackend> backend, int rank)
{
    WaveLayer::instance().addBackend(name, {}, std::move(backend), rank);
}

void WaveBackendRegistry::remove(const QString& name, const WaveBackend* onlyIf)
{
    WaveLayer::instance().removeBackend(name, onlyIf);
}

QStringList WaveBackendRegistry::names()
{
    return WaveLayer::instance().backendNames();
}

int WaveBackendRegistry::deviceNumber(const QString& backend, WaveDirection direction, int index)
{
    return WaveLayer::instance().deviceNumber(backend, direction, index);
}
